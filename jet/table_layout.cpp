#include "jet/table_layout.h"

#include <algorithm>

#include "jet/error.h"

namespace tabulon::jet {

namespace {

constexpr const char* kPrimaryKeyName = "PrimaryKey";

// The design column types and the file's types, one for one; text and numbers carry
// their sizes besides.
struct TypePair {
    ColumnType design;
    JetType file;
};
constexpr TypePair kTypePairs[] = {
    {ColumnType::Text, JetType::Text},         {ColumnType::Memo, JetType::Memo},
    {ColumnType::Long, JetType::Long},         {ColumnType::Short, JetType::Integer},
    {ColumnType::Byte, JetType::Byte},         {ColumnType::Double, JetType::Double},
    {ColumnType::Single, JetType::Single},     {ColumnType::DateTime, JetType::DateTime},
    {ColumnType::Boolean, JetType::Boolean},   {ColumnType::Numeric, JetType::Numeric},
    {ColumnType::Currency, JetType::Currency}, {ColumnType::LongBinary, JetType::Ole},
};

JetType fileType(ColumnType design) {
    for (const TypePair& pair : kTypePairs)
        if (pair.design == design) return pair.file;
    return JetType::Text;
}

ColumnLayout designColumn(const Column& column) {
    ColumnLayout out;
    out.name = column.name;
    out.type = fileType(column.type);
    out.flags = column_flag::kFixed | column_flag::kUpdatable;
    switch (out.type) {
    case JetType::Text:
        out.flags = column_flag::kUpdatable;
        out.extraFlags = column_flag::kCompressedUnicode;
        out.length = static_cast<std::uint16_t>(2 * column.length);
        break;
    case JetType::Memo:
        out.flags = column_flag::kUpdatable;
        out.extraFlags = column_flag::kCompressedUnicode;
        break;
    case JetType::Ole: out.flags = column_flag::kUpdatable; break;  // bytes: nothing to compress
    case JetType::Numeric:
        // Stored fixed, as Access stores it.
        out.precision = static_cast<std::uint8_t>(column.precision);
        out.scale = static_cast<std::uint8_t>(column.scale);
        break;
    default: break;
    }
    if (!out.isVariable()) out.length = fixedSize(out.type);
    if (out.type == JetType::Boolean) out.length = 1;
    return out;
}

}  // namespace

std::optional<ColumnType> designType(JetType file) {
    for (const TypePair& pair : kTypePairs)
        if (pair.file == file) return pair.design;
    return std::nullopt;
}

std::uint16_t fixedSize(JetType type) {
    switch (type) {
    case JetType::Boolean: return 0;
    case JetType::Byte: return 1;
    case JetType::Integer: return 2;
    case JetType::Long:
    case JetType::Single: return 4;
    case JetType::Currency:
    case JetType::Double:
    case JetType::DateTime: return 8;
    case JetType::Guid: return 16;
    case JetType::Numeric: return 17;
    default: return 0;
    }
}

std::uint16_t TableLayout::variableColumnCount() const {
    return static_cast<std::uint16_t>(
        std::count_if(columns.begin(), columns.end(), [](const ColumnLayout& c) { return c.isVariable(); }));
}

std::uint16_t TableLayout::fixedAreaLength() const {
    std::uint16_t end = 0;
    for (const ColumnLayout& c : columns) {
        if (!c.isVariable()) end = std::max<std::uint16_t>(end, c.fixedOffset + fixedSize(c.type));
    }
    return end;
}

std::size_t TableLayout::longValueColumnCount() const {
    return static_cast<std::size_t>(
        std::count_if(columns.begin(), columns.end(), [](const ColumnLayout& c) { return c.isLongValue(); }));
}

void assignRowPositions(TableLayout& layout) {
    std::uint16_t fixedOffset = 0;
    std::uint16_t varIndex = 0;
    layout.blockOrder.clear();
    layout.blockOrder.reserve(layout.columns.size());
    for (std::size_t i = 0; i < layout.columns.size(); ++i) {
        ColumnLayout& c = layout.columns[i];
        c.number = static_cast<std::uint16_t>(i);
        layout.blockOrder.push_back(c.number);
        if (c.isVariable()) {
            c.varIndex = varIndex++;
            c.fixedOffset = 0;
        } else {
            // Booleans live in the null mask and take no fixed bytes.
            c.varIndex = 0;
            c.fixedOffset = c.type == JetType::Boolean ? 0 : fixedOffset;
            fixedOffset = static_cast<std::uint16_t>(fixedOffset + fixedSize(c.type));
        }
    }
}

TableLayout userTableLayout(const TableDefinition& definition) {
    TableLayout layout;
    ColumnLayout id;
    id.name = "id";
    id.type = JetType::Long;
    id.flags = column_flag::kFixed | column_flag::kUpdatable | column_flag::kAutoNumber;
    id.length = 4;
    layout.columns.reserve(definition.columns.size() + 1);
    layout.columns.push_back(id);
    for (const Column& column : definition.columns) layout.columns.push_back(designColumn(column));
    assignRowPositions(layout);

    RealIndexLayout primary;
    primary.columns = {0};
    primary.flags = index_flag::kJet4 | index_flag::kRequired | index_flag::kUnique;
    layout.realIndexes.push_back(primary);
    layout.logicalIndexes.push_back({0, 0, LogicalIndexKind::PrimaryKey, kPrimaryKeyName});
    for (const ColumnLayout& c : layout.columns) {
        if (c.isLongValue()) layout.longValueMaps.push_back({c.number, 0, 0});
    }
    return layout;
}

TableDefinition definitionFromLayout(const std::string& tableName, const TableLayout& layout) {
    auto unexpected = [&](const std::string& what) {
        return Error("表 " + tableName + ": 表结构不是本程序写出的形式（" + what + "）");
    };
    if (layout.columns.empty() || layout.columns[0].type != JetType::Long ||
        (layout.columns[0].flags & column_flag::kAutoNumber) == 0) {
        throw unexpected("第一列不是自动编号");
    }
    for (std::size_t i = 0; i < layout.columns.size(); ++i) {
        if (layout.columns[i].number != i) throw unexpected("字段编号不连续");
    }
    TableDefinition definition;
    definition.name = tableName;
    for (std::size_t i = 1; i < layout.columns.size(); ++i) {
        const ColumnLayout& c = layout.columns[i];
        Column column;
        column.name = c.name;
        const std::optional<ColumnType> type = designType(c.type);
        if (!type) throw unexpected("字段 " + c.name + " 的类型不受支持");
        column.type = *type;
        if (c.type == JetType::Text) column.length = c.length / 2;
        if (c.type == JetType::Numeric) {
            column.precision = c.precision;
            column.scale = c.scale;
        }
        definition.columns.push_back(column);
    }
    return definition;
}

}  // namespace tabulon::jet
