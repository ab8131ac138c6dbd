#pragma once
// A table's definition (TDEF) as Jet 3, Jet 4 or ACE stores it: its columns with their
// row positions, its primary key and where its data pages are listed.
#include <cstdint>
#include <string>
#include <vector>

#include "importer/page_file.h"
#include "jet/table_layout.h"

namespace tabulon::importer {

// Column types Jet 4 does not have.
inline constexpr std::uint8_t kComplexType = 0x12;  // attachment, multi-value, version history
inline constexpr std::uint8_t kBigIntType = 0x13;

struct TableShape {
    std::uint32_t tdefPage = 0;
    std::uint32_t rowCount = 0;        // as the definition records it
    std::uint32_t lastAutoNumber = 0;  // the last counter value handed out
    // Ascending column numbers (gaps where columns were deleted); names in UTF-8.
    jet::TableLayout layout;
    std::vector<std::uint16_t> primaryKey;  // column numbers of the primary key, if any
    std::uint32_t ownedPages = 0;           // (row, page) pointer to the data-page map
};

// Reads the definition starting at `tdefPage`. Throws jet::Error naming the page for a
// definition that does not hold together.
TableShape readTableShape(PageFile& file, std::uint32_t tdefPage);

// A name or text stored in a Jet 3 file's code page, as UTF-8.
std::string codePageText(std::string_view bytes, std::uint16_t codePage);

}  // namespace tabulon::importer
