// Catalogue::addDesigns: designs from an Access file or an older catalogue, added whole.
#include <SQLiteCpp/SQLiteCpp.h>

#include "base/error.h"
#include "catalogue/catalogue.h"
#include "catalogue/ids.h"

namespace tabulon::catalogue {
namespace {

// "0" keeps its meaning (the linked table's key, or none); empty stays empty.
std::string remapped(const std::string& text, const std::map<Id, Id>& ids, const std::string& where,
                     std::vector<std::string>& unresolved) {
    if (text.empty() || text == "0") return text;
    const auto id = parseId(text);
    if (id) {
        if (const auto found = ids.find(*id); found != ids.end()) return std::to_string(found->second);
    }
    unresolved.push_back(where + "“" + text + "”");
    return {};
}

void removeProject(SQLite::Database& db, Id id) {
    SQLite::Statement fields(db, "DELETE FROM 字段 WHERE 表编号 IN (SELECT id FROM 表 WHERE 项目编号 = ?)");
    fields.bind(1, id);
    fields.exec();
    SQLite::Statement tables(db, "DELETE FROM 表 WHERE 项目编号 = ?");
    tables.bind(1, id);
    tables.exec();
    SQLite::Statement project(db, "DELETE FROM 项目 WHERE id = ?");
    project.bind(1, id);
    project.exec();
}

}  // namespace

std::vector<AddedDesign> Catalogue::addDesigns(const DesignBatch& batch) {
    std::vector<AddedDesign> added;
    try {
        SQLite::Transaction transaction(*db_);
        for (const Id id : batch.replacing) removeProject(*db_, id);
        if (batch.replaceTemplates) db_->exec("DELETE FROM 模板定义");
        for (const NewDesign& design : batch.designs) {
            AddedDesign result;
            Project project = design.project;
            result.projectId = addProject(project);
            for (const NewTable& table : design.tables) {
                Table row = table.table;
                row.projectId = result.projectId;
                result.tableIds[table.table.id] = addTable(row);
            }
            // Fields first with their links empty, then the links once every id is known.
            std::vector<std::pair<Field, Id>> fields;
            for (const NewTable& table : design.tables) {
                for (const Field& field : table.fields) {
                    Field row = field;
                    row.tableId = result.tableIds.at(table.table.id);
                    row.linkTable = row.linkField = row.cascadeTable = row.cascadeField = row.cascadeCondition =
                        row.cascadeDisplay = "";
                    row.id = addField(row);
                    result.fieldIds[field.id] = row.id;
                    fields.emplace_back(field, row.id);
                }
            }
            for (const auto& [field, id] : fields) {
                if (field.linkTable.empty() && field.linkField.empty() && field.cascadeTable.empty() &&
                    field.cascadeField.empty() && field.cascadeCondition.empty() && field.cascadeDisplay.empty())
                    continue;
                Field row = *this->field(id);
                const std::string where = "字段 " + field.name + " 的";
                auto& lost = result.unresolvedLinks;
                row.linkTable = remapped(field.linkTable, result.tableIds, where + "关联表", lost);
                row.linkField = remapped(field.linkField, result.fieldIds, where + "关联字段", lost);
                row.cascadeTable = remapped(field.cascadeTable, result.tableIds, where + "联动表", lost);
                row.cascadeField = remapped(field.cascadeField, result.fieldIds, where + "联动字段", lost);
                row.cascadeCondition = remapped(field.cascadeCondition, result.fieldIds, where + "联动条件", lost);
                row.cascadeDisplay = remapped(field.cascadeDisplay, result.fieldIds, where + "联显字段", lost);
                updateField(row);
            }
            added.push_back(std::move(result));
        }
        for (const TemplateRow& row : batch.templates) addTemplate(row);
        transaction.commit();
    } catch (const SQLite::Exception& e) {
        throw Error(std::string("导入设计时目录数据库出错，目录没有改动：") + e.what());
    }
    return added;
}

}  // namespace tabulon::catalogue
