#pragma once
// The working copy's layout, shared by the seeding side (which writes it) and the ADO
// core (which reads it).
//
//   "tabulon.tables"  (position INTEGER PRIMARY KEY, name TEXT, sqlite_name TEXT)
//        one row per Jet table, in the Jet file's order; sqlite_name is the SQLite table
//        that holds its rows (the Jet name itself unless SQLite reserves it).
//   "tabulon.columns" (table_position, position, name, jet_type, size, precision, scale, required)
//        one row per column, `id` first; jet_type is one of the names below; size is a
//        Text column's length in characters; precision/scale belong to Numeric.
//   "tabulon.info"    (key TEXT PRIMARY KEY, value TEXT): "format" = "1", "source".
//
// A Jet table's rows live in a table with "id" INTEGER PRIMARY KEY AUTOINCREMENT (the
// Counter; SQLite's sequence keeps counting after the highest id ever given) and one
// column per Jet column, stored as:
//   Text, Memo              TEXT COLLATE NOCASE (Jet compares text case-insensitively)
//   Long, Short, Byte       INTEGER
//   Boolean                 INTEGER, -1 or 0 as Jet shows it
//   Single                  REAL holding the float's exact value (12.3 is 12.300000190734863)
//   Double                  REAL
//   Numeric                 REAL, read back as text with the column's scale ("12.50")
//   Currency                REAL, read back as text with four decimals
//   Binary                  BLOB, the bytes as the Jet file holds them
//   DateTime                REAL, an OLE automation date (days since 1899-12-30)
// The metadata names contain a dot, which Jet forbids in names, so no Jet table meets them.
#include <optional>
#include <string>
#include <string_view>

#include "preview/ado/ado.h"

namespace tabulon::preview::ado::schema {

inline constexpr const char* kTablesTable = "tabulon.tables";
inline constexpr const char* kColumnsTable = "tabulon.columns";
inline constexpr const char* kInfoTable = "tabulon.info";
inline constexpr const char* kFormat = "1";

inline constexpr const char* kCreateStatements =
    "CREATE TABLE \"tabulon.tables\" (position INTEGER PRIMARY KEY, name TEXT NOT NULL, sqlite_name TEXT NOT NULL);"
    "CREATE TABLE \"tabulon.columns\" (table_position INTEGER NOT NULL, position INTEGER NOT NULL, name TEXT NOT NULL,"
    " jet_type TEXT NOT NULL, size INTEGER NOT NULL, precision INTEGER NOT NULL, scale INTEGER NOT NULL,"
    " required INTEGER NOT NULL, PRIMARY KEY (table_position, position));"
    "CREATE TABLE \"tabulon.info\" (key TEXT PRIMARY KEY, value TEXT);";

// A name as an SQLite identifier: in double quotes, quotes inside doubled.
inline std::string quotedName(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

inline const char* typeName(JetType type) {
    switch (type) {
    case JetType::Counter: return "Counter";
    case JetType::Text: return "Text";
    case JetType::Memo: return "Memo";
    case JetType::Long: return "Long";
    case JetType::Short: return "Short";
    case JetType::Byte: return "Byte";
    case JetType::Single: return "Single";
    case JetType::Double: return "Double";
    case JetType::Numeric: return "Numeric";
    case JetType::DateTime: return "DateTime";
    case JetType::Boolean: return "Boolean";
    case JetType::Currency: return "Currency";
    case JetType::Binary: return "Binary";
    }
    return "Text";
}

inline std::optional<JetType> typeFromName(std::string_view name) {
    for (JetType type :
         {JetType::Counter, JetType::Text, JetType::Memo, JetType::Long, JetType::Short, JetType::Byte, JetType::Single,
          JetType::Double, JetType::Numeric, JetType::DateTime, JetType::Boolean, JetType::Currency, JetType::Binary}) {
        if (name == typeName(type)) return type;
    }
    return std::nullopt;
}

// The SQLite column declaration of a Jet type (after the quoted name).
inline const char* storageDeclaration(JetType type) {
    switch (type) {
    case JetType::Counter: return "INTEGER PRIMARY KEY AUTOINCREMENT";
    case JetType::Text:
    case JetType::Memo: return "TEXT COLLATE NOCASE";
    case JetType::Long:
    case JetType::Short:
    case JetType::Byte:
    case JetType::Boolean: return "INTEGER";
    case JetType::Single:
    case JetType::Double:
    case JetType::Numeric:
    case JetType::Currency:
    case JetType::DateTime: return "REAL";
    case JetType::Binary: return "BLOB";
    }
    return "TEXT";
}

}  // namespace tabulon::preview::ado::schema
