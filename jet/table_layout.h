#pragma once
// The physical shape of a table as a TDEF describes it: Jet column types,
// column numbers, row offsets, indexes and the pointers to its usage maps.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/types.h"

namespace tabulon::jet {

enum class JetType : std::uint8_t {
    Boolean = 0x01,
    Byte = 0x02,
    Integer = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Single = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0A,
    Ole = 0x0B,
    Memo = 0x0C,
    Guid = 0x0F,
    Numeric = 0x10,
};

// Whether `type` is one of the types above (a file may hold codes this reader does not know).
constexpr bool knownType(JetType type) {
    switch (type) {
    case JetType::Boolean:
    case JetType::Byte:
    case JetType::Integer:
    case JetType::Long:
    case JetType::Currency:
    case JetType::Single:
    case JetType::Double:
    case JetType::DateTime:
    case JetType::Binary:
    case JetType::Text:
    case JetType::Ole:
    case JetType::Memo:
    case JetType::Guid:
    case JetType::Numeric: return true;
    }
    return false;
}

namespace column_flag {
inline constexpr std::uint8_t kFixed = 0x01;
inline constexpr std::uint8_t kUpdatable = 0x02;  // set on every ordinary column
inline constexpr std::uint8_t kAutoNumber = 0x04;
inline constexpr std::uint8_t kSystem = 0x10;             // Jet's own catalogue columns
inline constexpr std::uint8_t kSid = 0x20;                // with kSystem on the security-id columns
inline constexpr std::uint8_t kCompressedUnicode = 0x01;  // in the extra flags
}  // namespace column_flag

namespace index_flag {
inline constexpr std::uint8_t kUnique = 0x01;
inline constexpr std::uint8_t kIgnoreNulls = 0x02;
inline constexpr std::uint8_t kRequired = 0x08;
inline constexpr std::uint8_t kJet4 = 0x80;  // always set in Jet 4 files
}  // namespace index_flag

inline constexpr std::uint16_t kSortGeneral = 1033;

struct ColumnLayout {
    std::string name;  // UTF-8
    JetType type = JetType::Long;
    std::uint16_t number = 0;
    std::uint16_t varIndex = 0;     // variable columns: slot in the row's offset table
    std::uint16_t fixedOffset = 0;  // fixed columns: offset inside the fixed area
    std::uint16_t length = 0;       // bytes; text: 2 x characters; long values: 0
    std::uint8_t flags = 0;
    std::uint8_t extraFlags = 0;
    std::uint8_t precision = 0;  // numeric only
    std::uint8_t scale = 0;      // numeric only

    bool isVariable() const { return (flags & column_flag::kFixed) == 0; }
    bool isLongValue() const { return type == JetType::Memo || type == JetType::Ole; }
    bool compressible() const { return (extraFlags & column_flag::kCompressedUnicode) != 0; }
};

struct RealIndexLayout {
    std::vector<std::uint16_t> columns;  // column numbers, all ascending
    std::uint32_t usageMap = 0;          // (row, page) pointer
    std::uint32_t rootPage = 0;
    std::uint8_t flags = 0;
    std::uint32_t uniqueEntries = 0;
};

enum class LogicalIndexKind : std::uint8_t { Plain = 0, PrimaryKey = 1 };

struct LogicalIndexLayout {
    std::uint32_t number = 0;
    std::uint32_t realIndex = 0;
    LogicalIndexKind kind = LogicalIndexKind::Plain;
    std::string name;
};

struct LongValueMaps {
    std::uint16_t column = 0;
    std::uint32_t ownedPages = 0;      // (row, page) pointer
    std::uint32_t freeSpacePages = 0;  // (row, page) pointer
};

struct TableLayout {
    bool system = false;
    std::uint32_t rowCount = 0;
    std::uint32_t lastAutoNumber = 0;
    std::vector<ColumnLayout> columns;      // ascending column numbers; no gaps in our own tables
    std::vector<std::uint16_t> blockOrder;  // order of the column blocks in the TDEF
    std::uint32_t ownedPages = 0;           // (row, page) pointer
    std::uint32_t freeSpacePages = 0;       // (row, page) pointer
    std::vector<RealIndexLayout> realIndexes;
    std::vector<LogicalIndexLayout> logicalIndexes;  // in TDEF order
    std::vector<LongValueMaps> longValueMaps;        // in TDEF order

    std::uint16_t variableColumnCount() const;
    std::uint16_t fixedAreaLength() const;
    std::size_t longValueColumnCount() const;
    // One more than the highest column number: the size of a row's value list.
    std::size_t columnSlots() const { return columns.empty() ? 0 : columns.back().number + 1u; }
};

// Byte size of a fixed column of `type` (Boolean occupies no row bytes).
std::uint16_t fixedSize(JetType type);

// Numbers the columns in order and gives each its fixed offset or its slot
// among the variable columns; block order becomes column-number order.
void assignRowPositions(TableLayout& layout);

// The design type a file's column type stands for; nullopt for types Tabulon does not
// write (fixed binary, GUID).
std::optional<ColumnType> designType(JetType file);

// Layout of a user table: `id` Counter as column 0, then the design's columns.
TableLayout userTableLayout(const TableDefinition& definition);

// The design a user-table layout came from (`id` left out). Throws Error for a
// layout this writer would not have produced.
TableDefinition definitionFromLayout(const std::string& tableName, const TableLayout& layout);

}  // namespace tabulon::jet
