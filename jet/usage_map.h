#pragma once
// Usage maps: rows that say which pages belong to a set (a table's data
// pages, an index's pages, a memo column's long-value pages, or the free
// pages of the whole file).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabulon::jet {

class PageStore;

// Jet writes every map row with a 64-byte bitmap, 69 bytes in all.
inline constexpr std::size_t kMapRowSize = 69;

// A map row listing `pages` (ascending, unique). Inline (type 0) when they fit
// into the 512 pages after one start page; otherwise a reference map (type 1)
// whose bitmap pages are allocated from `store`.
std::string buildPageMap(const std::vector<std::uint32_t>& pages, PageStore& store);

// Row 0 of page 1: the free pages of the file, i.e. none below the current
// page count and all beyond it up to the end of the map. Allocates bitmap
// pages itself for files too large for an inline map.
std::string buildFreePageMap(PageStore& store);

// The pages a map row lists; `file` supplies the bitmap pages of type 1 maps.
std::vector<std::uint32_t> readPageMap(std::string_view row, std::string_view file);

}  // namespace tabulon::jet
