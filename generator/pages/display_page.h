#pragma once
#include "generator/pages/page_generator.h"

namespace tabulon::generator {

// The display page: shows the record whose id the request carries, one labelled row per
// field, and reports a missing record.
class DisplayPageGenerator final : public PageGenerator {
public:
    const PageKind& kind() const override;
    std::string build(const PageInput& input, Messages& messages) const override;
};

}  // namespace tabulon::generator
