#include "jet/usage_map.h"

#include <algorithm>
#include <string>

#include "jet/byte_io.h"
#include "jet/data_page.h"
#include "jet/error.h"
#include "jet/page_size.h"
#include "jet/page_store.h"

namespace tabulon::jet {
namespace {

constexpr std::uint8_t kInline = 0x00;
constexpr std::uint8_t kReference = 0x01;
constexpr std::uint8_t kBitmapPageType = 0x05;
constexpr std::size_t kInlineBitmap = kMapRowSize - 5;
constexpr std::uint32_t kInlinePages = kInlineBitmap * 8;
constexpr std::size_t kReferenceSlots = (kMapRowSize - 1) / 4;
constexpr std::uint32_t kPagesPerBitmapPage = (kPageSize - 4) * 8;
// Row 0 of page 1 may grow until the page is full (row 1 and both slots kept).
constexpr std::size_t kMaxFreeMapBitmap = kPageSize - data_page::kHeader - 2 * 2 - kMapRowSize - 5;

void setBit(char* bitmap, std::uint32_t bit) {
    bitmap[bit / 8] = static_cast<char>(bitmap[bit / 8] | (1 << (bit % 8)));
}

void initBitmapPage(char* page) {
    page[0] = static_cast<char>(kBitmapPageType);
    page[1] = 0x01;
}

std::string referenceMap(const std::vector<std::uint32_t>& pages, PageStore& store) {
    const std::uint32_t slotsNeeded = pages.back() / kPagesPerBitmapPage + 1;
    if (slotsNeeded > kReferenceSlots) throw Error("数据库文件超过 Jet 的大小上限");
    std::vector<std::uint32_t> bitmapPages(slotsNeeded, 0);
    for (std::uint32_t page : pages) {
        const std::uint32_t slot = page / kPagesPerBitmapPage;
        if (bitmapPages[slot] == 0) {
            bitmapPages[slot] = store.allocate();
            initBitmapPage(store.page(bitmapPages[slot]));
        }
        setBit(store.page(bitmapPages[slot]) + 4, page % kPagesPerBitmapPage);
    }
    std::string row(kMapRowSize, '\0');
    row[0] = static_cast<char>(kReference);
    for (std::uint32_t slot = 0; slot < slotsNeeded; ++slot) setU32(&row[1 + 4 * slot], bitmapPages[slot]);
    return row;
}

}  // namespace

std::string buildPageMap(const std::vector<std::uint32_t>& pages, PageStore& store) {
    std::uint32_t start = 0;
    if (!pages.empty() && pages.back() >= kInlinePages) start = pages.front() / 8 * 8;
    if (!pages.empty() && pages.back() - start >= kInlinePages) return referenceMap(pages, store);
    std::string row(kMapRowSize, '\0');
    row[0] = static_cast<char>(kInline);
    setU32(&row[1], start);
    for (std::uint32_t page : pages) setBit(&row[5], page - start);
    return row;
}

std::string buildFreePageMap(PageStore& store) {
    const std::uint32_t used = store.count();
    // Always leave the map a free page past the end, room for Jet to grow into.
    const std::size_t neededBytes = (used + 1 + 7) / 8;
    if (neededBytes <= kMaxFreeMapBitmap) {
        // Grown in 32-byte steps beyond Jet's usual 64 bytes, like Access does.
        const std::size_t bitmapBytes =
            std::min(kMaxFreeMapBitmap, std::max(kInlineBitmap, (neededBytes + 31) / 32 * 32));
        std::string row(5 + bitmapBytes, '\0');
        row[0] = static_cast<char>(kInline);
        for (std::uint32_t page = used; page < bitmapBytes * 8; ++page) setBit(&row[5], page);
        return row;
    }
    // Bitmap pages are themselves pages of the file: settle their number first.
    std::uint32_t bitmapCount = 0;
    while ((used + bitmapCount + 1 + kPagesPerBitmapPage - 1) / kPagesPerBitmapPage > bitmapCount) ++bitmapCount;
    if (bitmapCount > kReferenceSlots) throw Error("数据库文件超过 Jet 的大小上限");
    std::string row(kMapRowSize, '\0');
    row[0] = static_cast<char>(kReference);
    std::vector<std::uint32_t> bitmapPages;
    for (std::uint32_t i = 0; i < bitmapCount; ++i) bitmapPages.push_back(store.allocate());
    const std::uint32_t total = store.count();
    for (std::uint32_t i = 0; i < bitmapCount; ++i) {
        char* page = store.page(bitmapPages[i]);
        initBitmapPage(page);
        for (std::uint32_t bit = 0; bit < kPagesPerBitmapPage; ++bit) {
            if (i * kPagesPerBitmapPage + bit >= total) setBit(page + 4, bit);
        }
        setU32(&row[1 + 4 * i], bitmapPages[i]);
    }
    return row;
}

std::vector<std::uint32_t> readPageMap(std::string_view row, std::string_view file) {
    std::vector<std::uint32_t> pages;
    if (row.empty()) throw Error("页面映射行为空");
    auto collect = [&pages](std::string_view bitmap, std::uint32_t first) {
        for (std::size_t i = 0; i < bitmap.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bitmap[i]);
            if (byte == 0) continue;
            for (int bit = 0; bit < 8; ++bit) {
                if (((byte >> bit) & 1) == 0) continue;
                const std::uint64_t page = std::uint64_t{first} + i * 8 + static_cast<std::size_t>(bit);
                if (page > 0xFFFFFF) throw Error("页面映射列出的页号 " + std::to_string(page) + " 超出 Jet 的范围");
                pages.push_back(static_cast<std::uint32_t>(page));
            }
        }
    };
    if (getU8(row, 0) == kInline) {
        if (row.size() < 5) throw Error("页面映射行已损坏");
        collect(row.substr(5), getU32(row, 1));
    } else if (getU8(row, 0) == kReference) {
        for (std::size_t slot = 0; 1 + 4 * slot + 4 <= row.size(); ++slot) {
            const std::uint32_t page = getU32(row, 1 + 4 * slot);
            if (page == 0) continue;
            if (static_cast<std::size_t>(page) >= file.size() / kPageSize) {
                throw Error("页面映射的位图指向文件之外的第 " + std::to_string(page) + " 页");
            }
            const std::string_view bitmap = file.substr(static_cast<std::size_t>(page) * kPageSize, kPageSize);
            if (getU8(bitmap, 0) != kBitmapPageType)
                throw Error("页面映射的位图页（第 " + std::to_string(page) + " 页）类型不符");
            collect(bitmap.substr(4), static_cast<std::uint32_t>(slot) * kPagesPerBitmapPage);
        }
    } else {
        throw Error("未知的页面映射类型");
    }
    return pages;
}

}  // namespace tabulon::jet
