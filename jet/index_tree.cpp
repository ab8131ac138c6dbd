#include "jet/index_tree.h"

#include <algorithm>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/page_store.h"

namespace tabulon::jet {
namespace {

constexpr std::uint8_t kNodePage = 0x03;
constexpr std::uint8_t kLeafPage = 0x04;
constexpr std::size_t kEntryBitmap = 27;
constexpr std::size_t kEntries = 480;
constexpr std::size_t kChildPointer = 4;

void putEntries(char* page, const std::vector<std::string_view>& entries) {
    std::size_t total = 0;
    for (std::string_view entry : entries) {
        std::copy(entry.begin(), entry.end(), page + kEntries + total);
        total += entry.size();
        // Each entry marks the bit at the running byte count where it ends.
        page[kEntryBitmap + total / 8] = static_cast<char>(page[kEntryBitmap + total / 8] | (1 << (total % 8)));
    }
    setU16(page + 2, static_cast<std::uint16_t>(kIndexEntrySpace - total));
}

std::string_view view(const std::string& entry) { return entry; }
std::string_view view(const LongKeyEntry& entry) { return {entry.data(), entry.size()}; }

}  // namespace

std::string longIndexKey(std::int32_t value) {
    std::string key;
    putU8(key, 0x7F);
    putU32BE(key, static_cast<std::uint32_t>(value) ^ 0x80000000u);
    return key;
}

std::string leafEntry(std::string_view key, std::uint32_t page, std::uint8_t row) {
    std::string entry(key);
    entry.push_back(static_cast<char>((page >> 16) & 0xFF));
    entry.push_back(static_cast<char>((page >> 8) & 0xFF));
    entry.push_back(static_cast<char>(page & 0xFF));
    entry.push_back(static_cast<char>(row));
    return entry;
}

LongKeyEntry longKeyEntry(std::int32_t value, std::uint32_t page, std::uint8_t row) {
    LongKeyEntry entry{};
    const std::string bytes = leafEntry(longIndexKey(value), page, row);
    std::copy(bytes.begin(), bytes.end(), entry.begin());
    return entry;
}

std::size_t IndexTreeShape::pageCount() const {
    std::size_t n = 0;
    for (const auto& level : levels) n += level.size();
    return n;
}

template <class Entries>
IndexTreeShape planIndexTree(const Entries& entries) {
    IndexTreeShape shape;
    // Leaves, filled in order.
    std::vector<IndexTreeShape::PageShape> leaves;
    std::vector<std::size_t> greatest;  // per page: size of the greatest leaf entry below it
    IndexTreeShape::PageShape current;
    std::size_t used = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t size = entries[i].size();
        if (size > kIndexEntrySpace / 2) throw Error("索引键过长");
        if (current.count > 0 && used + size > kIndexEntrySpace) {
            leaves.push_back(current);
            greatest.push_back(entries[i - 1].size());
            current = {true, i, 0};
            used = 0;
        }
        current.count++;
        used += size;
    }
    leaves.push_back(current);
    greatest.push_back(entries.empty() ? 0 : entries.back().size());
    shape.levels.push_back(leaves);

    // Node levels until one page remains. The last child of a node costs no
    // entry; a node with a single child lists it as an ordinary entry.
    while (shape.levels.back().size() > 1) {
        const auto& below = shape.levels.back();
        std::vector<IndexTreeShape::PageShape> nodes;
        std::vector<std::size_t> nodeGreatest;
        std::size_t child = 0;
        while (child < below.size()) {
            IndexTreeShape::PageShape node{false, child, 1};
            std::size_t cost = 0;
            while (child + node.count < below.size() &&
                   cost + greatest[child + node.count - 1] + kChildPointer <= kIndexEntrySpace) {
                cost += greatest[child + node.count - 1] + kChildPointer;
                node.count++;
            }
            child += node.count;
            nodes.push_back(node);
            nodeGreatest.push_back(greatest[child - 1]);
        }
        shape.levels.push_back(nodes);
        greatest = std::move(nodeGreatest);
    }
    return shape;
}

template <class Entries>
std::vector<std::uint32_t> writeIndexTree(PageStore& store, std::uint32_t rootPage, std::uint32_t tdefPage,
                                          const Entries& entries, const std::function<std::uint32_t()>& allocate) {
    const IndexTreeShape shape = planIndexTree(entries);
    // Page numbers per level; the single top page is the root.
    std::vector<std::vector<std::uint32_t>> numbers(shape.levels.size());
    std::vector<std::uint32_t> all{rootPage};
    for (std::size_t level = 0; level < shape.levels.size(); ++level) {
        for (std::size_t i = 0; i < shape.levels[level].size(); ++i) {
            const bool root = level + 1 == shape.levels.size();
            numbers[level].push_back(root ? rootPage : allocate());
            if (!root) all.push_back(numbers[level].back());
        }
    }

    // Greatest leaf entry under each page, carried up level by level.
    std::vector<std::string_view> greatest;
    for (std::size_t level = 0; level < shape.levels.size(); ++level) {
        const auto& pages = shape.levels[level];
        std::vector<std::string_view> nextGreatest;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const auto& shapeOfPage = pages[i];
            std::vector<std::string> nodeEntries;
            std::vector<std::string_view> pageEntries;
            std::uint32_t tail = 0;
            if (shapeOfPage.leaf) {
                for (std::size_t e = 0; e < shapeOfPage.count; ++e)
                    pageEntries.push_back(view(entries[shapeOfPage.first + e]));
                nextGreatest.push_back(shapeOfPage.count ? pageEntries.back() : std::string_view());
            } else {
                const std::size_t listed = shapeOfPage.count == 1 ? 1 : shapeOfPage.count - 1;
                for (std::size_t c = 0; c < listed; ++c) {
                    std::string entry(greatest[shapeOfPage.first + c]);
                    putU32BE(entry, numbers[level - 1][shapeOfPage.first + c]);
                    nodeEntries.push_back(std::move(entry));
                }
                if (shapeOfPage.count > 1) tail = numbers[level - 1][shapeOfPage.first + shapeOfPage.count - 1];
                for (const std::string& entry : nodeEntries) pageEntries.push_back(entry);
                nextGreatest.push_back(greatest[shapeOfPage.first + shapeOfPage.count - 1]);
            }
            char* page = store.page(numbers[level][i]);
            std::fill_n(page, kPageSize, '\0');
            page[0] = static_cast<char>(shapeOfPage.leaf ? kLeafPage : kNodePage);
            page[1] = 0x01;
            setU32(page + 4, tdefPage);
            setU32(page + 12, i > 0 ? numbers[level][i - 1] : 0);
            setU32(page + 16, i + 1 < pages.size() ? numbers[level][i + 1] : 0);
            setU32(page + 20, tail);
            putEntries(page, pageEntries);
        }
        greatest = std::move(nextGreatest);
    }
    return all;
}

template IndexTreeShape planIndexTree(const std::vector<std::string>&);
template IndexTreeShape planIndexTree(const std::vector<LongKeyEntry>&);
template std::vector<std::uint32_t> writeIndexTree(PageStore&, std::uint32_t, std::uint32_t,
                                                   const std::vector<std::string>&,
                                                   const std::function<std::uint32_t()>&);
template std::vector<std::uint32_t> writeIndexTree(PageStore&, std::uint32_t, std::uint32_t,
                                                   const std::vector<LongKeyEntry>&,
                                                   const std::function<std::uint32_t()>&);

}  // namespace tabulon::jet
