#pragma once
// Data pages (type 01): rows packed from the end of the page towards a
// table of row offsets. Table rows, long values, usage-map rows and the
// global page map all live on such pages.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tabulon::jet::data_page {

inline constexpr std::uint8_t kType = 0x01;
inline constexpr std::size_t kHeader = 14;
inline constexpr std::size_t kMaxRows = 255;
// Owner field of long-value pages.
inline constexpr std::uint32_t kLongValueOwner = 0x4C41564C;  // "LVAL"

void init(char* page, std::uint32_t owner);
std::uint16_t freeSpace(std::string_view page);
std::uint16_t rowCount(std::string_view page);
std::uint32_t owner(std::string_view page);
// The row count, after checking that its slot table lies inside the page.
unsigned checkedRowCount(std::string_view page);

// Whether a row of `length` bytes still fits (space and row-count limit).
bool fits(std::string_view page, std::size_t length);

// Appends the row; returns its row number. Call fits() first.
std::uint8_t addRow(char* page, std::string_view row);

// Offset of row `n` inside the page.
std::size_t rowStart(std::string_view page, unsigned n);

enum class SlotState { Live, Deleted, Moved };

// State of row `n`'s slot. A moved row's bytes start with the (row, page)
// pointer of its new place; that place is marked deleted so that scans skip it.
SlotState slotState(std::string_view page, unsigned n);

// Bytes of row `n`, whatever its slot state.
std::string_view rowBytes(std::string_view page, unsigned n);

// Live rows only: nullopt for deleted and moved slots.
std::optional<std::string_view> row(std::string_view page, unsigned n);

// The row a (row, page) pointer names, in a whole file.
std::string_view rowAt(std::string_view file, std::uint32_t pointer);

// Pages are handed around as char* while being written; these keep a char*
// from silently turning into a NUL-terminated string_view.
std::uint16_t freeSpace(const char*) = delete;
std::uint16_t rowCount(const char*) = delete;
unsigned checkedRowCount(const char*) = delete;
std::uint32_t owner(const char*) = delete;
bool fits(const char*, std::size_t) = delete;
std::size_t rowStart(const char*, unsigned) = delete;
SlotState slotState(const char*, unsigned) = delete;
std::optional<std::string_view> row(const char*, unsigned) = delete;

}  // namespace tabulon::jet::data_page
