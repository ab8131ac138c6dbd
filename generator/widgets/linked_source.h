#pragma once
// Resolution of the table and column that feed a drop-down (关联表 / 关联字段).
#include <optional>
#include <string>

#include "catalogue/records.h"
#include "catalogue/snapshot.h"

namespace tabulon::generator {

// The linked table, or nullptr when 关联表 names no table ("0", "", unknown id).
const catalogue::Table* linkedTable(const catalogue::Snapshot& model, const catalogue::Field& field);

// The column whose values the drop-down shows. A 关联字段 of "0" stands for the linked
// table's key column and gives "id"; a field id that finds no field gives nothing.
std::optional<std::string> linkedFieldName(const catalogue::Snapshot& model, const catalogue::Field& field);

// The message for a drop-down whose linked table is gone: it names the field (of the
// table `tableName`), the stored table number, and what the user can do about it.
std::string missingLinkedTableMessage(std::string_view tableName, const catalogue::Field& field);

// The list query of a drop-down: "select id,<column> from <table> order by id asc".
std::string dropDownQuery(std::string_view tableName, std::string_view columnName);

}  // namespace tabulon::generator
