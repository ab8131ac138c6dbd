#pragma once
// What one field contributes to the list page: its type code for the search script,
// and its data cell, which for a drop-down field shows the linked record's text.
#include <string>
#include <string_view>

#include "catalogue/records.h"
#include "catalogue/snapshot.h"

namespace tabulon::generator {

// How the search script treats a field's values, from its type's row: "2" dates, "1" text,
// "3" single-precision numbers, "0" the rest (and a type no row has).
std::string_view searchTypeCode(const catalogue::Field& field);

// A date field: the search bar asks for a date range instead of an operator and value.
bool isDateField(const catalogue::Field& field);

// The data cell of a field of each input type: its stored value, its rich text cleaned, or
// for a drop-down whose linked table and column exist, the linked record's column looked up
// by the stored id. widget_renderer.cpp chooses among them.
using ListCellRule = std::string (*)(const catalogue::Snapshot& model, const catalogue::Field& field);
namespace list_cell {
std::string plain(const catalogue::Snapshot&, const catalogue::Field&);
std::string richText(const catalogue::Snapshot&, const catalogue::Field&);
std::string linked(const catalogue::Snapshot&, const catalogue::Field&);
}  // namespace list_cell

}  // namespace tabulon::generator
