#pragma once
#include "generator/pages/page_generator.h"

namespace tabulon::generator {

// The add page: a form with one row per field that, posted with action "add", checks the
// numbers, appends a record and goes on to the list page.
class AddPageGenerator final : public PageGenerator {
public:
    const PageKind& kind() const override;
    std::string build(const PageInput& input, Messages& messages) const override;
};

}  // namespace tabulon::generator
