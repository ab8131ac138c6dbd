#pragma once
// The block that opens the table (or the chosen records) as the updatable record set
// rsAdd: shared by the add, modify and delete pages.
#include <string>
#include <string_view>

namespace tabulon::generator {

// `query` (VBScript lines that set sql) followed by the opening of rsAdd with an
// updatable cursor.
std::string openRecordSet(std::string_view query);

}  // namespace tabulon::generator
