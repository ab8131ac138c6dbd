#pragma once
// Which table and column names Jet (and Tabulon's CREATE statement) accept.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/table_layout.h"
#include "jet/types.h"

namespace tabulon::jet {

enum class NameKind { Table, Column };

inline constexpr std::size_t kMaxNameLength = 64;

// nullopt when `name` is acceptable, else the reason in Chinese, e.g.
// "名称含有 Jet 不允许的字符“!”" or "名称超过 64 个字符". Table names are also
// refused with spaces and with characters outside letters, digits, '_' and CJK
// ideographs (the catalogue index only has sort codes for those). SQL keywords are
// fine: every statement brackets its names.
std::optional<std::string> nameProblem(std::string_view name, NameKind kind);

// Jet compares names case-insensitively (full-width letters equal ASCII
// ones); two names clash when their fold keys are equal.
std::string nameFoldKey(std::string_view name);

// For each of `keys`, the index of the first key equal to it (its own index when none
// comes before it).
std::vector<std::size_t> firstEqualKeys(const std::vector<std::string>& keys);

// Throws Error naming the table and column for the first problem of a
// design: a bad name, duplicate or `id` column, bad length/precision, or a
// row too wide for Jet.
void checkDefinition(const TableDefinition& definition);

// What checkDefinition works out on the way: the table's layout and the size of a row
// with every value null.
struct CheckedDesign {
    TableLayout layout;
    std::size_t emptyRowSize = 0;
};
// checkDefinition that keeps what it worked out (same errors).
CheckedDesign checkedDesign(const TableDefinition& definition);

}  // namespace tabulon::jet
