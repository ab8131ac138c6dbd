#include "jet/data_page.h"

#include <algorithm>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/header_page.h"

namespace tabulon::jet::data_page {
namespace {

constexpr std::uint16_t kOffsetMask = 0x1FFF;
constexpr std::uint16_t kDeletedOrMoved = 0xC000;
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

std::optional<std::string_view> row(std::string_view page, unsigned n) {
  if (n >= rowCount(page) || kHeader + kSlot * (n + 1) > page.size()) return std::nullopt;
  const std::uint16_t slot = getU16(page, kHeader + kSlot * n);
  if ((slot & kDeletedOrMoved) != 0) return std::nullopt;
  const std::size_t start = slot & kOffsetMask;
  const std::size_t end = n == 0 ? kPageSize : rowStart(page, n - 1);
  if (start > end || end > kPageSize) throw Error("数据页已损坏（行偏移无效）");
  return page.substr(start, end - start);
}

}  // namespace tabulon::jet::data_page
