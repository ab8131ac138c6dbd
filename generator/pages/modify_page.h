#pragma once
#include "generator/pages/page_generator.h"

namespace tabulon::generator {

// The modify page: opened with a record id, shows the record in the add page's form and,
// posted with action "modify", checks the numbers, updates the record and goes back.
class ModifyPageGenerator final : public PageGenerator {
public:
    const PageKind& kind() const override;
    std::string build(const PageInput& input, Messages& messages) const override;
};

// The code that opens the requested record as rsAdd and leaves "if not rsAdd.eof then"
// open; the modify and display pages run it before their form.
std::string recordQuery(std::string_view tableName);

// Closes what recordQuery opened; a missing record shows 指定编号的记录不存在 and goes back.
std::string recordPageEnd();

}  // namespace tabulon::generator
