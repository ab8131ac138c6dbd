#pragma once
// Walking what a Jet file holds, whoever wrote it: the pages of a table, the
// rows on them (deleted rows skipped, moved rows followed) and the catalogue.
// Every offset, count and pointer is checked against the page and the file;
// a damaged file gives an Error that names the page.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/table_layout.h"

namespace tabulon::jet {

// Page `n` of the file; throws Error when the file has no such page.
std::string_view filePage(std::string_view file, std::uint32_t n);

// Calls `visit` with every live row of the table whose TDEF is at `tdefPage`,
// in page order.
void forEachRow(std::string_view file, std::uint32_t tdefPage, const TableLayout& layout,
                const std::function<void(std::string_view row)>& visit);

// One row of MSysObjects.
struct CatalogueEntry {
    std::uint32_t id = 0;
    std::uint32_t parentId = 0;
    std::string name;
    std::int16_t type = 0;
    std::uint32_t flags = 0;
    double created = 0;
    bool hasProperties = false;
};

std::vector<CatalogueEntry> catalogueEntries(std::string_view file);

// Checks the header page and the file length; throws Error otherwise.
void checkJetFile(std::string_view file);

}  // namespace tabulon::jet
