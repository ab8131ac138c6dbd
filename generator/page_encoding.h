#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/records.h"
#include "catalogue/snapshot.h"

namespace tabulon::generator {

// Where in the design a character that GBK cannot encode comes from, as a message prefix:
// "项目 记账 / 表 流水帐 / 字段 收支：字段名称". Searches the table, its fields, the tables and
// fields they link to and the template rows of the page kind, in that order.
std::string locateCharacter(const catalogue::Snapshot& model, const catalogue::Project& project,
                            const catalogue::Table& table, std::string_view templateKind, std::string_view character);

}  // namespace tabulon::generator
