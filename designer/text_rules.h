#pragma once
// Small text rules the editors apply to what the user typed. No Qt here, so the rules are
// tested on their own.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tabulon::designer {

// Project, table and field names are stored without spaces: every ASCII space and every
// full-width space (U+3000) goes, wherever it stands; tabs and all else stay.
// " 记　账 " -> "记账"
std::string withoutSpaces(std::string_view text);

// Reads a typed number the way the order boxes are read: leading blanks, an optional sign
// and the digits that follow; anything else gives 0, and a value beyond the range of a
// 64-bit integer is held at its limit. "12" -> 12, " -4x" -> -4, "abc" -> 0, "" -> 0
std::int64_t leadingInteger(std::string_view text);

// a + b held at the limits of a 64-bit integer: proposed orders never wrap around.
std::int64_t addClamped(std::int64_t a, std::int64_t b);

// The same with an optional decimal fraction: "0.5" -> 0.5, "26" -> 26, "x" -> 0.
double leadingNumber(std::string_view text);

// A link column names a cascade when its 联动表 reads as a number above zero; "0", "" and
// text that is no number switch the cascade off.
bool namesCascade(std::string_view cascadeTable);

// The message for a typed table or field name (spaces already removed) that the generated
// site could not use, naming the character or word; nothing when the name is fine.
// "表名“a.b”不能用：名称含有不能用的字符“.”，未保存。"
std::optional<std::string> tableNameRefusal(std::string_view name);
std::optional<std::string> fieldNameRefusal(std::string_view name);

}  // namespace tabulon::designer
