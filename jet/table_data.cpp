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

bool knownType(JetType type) {
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

std::string hex(unsigned value) {
    static const char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[(value >> 4) & 0xF] + kDigits[value & 0xF];
}

// Long values are stored once each, so all of them together fit in the file;
// more means rows share a chain, which Jet never writes.
class LongValueBudget {
public:
    explicit LongValueBudget(std::size_t fileSize) : left_(fileSize) {}
    void spend(std::size_t bytes) {
        if (bytes > left_) throw Error("备注数据的总长超出文件大小（多行指向同一长值），文件已损坏");
        left_ -= bytes;
    }

private:
    std::size_t left_;
};

DataTable readTable(std::string_view file, const CatalogueEntry& entry, bool countOnly, LongValueBudget& budget,
                    std::size_t& rowsSeen) {
    const std::uint32_t tdefPage = entry.id & kPageBits;
    DataTable table;
    table.name = entry.name;
    try {
        const TableLayout layout = readTableLayout(file, tdefPage);
        for (const ColumnLayout& column : layout.columns) {
            if (!knownType(column.type)) {
                throw Error("字段 " + column.name + " 的类型 " + hex(static_cast<unsigned>(column.type)) +
                            " 不是 Jet 4 的字段类型");
            }
        }
        table.columns = layout.columns;
        table.lastAutoNumber = layout.lastAutoNumber;
        forEachRow(file, tdefPage, layout, [&](std::string_view row) {
            ++rowsSeen;
            const auto fields = splitRow(layout, row);
            if (countOnly) return;
            std::vector<Value> values(layout.columnSlots());
            for (const ColumnLayout& column : layout.columns) {
                const auto& field = fields[column.number];
                if (!field) continue;
                if (column.isLongValue()) {
                    const std::string stored = readLongValue(*field, file);
                    budget.spend(stored.size());
                    values[column.number] = decodeValue(column, stored);
                } else {
                    values[column.number] = decodeValue(column, *field);
                }
            }
            table.rows.push_back(std::move(values));
        });
    } catch (const Error& e) {
        throw Error("表 " + entry.name + "（第 " + std::to_string(tdefPage) + " 页）：" + e.what());
    }
    return table;
}

FileData read(std::string_view file, bool countOnly, std::size_t& rowsSeen) {
    checkJetFile(file);
    FileData data;
    LongValueBudget budget(file.size());
    for (const CatalogueEntry& entry : catalogueEntries(file)) {
        if ((entry.flags & catalog::kHiddenFlags) != 0) continue;  // Jet's and Access's own objects
        const std::int16_t type = static_cast<std::int16_t>(entry.type & kTypeMask);
        if (type == catalog::kTypeTable && entry.parentId == catalog::kTablesId) {
            data.tables.push_back(readTable(file, entry, countOnly, budget, rowsSeen));
        } else if (type == kTypeLinkedOdbc || type == kTypeQuery || type == kTypeLinkedTable) {
            data.otherObjects.push_back(entry.name);
        }
    }
    return data;
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

FileData readFileData(std::string_view file) {
    std::size_t rowsSeen = 0;
    return read(file, false, rowsSeen);
}

std::size_t countRows(std::string_view file) {
    std::size_t rowsSeen = 0;
    read(file, true, rowsSeen);
    return rowsSeen;
}

}  // namespace tabulon::jet
