#include "jet/file_reader.h"

#include <algorithm>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/long_value.h"
#include "jet/row.h"
#include "jet/system_tables.h"
#include "jet/table_scan.h"
#include "jet/tdef.h"
#include "jet/text_codec.h"
#include "jet/values.h"

namespace tabulon::jet {
namespace {

struct TableEntry {
    std::string name;
    std::uint32_t tdefPage;
    double created;
};

// The file is rewritten from what is read, so anything this writer cannot
// write again is refused instead of being dropped on the next save.
[[noreturn]] void cannotKeep(const std::string& what) {
    throw Error("数据库含有本程序不能原样保留的内容（" + what + "），为免保存时丢失，不打开此文件");
}

bool isJetObject(std::uint32_t id, std::uint32_t parent, const std::string& name) {
    const auto objects = catalog::systemObjects();
    return std::any_of(objects.begin(), objects.end(), [&](const catalog::CatalogObject& o) {
        return o.id == id && o.parentId == parent && o.name == name;
    });
}

std::vector<TableEntry> userTables(std::string_view file) {
    std::vector<TableEntry> tables;
    for (const CatalogueEntry& entry : catalogueEntries(file)) {
        if (isJetObject(entry.id, entry.parentId, entry.name)) continue;
        if (entry.type != catalog::kTypeTable || entry.parentId != catalog::kTablesId || entry.flags != 0) {
            cannotKeep("对象 " + entry.name + "，类型 " + std::to_string(entry.type));
        }
        if (entry.hasProperties) cannotKeep("表 " + entry.name + " 的属性");
        tables.push_back({entry.name, entry.id & 0x00FFFFFF, entry.created});
    }
    if (readTableLayout(file, catalog::kQueriesTdef).rowCount != 0) cannotKeep("查询");
    if (readTableLayout(file, catalog::kRelationshipsTdef).rowCount != 0) cannotKeep("表间关系");
    return tables;
}

StoredTable readUserTable(std::string_view file, const TableEntry& entry) {
    const TableLayout layout = readTableLayout(file, entry.tdefPage);
    if (layout.realIndexes.size() != 1 || layout.logicalIndexes.size() != 1 ||
        layout.realIndexes[0].columns != std::vector<std::uint16_t>{0}) {
        cannotKeep("表 " + entry.name + " 的索引");
    }
    StoredTable table(definitionFromLayout(entry.name, layout), entry.created);
    forEachRow(file, entry.tdefPage, layout, [&](std::string_view row) {
        const auto fields = splitRow(layout, row);
        if (!fields[0]) throw Error("表 " + entry.name + ": 有一行没有 id");
        const auto id = static_cast<std::int32_t>(getU32(*fields[0], 0));
        std::vector<Value> values;
        for (std::size_t c = 1; c < layout.columns.size(); ++c) {
            const ColumnLayout& column = layout.columns[c];
            if (!fields[c]) {
                values.emplace_back();
            } else if (column.isLongValue()) {
                values.push_back(decodeValue(column, readLongValue(*fields[c], file)));
            } else {
                values.push_back(decodeValue(column, *fields[c]));
            }
        }
        table.restore(id, values);
    });
    // Ids of deleted rows are not handed out again.
    table.raiseLastId(static_cast<std::int32_t>(layout.lastAutoNumber));
    return table;
}

}  // namespace

std::vector<StoredTable> readDatabaseFile(std::string_view file) {
    checkJetFile(file);
    std::vector<StoredTable> tables;
    for (const TableEntry& entry : userTables(file)) tables.push_back(readUserTable(file, entry));
    return tables;
}

}  // namespace tabulon::jet
