#pragma once
// The file being built: zero-filled 4 KB pages handed out in order.

#include <cstdint>
#include <string>
#include <string_view>

#include "jet/page_size.h"

namespace tabulon::jet {

class PageStore {
public:
    // Number of the new page. Pointers from page() do not survive allocate().
    std::uint32_t allocate() {
        bytes_.append(kPageSize, '\0');
        return count() - 1;
    }
    std::uint32_t count() const { return static_cast<std::uint32_t>(bytes_.size() / kPageSize); }
    char* page(std::uint32_t number) { return bytes_.data() + static_cast<std::size_t>(number) * kPageSize; }
    std::string_view view(std::uint32_t number) const {
        return std::string_view(bytes_).substr(static_cast<std::size_t>(number) * kPageSize, kPageSize);
    }
    // Whole pages made earlier, appended as they are.
    void append(std::string_view pages) { bytes_.append(pages); }
    // Every page from `first` on.
    std::string_view from(std::uint32_t first) const {
        return std::string_view(bytes_).substr(static_cast<std::size_t>(first) * kPageSize);
    }
    void reserve(std::size_t pages) { bytes_.reserve(pages * kPageSize); }
    std::string release() && { return std::move(bytes_); }

private:
    std::string bytes_;
};

}  // namespace tabulon::jet
