#pragma once
#include "generator/pages/page_generator.h"

namespace tabulon::generator {

// The delete page: takes the comma-separated record ids that the list page's check boxes
// post, refuses any that is not a number and, with action "Delete", deletes the records.
// Nothing on it depends on the fields.
class DeletePageGenerator final : public PageGenerator {
public:
    const PageKind& kind() const override;
    std::string build(const PageInput& input, Messages& messages) const override;
};

}  // namespace tabulon::generator
