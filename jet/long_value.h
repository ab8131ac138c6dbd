#pragma once
// Memo (and OLE) values too long to keep in the row: a 12-byte header in the
// row points to one row, or a chain of rows, on long-value ("LVAL") pages.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/row_sink.h"

namespace tabulon::jet {

inline constexpr std::size_t kLongValueHeader = 12;
inline constexpr std::size_t kMaxInlineLongValue = 64;
inline constexpr std::size_t kMaxLongValueRow = 4076;
inline constexpr std::size_t kMaxLongValueLength = 0xFFFFFF;  // the header keeps 3 length bytes

enum class LongValueKind : std::uint8_t { Chained = 0x00, OtherPage = 0x40, Inline = 0x80 };

// How a value that does not stay in its row is stored.
LongValueKind outOfRowKind(std::size_t length);
LongValueKind longValueKind(std::string_view header);

// The in-row header; `pointer` is the (row, page) of the first LVAL row.
std::string longValueHeader(std::size_t length, LongValueKind kind, std::uint32_t pointer);

// Places the long values of one column on that column's own LVAL pages.
class LongValueWriter {
public:
    LongValueWriter(PageStore& store, std::function<std::uint32_t()> allocate);

    // Stores `data` (longer than the inline limit); returns its (row, page) pointer.
    std::uint32_t write(std::string_view data);

    const std::vector<std::uint32_t>& pages() const { return rows_.pages(); }
    // The page new values would go to, when it still has room.
    std::vector<std::uint32_t> pagesWithSpace() const { return rows_.pagesWithSpace(1); }

private:
    PageStore& store_;
    RowSink rows_;
};

// The stored bytes of a long value from its in-row header.
std::string readLongValue(std::string_view header, std::string_view file);

}  // namespace tabulon::jet
