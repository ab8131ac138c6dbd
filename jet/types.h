#pragma once
// The design-level model of a Jet table, as the rest of Tabulon sees it.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tabulon::jet {

// Currency holds a signed count of ten-thousandths; LongBinary is a long value of raw
// bytes (Access's OLE object), kept as a std::string of those bytes.
enum class ColumnType {
    Text,
    Long,
    Short,
    Double,
    Single,
    Byte,
    Numeric,
    DateTime,
    Memo,
    Boolean,
    Currency,
    LongBinary
};

struct Column {
    std::string name;  // UTF-8
    ColumnType type = ColumnType::Text;
    int length = 50;    // Text: maximum characters (1..255)
    int precision = 6;  // Numeric only (1..28)
    int scale = 2;      // Numeric only (0..precision)

    friend bool operator==(const Column&, const Column&) = default;
};

// A user table. Every table also has the autonumber primary key `id`,
// which is implied and never listed in `columns`.
struct TableDefinition {
    std::string name;  // UTF-8
    std::vector<Column> columns;

    friend bool operator==(const TableDefinition&, const TableDefinition&) = default;
};

struct DateTime {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;

    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// A cell value. Numeric and Currency columns read back as exact decimal strings ("1234.56"),
// LongBinary columns as their bytes.
using Value = std::variant<std::monostate, std::string, std::int64_t, double, bool, DateTime>;

struct Row {
    std::int32_t id = 0;
    std::vector<Value> values;  // one per column of the definition, in order
};

}  // namespace tabulon::jet
