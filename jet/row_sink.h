#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "jet/byte_io.h"
#include "jet/data_page.h"
#include "jet/page_store.h"

namespace tabulon::jet {

// Rows placed one after another on pages of one owner, new pages on demand.
class RowSink {
public:
    RowSink(PageStore& store, std::uint32_t owner, std::function<std::uint32_t()> allocate)
        : store_(store), owner_(owner), allocate_(std::move(allocate)) {}

    std::uint32_t add(std::string_view row) {
        if (pages_.empty() || !data_page::fits(store_.view(pages_.back()), row.size())) {
            const std::uint32_t page = allocate_();
            data_page::init(store_.page(page), owner_);
            pages_.push_back(page);
        }
        return rowPointer(pages_.back(), data_page::addRow(store_.page(pages_.back()), row));
    }
    const std::vector<std::uint32_t>& pages() const { return pages_; }
    // The page new rows would go to, when a row of `minimum` bytes still fits.
    std::vector<std::uint32_t> pagesWithSpace(std::size_t minimum) const {
        if (!pages_.empty() && data_page::fits(store_.view(pages_.back()), minimum)) return {pages_.back()};
        return {};
    }

private:
    PageStore& store_;
    std::uint32_t owner_;
    std::function<std::uint32_t()> allocate_;
    std::vector<std::uint32_t> pages_;
};

}  // namespace tabulon::jet
