#pragma once
#include "generator/pages/page_generator.h"

namespace tabulon::generator {

// The list page: the table's records fifteen to a page under a search bar, each row linked
// to the display and modify pages, with check boxes that post to the delete page.
class ListPageGenerator final : public PageGenerator {
public:
    const PageKind& kind() const override;
    std::string build(const PageInput& input, Messages& messages) const override;
};

}  // namespace tabulon::generator
