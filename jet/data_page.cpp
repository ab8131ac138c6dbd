#include "jet/data_page.h"

#include <algorithm>
#include <string>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/page_size.h"

namespace tabulon::jet::data_page {
namespace {

constexpr std::uint16_t kOffsetMask = 0x1FFF;
constexpr std::uint16_t kDeleted = 0x8000;
constexpr std::uint16_t kMoved = 0x4000;
constexpr std::size_t kSlot = 2;

}  // namespace

void init(char* page, std::uint32_t owner) {
    page[0] = static_cast<char>(kType);
    page[1] = 0x01;
    setU16(page + 2, static_cast<std::uint16_t>(kPageSize - kHeader));
    setU32(page + 4, owner);
    setU32(page + 8, 0);
    setU16(page + 12, 0);
}

std::uint16_t freeSpace(std::string_view page) { return getU16(page, 2); }
std::uint16_t rowCount(std::string_view page) { return getU16(page, 12); }
std::uint32_t owner(std::string_view page) { return getU32(page, 4); }

bool fits(std::string_view page, std::size_t length) {
    return rowCount(page) < kMaxRows && length + kSlot <= freeSpace(page);
}

std::uint8_t addRow(char* page, std::string_view row) {
    const std::string_view view(page, kPageSize);
    const std::uint16_t n = rowCount(view);
    const std::size_t end = n == 0 ? kPageSize : rowStart(view, n - 1u);
    const std::size_t start = end - row.size();
    std::copy(row.begin(), row.end(), page + start);
    setU16(page + kHeader + kSlot * n, static_cast<std::uint16_t>(start));
    setU16(page + 12, static_cast<std::uint16_t>(n + 1));
    setU16(page + 2, static_cast<std::uint16_t>(freeSpace(view) - row.size() - kSlot));
    return static_cast<std::uint8_t>(n);
}

std::size_t rowStart(std::string_view page, unsigned n) { return getU16(page, kHeader + kSlot * n) & kOffsetMask; }

unsigned checkedRowCount(std::string_view page) {
    if (page.size() < kHeader) throw Error("数据页不完整");
    const unsigned count = rowCount(page);
    // The slot table grows from the header towards the rows: it cannot pass the page end.
    if (kHeader + kSlot * count > page.size())
        throw Error("数据页已损坏（行数 " + std::to_string(count) + " 超出页面）");
    return count;
}

SlotState slotState(std::string_view page, unsigned n) {
    if (n >= checkedRowCount(page)) throw Error("数据页已损坏（行号超出）");
    const std::uint16_t slot = getU16(page, kHeader + kSlot * n);
    if ((slot & kDeleted) != 0) return SlotState::Deleted;
    if ((slot & kMoved) != 0) return SlotState::Moved;
    return SlotState::Live;
}

std::string_view rowBytes(std::string_view page, unsigned n) {
    const unsigned count = checkedRowCount(page);
    if (n >= count) throw Error("数据页已损坏（行号超出）");
    const std::size_t start = rowStart(page, n);
    const std::size_t end = n == 0 ? page.size() : rowStart(page, n - 1);
    if (start > end || end > page.size() || start < kHeader + kSlot * count) {
        throw Error("数据页已损坏（行偏移无效）");
    }
    return page.substr(start, end - start);
}

std::optional<std::string_view> row(std::string_view page, unsigned n) {
    if (slotState(page, n) != SlotState::Live) return std::nullopt;
    return rowBytes(page, n);
}

std::string_view rowAt(std::string_view file, std::uint32_t pointer) {
    const std::size_t page = pointerPage(pointer);
    const std::string where = "第 " + std::to_string(page) + " 页";
    if (page == 0 || page * kPageSize + kPageSize > file.size()) throw Error("行指针指向文件之外的" + where);
    const std::string_view bytes = file.substr(page * kPageSize, kPageSize);
    if (getU8(bytes, 0) != kType) throw Error("行指针指向的" + where + "不是数据页");
    try {
        if (pointerRow(pointer) >= checkedRowCount(bytes))
            throw Error("指针指向不存在的行 " + std::to_string(pointerRow(pointer)));
        // Moved rows are reached through a pointer like this one, so flags are ignored.
        return rowBytes(bytes, pointerRow(pointer));
    } catch (const Error& e) {
        throw Error(where + "：" + e.what());
    }
}

}  // namespace tabulon::jet::data_page
