#include "tests/importer/staff_database.h"

#include <fstream>

#include "jet/database.h"
#include "jet/row.h"
#include "jet/system_tables.h"
#include "jet/values.h"
#include "tests/jet/jet_edits.h"

namespace tabulon::importer::samples {
namespace {

namespace fs = std::filesystem;
using jet::ColumnType;
using jet::Value;

// A MSysRelationships row: `table`.`column` refers to `referenced`.`referencedColumn`.
std::string relationshipRow(const std::string& name, const std::string& table, const std::string& column,
                            const std::string& referenced, const std::string& referencedColumn) {
    const jet::TableLayout layout = jet::catalog::relationshipsLayout();
    std::vector<jet::Cell> cells(layout.columnSlots());
    const std::vector<Value> values{name,   std::int64_t{0x1000}, std::int64_t{1}, std::int64_t{0}, table,
                                    column, referenced,           referencedColumn};
    for (std::size_t c = 0; c < layout.columns.size(); ++c)
        cells[layout.columns[c].number] = {true, jet::encodeValue(layout.columns[c], values[c])};
    return jet::assembleRow(layout, cells);
}

// 部门 (departments) and 员工 (staff): 员工.部门 refers to 部门.id, 员工.地区 to 部门.编码
// (a whole-number column that is not the key), with a deleted department in between.
}  // namespace

fs::path writeStaffDatabase(const fs::path& folder) {
    auto db = jet::Database::createEmpty();
    db.createTable({"部门", {{"名称", ColumnType::Text}, {"编码", ColumnType::Long}}});
    db.createTable({"员工",
                    {{"姓名", ColumnType::Text},
                     {"部门", ColumnType::Long},
                     {"地区", ColumnType::Long},
                     {"入职", ColumnType::DateTime}}});
    db.insertWithId("部门", 3, {std::string("财务"), std::int64_t{301}});
    db.insertWithId("部门", 7, {std::string("销售"), std::int64_t{702}});
    db.insertWithId("部门", 9, {std::string("撤销的"), std::int64_t{903}});
    db.insertWithId("员工", 1, {std::string("张三"), std::int64_t{7}, std::int64_t{301}, jet::DateTime{2020, 5, 1}});
    db.insertWithId("员工", 4, {std::string("李四"), std::int64_t{3}, std::int64_t{702}, Value{}});
    db.insertWithId("员工", 5, {std::string("王五"), std::int64_t{7}, std::int64_t{999}, Value{}});
    db.raiseLastId("员工", 12);  // rows 6..12 were added and deleted
    db.createTable({"用户", {{"帐号", ColumnType::Text}, {"密码", ColumnType::Text}}});
    jet::testing::JetEdits edits(db.bytes());
    edits.deleteRow("部门", 9);
    edits.addRow(jet::catalog::kRelationshipsTdef, relationshipRow("部门员工", "员工", "部门", "部门", "id"));
    edits.addRow(jet::catalog::kRelationshipsTdef, relationshipRow("地区", "员工", "地区", "部门", "编码"));
    const fs::path path = folder / "人事.mdb";
    std::ofstream(path, std::ios::binary) << edits.bytes();
    return path;
}

}  // namespace tabulon::importer::samples
