#pragma once
// The rows of a table read page by page: its data pages from the table's usage map, the
// live rows on them (deleted rows skipped, moved rows followed), each row split into its
// columns, and long values gathered from their pages. Every offset and pointer is checked
// against the page and the file; a damaged file gives a jet::Error naming the page.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "importer/page_file.h"
#include "importer/table_shape.h"

namespace tabulon::importer {

// The stored bytes of every column by number; nullopt for null. Boolean columns give ""
// (false) or "\x01" (true).
using RowFields = std::vector<std::optional<std::string_view>>;

// Calls `visit` with every live row of the table, in page order.
void forEachRow(PageFile& file, const TableShape& shape, const std::function<void(const RowFields&)>& visit);

// The pages a usage-map row lists (both the inline and the reference kind).
std::vector<std::uint32_t> readUsageMap(PageFile& file, std::string_view row);

// A Jet 3 row split by the layout (one-byte counts and offsets, with the jump table that
// lets the offsets pass 255).
RowFields splitJet3Row(const jet::TableLayout& layout, std::string_view row);

// The stored bytes of a memo or OLE value from its 12-byte header in the row.
std::string readLongValue(PageFile& file, std::string_view header);

}  // namespace tabulon::importer
