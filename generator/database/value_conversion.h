#pragma once
// Moving a value from a column of an old database file into a column of a
// new design: only where the new column holds it exactly.
#include <optional>
#include <string>

#include "jet/table_layout.h"
#include "jet/types.h"

namespace tabulon::generator {

// Whether every value of `from` fits `to` unchanged (same type, no narrower), so
// values can pass without a check of their own.
bool holdsEveryValue(const jet::ColumnLayout& from, const jet::ColumnLayout& to);

// The value `value` of column `from` as column `to` keeps it; a value comes through
// only when turning it back into `from`'s type gives the stored value again (a
// text that fits the length, a number in range and at the scale, a date, a
// boolean as Jet's -1/0). Otherwise the reason, in Chinese.
struct Conversion {
    jet::Value value;
    std::optional<std::string> problem;
};
Conversion convertValue(const jet::ColumnLayout& from, const jet::Value& value, const jet::ColumnLayout& to);

// The name of a column's type as the designer shows it (文本(50), 长整型, …).
std::string typeName(const jet::ColumnLayout& column);

}  // namespace tabulon::generator
