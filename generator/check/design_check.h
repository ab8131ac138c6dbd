#pragma once
// Names a generated site cannot use: they break the pages' VBScript strings, their HTML,
// their URLs or the SQL that Jet reads unbracketed. The editors refuse them when typed;
// the design rules (design_rules.h) apply it to what a catalogue already holds.
#include <optional>
#include <string>
#include <string_view>

namespace tabulon::generator {

enum class NameUse { Table, Field };

// nullopt when the site can use `name` (already stripped of its spaces), else why not,
// naming the character or word: "名称含有不能用的字符“'”", "“user”是数据库的保留字".
std::optional<std::string> siteNameProblem(std::string_view name, NameUse use);

}  // namespace tabulon::generator
