#pragma once
// What one field contributes to the list page: its type code for the search script,
// and its data cell, which for a drop-down field shows the linked record's text.
#include <string>
#include <string_view>

#include "catalogue/records.h"
#include "catalogue/snapshot.h"

namespace tabulon::generator {

// How the search script treats a field's values: "2" 日期时间, "1" 文本 and 备注, numbers by
// their range: "3" 单精度, "4" 小数, "5" 长整型 and 自动编号, "6" 整型, "7" 字节型, "0" the
// rest (双精度, 逻辑).
std::string_view searchTypeCode(std::string_view dataType);

// A 日期时间 field: the search bar asks for a date range instead of an operator and value.
bool isDateField(const catalogue::Field& field);

// The data cell of a field: its stored value, or for a 组合框 field whose linked table and
// column exist, the linked record's column looked up by the stored id.
std::string listCell(const catalogue::Snapshot& model, const catalogue::Field& field);

}  // namespace tabulon::generator
