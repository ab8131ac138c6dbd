#pragma once
// Names a generated site cannot use: they break the pages' VBScript strings, their HTML,
// their URLs or the brackets every name of the SQL is written in. Reserved words (name,
// password, date, user …) are fine in brackets. The editors refuse the others when typed;
// the design rules (design_rules.h) apply it to what a catalogue already holds.
#include <optional>
#include <string>
#include <string_view>

namespace tabulon::generator {

enum class NameUse { Table, Field };

// nullopt when the site can use `name` (already stripped of its spaces), else why not,
// naming the character: "名称含有不能用的字符“'”".
std::optional<std::string> siteNameProblem(std::string_view name, NameUse use);

}  // namespace tabulon::generator
