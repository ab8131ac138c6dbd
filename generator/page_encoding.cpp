#include "generator/page_encoding.h"

#include <initializer_list>
#include <utility>

namespace tabulon::generator {
namespace {

using Column = std::pair<const char*, const std::string*>;

std::optional<std::string> columnHolding(std::initializer_list<Column> columns, std::string_view character) {
    for (const auto& [name, value] : columns)
        if (value->find(character) != std::string::npos) return std::string(name);
    return std::nullopt;
}

std::optional<std::string> fieldColumnHolding(const catalogue::Field& field, std::string_view character) {
    return columnHolding({{"字段名称", &field.name},
                          {"字段说明", &field.description},
                          {"字段类型", &field.type},
                          {"输入类型", &field.inputType},
                          {"关联表", &field.linkTable},
                          {"关联字段", &field.linkField},
                          {"联动表", &field.cascadeTable},
                          {"联动字段", &field.cascadeField},
                          {"联动条件", &field.cascadeCondition},
                          {"联显字段", &field.cascadeDisplay}},
                         character);
}

}  // namespace

std::string locateCharacter(const catalogue::Snapshot& model, const catalogue::Project& project,
                            const catalogue::Table& table, std::string_view templateKind, std::string_view character) {
    const std::string prefix = "项目 " + project.name + " / 表 " + table.name;
    if (table.name.find(character) != std::string::npos) return prefix + "：表名称";

    const auto& fields = model.fieldsOf(table.id);
    for (const auto* field : fields)
        if (auto column = fieldColumnHolding(*field, character))
            return prefix + " / 字段 " + field->name + "：" + *column;

    // Names that drop-downs and cascades bring in from the tables they link to.
    for (const auto* field : fields) {
        for (const std::string* link : {&field->linkTable, &field->cascadeTable})
            if (const auto* linked = model.tableByIdText(*link);
                linked && linked->name.find(character) != std::string::npos)
                return "项目 " + project.name + " / 表 " + linked->name + "：表名称（由表 " + table.name + " 的字段 " +
                       field->name + " 关联）";
        for (const std::string* link :
             {&field->linkField, &field->cascadeField, &field->cascadeCondition, &field->cascadeDisplay})
            if (const auto* linked = model.fieldByIdText(*link);
                linked && linked->name.find(character) != std::string::npos)
                return "字段 " + linked->name + "：字段名称（由表 " + table.name + " 的字段 " + field->name + " 关联）";
    }

    for (const auto& row : model.templates())
        if (row.kind == templateKind && row.content.find(character) != std::string::npos)
            return "模板 " + row.kind + " / ID " + std::to_string(row.id) + "：内容";
    return prefix + "：页面内容";
}

}  // namespace tabulon::generator
