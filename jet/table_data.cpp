#include "jet/table_data.h"

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/long_value.h"
#include "jet/row.h"
#include "jet/system_tables.h"
#include "jet/table_scan.h"
#include "jet/tdef.h"
#include "jet/values.h"

namespace tabulon::jet {
namespace {

constexpr std::uint32_t kPageBits = 0x00FFFFFF;
constexpr std::int16_t kTypeMask = 0x7F;
// Catalogue objects a user made that hold no rows of their own.
constexpr std::int16_t kTypeLinkedOdbc = 4, kTypeQuery = 5, kTypeLinkedTable = 6;

std::string hex(unsigned value) {
    static const char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[(value >> 4) & 0xF] + kDigits[value & 0xF];
}

}  // namespace

// Long values are stored once each, so all of them together fit in the file;
// more means rows share a chain, which Jet never writes.
void FileRows::spend(std::size_t bytes) const {
    if (bytes > longValueBudget_) throw Error("备注数据的总长超出文件大小（多行指向同一长值），文件已损坏");
    longValueBudget_ -= bytes;
}

Value FileRows::value(std::size_t table, std::size_t row, int column) const {
    const TableLayout& layout = layouts[table];
    try {
        const auto fields = splitRow(layout, images[table][row]);
        for (const ColumnLayout& c : layout.columns) {
            if (c.number != column) continue;
            const auto& field = fields[c.number];
            if (!field) return {};
            if (!c.isLongValue()) return decodeValue(c, *field);
            const std::string stored = readLongValue(*field, file);
            spend(stored.size());
            return decodeValue(c, stored);
        }
        return {};
    } catch (const Error& e) {
        throw Error("表 " + tables[table].name + "（第 " + std::to_string(tdefPages[table]) + " 页）：" + e.what());
    }
}

std::vector<Value> FileRows::row(std::size_t table, std::size_t row) const {
    const TableLayout& layout = layouts[table];
    try {
        const auto fields = splitRow(layout, images[table][row]);
        std::vector<Value> values(layout.columnSlots());
        for (const ColumnLayout& column : layout.columns) {
            const auto& field = fields[column.number];
            if (!field) continue;
            if (column.isLongValue()) {
                const std::string stored = readLongValue(*field, file);
                spend(stored.size());
                values[column.number] = decodeValue(column, stored);
            } else {
                values[column.number] = decodeValue(column, *field);
            }
        }
        return values;
    } catch (const Error& e) {
        throw Error("表 " + tables[table].name + "（第 " + std::to_string(tdefPages[table]) + " 页）：" + e.what());
    }
}

namespace {

// A table's design and where its live rows sit, in page order.
void readTable(FileRows& rows, const CatalogueEntry& entry) {
    const std::uint32_t tdefPage = entry.id & kPageBits;
    DataTable table;
    table.name = entry.name;
    std::vector<std::string_view> images;
    TableLayout layout;
    try {
        layout = readTableLayout(rows.file, tdefPage);
        for (const ColumnLayout& column : layout.columns) {
            if (!knownType(column.type)) {
                throw Error("字段 " + column.name + " 的类型 " + hex(static_cast<unsigned>(column.type)) +
                            " 不是 Jet 4 的字段类型");
            }
        }
        table.columns = layout.columns;
        table.lastAutoNumber = layout.lastAutoNumber;
        forEachRow(rows.file, tdefPage, layout, [&](std::string_view row) { images.push_back(row); });
    } catch (const Error& e) {
        throw Error("表 " + entry.name + "（第 " + std::to_string(tdefPage) + " 页）：" + e.what());
    }
    rows.tables.push_back(std::move(table));
    rows.tdefPages.push_back(tdefPage);
    rows.layouts.push_back(std::move(layout));
    rows.images.push_back(std::move(images));
}

}  // namespace

int DataTable::counterColumn() const {
    for (const ColumnLayout& column : columns) {
        if (column.type == JetType::Long && (column.flags & column_flag::kAutoNumber) != 0) return column.number;
    }
    return -1;
}

std::size_t FileData::rowCount() const {
    std::size_t count = 0;
    for (const DataTable& table : tables) count += table.rows.size();
    return count;
}

FileRows readFileRows(std::string_view file) {
    checkJetFile(file);
    FileRows rows(file);
    for (const CatalogueEntry& entry : catalogueEntries(file)) {
        if ((entry.flags & catalog::kHiddenFlags) != 0) continue;  // Jet's and Access's own objects
        const std::int16_t type = static_cast<std::int16_t>(entry.type & kTypeMask);
        if (type == catalog::kTypeTable && entry.parentId == catalog::kTablesId) {
            readTable(rows, entry);
        } else if (type == kTypeLinkedOdbc || type == kTypeQuery || type == kTypeLinkedTable) {
            rows.otherObjects.push_back(entry.name);
        }
    }
    return rows;
}

FileData readFileData(std::string_view file) {
    FileRows rows = readFileRows(file);
    FileData data;
    for (std::size_t t = 0; t < rows.tables.size(); ++t) {
        DataTable table = std::move(rows.tables[t]);
        table.rows.reserve(rows.images[t].size());
        for (std::size_t i = 0; i < rows.images[t].size(); ++i) table.rows.push_back(rows.row(t, i));
        data.tables.push_back(std::move(table));
    }
    data.otherObjects = std::move(rows.otherObjects);
    return data;
}

std::size_t countRows(std::string_view file) {
    const FileRows rows = readFileRows(file);
    std::size_t count = 0;
    for (const auto& images : rows.images) count += images.size();
    return count;
}

}  // namespace tabulon::jet
