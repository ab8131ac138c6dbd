#pragma once
// Jet 4 row images: column count, fixed area, variable data, the reversed
// table of variable offsets, and the null mask.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/table_layout.h"

namespace tabulon::jet {

// Jet refuses rows longer than this (long values stored elsewhere not counted).
inline constexpr std::size_t kMaxRowSize = 4060;

struct Cell {
    bool present = false;  // Boolean: the value itself
    std::string bytes;     // fixed columns: exactly their size
};

// `cells` is indexed by column number.
std::string assembleRow(const TableLayout& layout, const std::vector<Cell>& cells);

// The stored bytes of every column (by number); nullopt for null. Boolean
// columns come back as "" (false) or "\x01" (true). Throws Error for a row
// that does not fit the layout.
std::vector<std::optional<std::string_view>> splitRow(const TableLayout& layout, std::string_view row);

}  // namespace tabulon::jet
