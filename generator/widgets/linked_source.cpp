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
    return "select id," + std::string(columnName) + " from " + std::string(tableName) + " order by id asc";
}

}  // namespace tabulon::generator
