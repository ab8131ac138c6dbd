#pragma once
// Table definition (TDEF) bytes: encoding, decoding and spreading them over
// one or more TDEF pages.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jet/table_layout.h"

namespace tabulon::jet {

class PageStore;

// The whole definition, starting with the 8 bytes of the first page header.
std::string encodeTdef(const TableLayout& layout);

// Byte length of encodeTdef(layout), without encoding it: counts, page numbers and
// pointers never change it. Throws Error for a name that is not UTF-8.
std::size_t tdefLength(const TableLayout& layout);

// Parses a definition (pages already joined, see readTdefBytes).
TableLayout decodeTdef(std::string_view definition);

// How many pages a definition of `length` bytes takes.
std::size_t tdefPageCount(std::size_t length);

// Writes the definition over `pages` (tdefPageCount of them, first page first).
void writeTdefPages(PageStore& store, const std::vector<std::uint32_t>& pages, std::string_view definition);

// Follows the chain of TDEF pages from `firstPage` and joins their contents.
std::string readTdefBytes(std::string_view file, std::uint32_t firstPage);

// readTdefBytes and decodeTdef; errors name the page.
TableLayout readTableLayout(std::string_view file, std::uint32_t firstPage);

}  // namespace tabulon::jet
