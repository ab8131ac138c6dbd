#pragma once
// Design-level values <-> the bytes a column stores (before row assembly).

#include <optional>
#include <string>
#include <string_view>

#include "jet/table_layout.h"
#include "jet/types.h"

namespace tabulon::jet {

// OLE automation date: days since 1899-12-30, time as the fraction. Before
// that day the fraction still counts forward in time (-1.25 is 1899-12-29 06:00).
double toOleDate(const DateTime& when);
DateTime fromOleDate(double oleDate);

// nullopt when the date is valid for Jet (years 100..9999), else the reason.
std::optional<std::string> dateProblem(const DateTime& when);

// 17-byte decimal: sign byte, then the unscaled value as four 32-bit words,
// most significant word first, each little-endian.
std::string encodeDecimal(bool negative, std::string_view unscaledDigits);
std::string decodeDecimal(std::string_view bytes, int scale);  // "-12.50"

// The stored form of one non-null value for a column. Fixed columns get
// exactly their size; text and memo get their Jet text bytes (memo without
// the long-value header); Boolean gets "" for false and "\x01" for true.
// Throws Error with a message that names the rule (the caller adds the column).
std::string encodeValue(const ColumnLayout& column, const Value& value);

// Reverse of encodeValue for a stored value; Boolean takes "" or "\x01".
Value decodeValue(const ColumnLayout& column, std::string_view stored);

}  // namespace tabulon::jet
