#include "generator/widgets/linked_source.h"

#include "catalogue/ids.h"

namespace tabulon::generator {

const catalogue::Table* linkedTable(const catalogue::Snapshot& model, const catalogue::Field& field) {
    return model.tableByIdText(field.linkTable);
}

std::optional<std::string> linkedFieldName(const catalogue::Snapshot& model, const catalogue::Field& field) {
    const auto id = catalogue::parseId(field.linkField);
    if (id && *id == 0) return std::string("id");
    if (const auto* linked = model.fieldByIdText(field.linkField)) return linked->name;
    return std::nullopt;
}

std::string dropDownQuery(std::string_view tableName, std::string_view columnName) {
    return "select id,[" + std::string(columnName) + "] from [" + std::string(tableName) + "] order by id asc";
}

std::string missingLinkedTableMessage(std::string_view tableName, const catalogue::Field& field) {
    const std::string linked =
        field.linkTable.empty() ? std::string("未选择") : "编号为 " + field.linkTable + " 的表已不存在";
    return "一个组合框关联的表不存在！\r\n字段:" + std::string(tableName) + "." + field.name + "\r\n关联表:" + linked +
           "\r\n请在字段编辑器中为这个字段重新选择关联表，或把它的输入类型改为文本框。";
}

}  // namespace tabulon::generator
