#pragma once
// Values as Jet stores and converts them: OLE automation dates, text read as numbers and
// dates, and the checks a value passes before it goes into a column.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "jet/types.h"
#include "preview/ado/ado.h"
#include "preview/ado/catalog.h"

struct sqlite3_stmt;

namespace tabulon::preview::ado {

using CivilTime = jet::DateTime;

// nullopt when Jet cannot hold the moment (years 100..9999, real calendar days).
std::optional<double> oleFromCivil(const CivilTime& when);
CivilTime civilFromOle(double ole);

// The text without the spaces and tabs around it.
std::string_view trimBlanks(std::string_view text);

// Dates written as text: yyyy-m-d, yyyy/m/d, yyyy年m月d日, each with an optional time
// h:m[:s]; a time alone. `usOrder` also takes m/d/yyyy, as Jet's #…# literals do.
std::optional<double> parseDateText(std::string_view text, bool usOrder);
// A number written as text, blanks around it allowed; nullopt otherwise.
std::optional<double> parseNumberText(std::string_view text);

// Text of numbers and dates the way VBScript shows them under code page 936.
std::string formatNumber(double value, bool single);
std::string formatDate(double ole);
// The text Jet keeps for a Numeric value with `scale` decimals.
std::string formatDecimal(double value, int scale);

// What goes into SQLite for a value written to a column.
struct StoredValue {
    enum class Kind { Null, Integer, Real, Text };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;
};

enum class StoreFailure { None, Mismatch, Overflow, TooLong, NullRequired };

// Converts `value` for `column` as Jet would, or says why it cannot.
StoreFailure toStored(const ColumnSchema& column, const Value& value, StoredValue& out);

// Number of UTF-16 code units of a UTF-8 text (Jet's length of a text).
std::size_t utf16Length(std::string_view text);

// The value of a result column read as a column of `type`.
Value fromStored(JetType type, int scale, sqlite3_stmt* statement, int column);
// A result column of an expression, typed by what SQLite holds.
Value fromStorage(sqlite3_stmt* statement, int column);

}  // namespace tabulon::preview::ado
