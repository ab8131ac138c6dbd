#include "bench/synthetic_project.h"

#include <string>
#include <vector>

#include "catalogue/catalogue.h"

namespace tabulon::bench {
namespace {

catalogue::Snapshot makeProject() {
    const auto defaults = catalogue::Catalogue::inMemory();
    std::vector<catalogue::Table> tables;
    std::vector<catalogue::Field> fields;
    static const char* kTypes[] = {"文本", "长整型", "日期时间", "备注", "小数", "文本"};
    static const char* kInputs[] = {"文本框", "文本框", "时间框", "文本域", "文本框", "组合框"};
    catalogue::Id fieldId = 1000;
    for (int t = 0; t < kTables; ++t) {
        const catalogue::Id tableId = 100 + t;
        tables.push_back({tableId, kProjectId, "学生信息表" + std::to_string(t), ""});
        for (int f = 0; f < kFieldsPerTable; ++f) {
            catalogue::Field field;
            field.id = fieldId++;
            field.tableId = tableId;
            field.name = "字段名称" + std::to_string(f);
            field.type = kTypes[f % 6];
            // The first table has no table before it to feed its drop-downs: text boxes.
            field.inputType = t == 0 && f % 6 == 5 ? "文本框" : kInputs[f % 6];
            field.order = f * 3;
            if (field.inputType == "组合框") {
                field.linkTable = std::to_string(tableId - 1);
                field.linkField = std::to_string(field.id - kFieldsPerTable - 5);
            }
            fields.push_back(field);
        }
    }
    // The accounts of the site, so that the login step has its marks.
    const catalogue::Id users = 100 + kTables;
    tables.push_back({users, kProjectId, "用户", ""});
    fields.push_back({fieldId++, users, "帐号", "文本", "username", 3, "文本框", "", "", "", "", "", ""});
    fields.push_back({fieldId++, users, "密码", "文本", "password", 6, "文本框", "", "", "", "", "", ""});
    return catalogue::Snapshot({{kProjectId, "基准", ""}}, tables, fields, defaults.allTemplates());
}

}  // namespace

const catalogue::Snapshot& syntheticProject() {
    static const catalogue::Snapshot snapshot = makeProject();
    return snapshot;
}

}  // namespace tabulon::bench
