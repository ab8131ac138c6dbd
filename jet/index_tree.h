#pragma once
// Index B-trees. Leaf entries are key bytes plus the row's page (3 bytes,
// big-endian) and row number; a node page names each child but the last by
// the child's greatest entry plus the child's page (4 bytes, big-endian),
// and its last child through the "child tail" field.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulon::jet {

class PageStore;

// Entry bytes a page may carry after its 480-byte header and bitmap.
inline constexpr std::size_t kIndexEntrySpace = 3616;

// Key of a Long column (ascending): 7F then the value big-endian, sign bit flipped.
std::string longIndexKey(std::int32_t value);

std::string leafEntry(std::string_view key, std::uint32_t page, std::uint8_t row);

// A leaf entry of a Long key, packed: a table's key entries take 9 bytes a row, not a
// string apiece. Compare with std::memcmp (ascending by id, as the bytes sort).
using LongKeyEntry = std::array<char, 9>;
LongKeyEntry longKeyEntry(std::int32_t value, std::uint32_t page, std::uint8_t row);

// How the entries split into pages; depends only on entry sizes and order.
struct IndexTreeShape {
    struct PageShape {
        bool leaf = true;
        std::size_t first = 0, count = 0;  // leaves: entries; nodes: children on the level below
    };
    std::vector<std::vector<PageShape>> levels;  // levels[0] = leaves; the last level has one page, the root

    std::size_t pageCount() const;
};

// `Entries`: std::vector<std::string> or std::vector<LongKeyEntry>.
template <class Entries>
IndexTreeShape planIndexTree(const Entries& entries);

// Writes the tree for `entries` (sorted ascending, unique): the root on
// `rootPage`, every other page from `allocate`. Returns all pages used,
// root first.
template <class Entries>
std::vector<std::uint32_t> writeIndexTree(PageStore& store, std::uint32_t rootPage, std::uint32_t tdefPage,
                                          const Entries& entries, const std::function<std::uint32_t()>& allocate);

}  // namespace tabulon::jet
