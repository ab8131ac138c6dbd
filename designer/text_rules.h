#pragma once
// Small text rules the editors apply to what the user typed. No Qt here, so the rules are
// tested on their own.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "generator/text/fragment.h"

namespace tabulon::designer {

// Reads a typed number the way the order boxes are read: leading blanks, an optional sign
// and the digits that follow; anything else gives 0, and a value beyond the range of a
// 64-bit integer is held at its limit. "12" -> 12, " -4x" -> -4, "abc" -> 0, "" -> 0
std::int64_t leadingInteger(std::string_view text);

// a + b held at the limits of a 64-bit integer: proposed orders never wrap around.
std::int64_t addClamped(std::int64_t a, std::int64_t b);

// The same with an optional decimal fraction: "0.5" -> 0.5, "26" -> 26, "x" -> 0. One
// reading for the editors and the generators.
using generator::leadingNumber;

// A link column names a cascade when its 联动表 reads as a number above zero; "0", "" and
// text that is no number switch the cascade off.
bool namesCascade(std::string_view cascadeTable);

// The message for a typed name that generation would refuse, naming the character
// (spaces too: names are stored as typed); nothing when the name is fine.
// "表名“a.b”不能用：名称含有不能用的字符“.”，未保存。"
std::optional<std::string> projectNameRefusal(std::string_view name);
std::optional<std::string> tableNameRefusal(std::string_view name);
// `type` is the field's data type: a field named id must be the 自动编号 key.
std::optional<std::string> fieldNameRefusal(std::string_view name, std::string_view type);
// The same for a caption or note written into the pages: "字段说明不能用：…，未保存。"
std::optional<std::string> pageTextRefusal(std::string_view what, std::string_view text);

}  // namespace tabulon::designer
