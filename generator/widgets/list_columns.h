#pragma once
// What one field contributes to the list page: its type code for the search script,
// and its data cell, which for a drop-down field shows the linked record's text.
#include <string>
#include <string_view>

#include "catalogue/records.h"
#include "catalogue/snapshot.h"

namespace tabulon::generator {

// How the search script treats a field's values, from its type's row: "2" dates, "1" text,
// numbers by their range: "3" single precision, "4" 小数, "5" long and auto-number, "6"
// short, "7" byte, "8" currency, "0" the rest (double, 逻辑, and a type no row has).
std::string_view searchTypeCode(const catalogue::Field& field);

// A date field: the search bar asks for a date range instead of an operator and value.
bool isDateField(const catalogue::Field& field);

// The data cell of a field: its stored value, or for a 组合框 field whose linked table and
// column exist, the linked record's column looked up by the stored id.
std::string listCell(const catalogue::Snapshot& model, const catalogue::Field& field);

}  // namespace tabulon::generator
