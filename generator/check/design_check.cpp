#include "generator/check/design_check.h"

#include <array>

#include "jet/names.h"

namespace tabulon::generator {
namespace {

// What a character breaks: quotes end the VBScript and HTML strings a name is written
// into, "<" and "%>" end markup and script blocks, brackets, "!", "." and "`" are what a
// bracketed SQL name cannot carry (every name is bracketed, so reserved words are fine),
// slashes, "?", "&", "#" and "%" change the data service's URL, "," and "；" split the
// list page's field list and search conditions.
constexpr std::array<std::string_view, 21> kBadCharacters = {
    "\"", "'", "<", ">", "[", "]", "/", "\\", " ", "\u3000", "\t", "%", "&", "?", "#", ",", "；", ".", "!", "`", "|"};

// The first character of `name` that is one of kBadCharacters, or an empty view. One pass
// over the name: every table and field name is checked on every build.
std::string_view firstBadCharacter(std::string_view name) {
    // Which first bytes may start a bad character: most bytes of a name start none.
    static const auto starts = [] {
        std::array<bool, 256> first{};
        for (const std::string_view character : kBadCharacters) first[static_cast<unsigned char>(character[0])] = true;
        return first;
    }();
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (!starts[static_cast<unsigned char>(name[i])]) continue;
        for (const std::string_view character : kBadCharacters)
            if (name.substr(i).starts_with(character)) return character;
    }
    return {};
}

}  // namespace

std::optional<std::string> siteNameProblem(std::string_view name, NameUse use) {
    if (name.empty()) return std::string("名称不能为空");
    // The first offending character of the name is the one named.
    const std::string_view found = firstBadCharacter(name);
    if (!found.empty()) {
        const std::string shown = found == " "        ? "空格"
                                  : found == "\u3000" ? "全角空格"
                                  : found == "\t"     ? "制表符"
                                                      : std::string(found);
        return "名称含有不能用的字符“" + shown + "”";
    }
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return std::string("名称含有控制字符");
    if (name.front() >= '0' && name.front() <= '9') return std::string("名称不能以数字开头");
    // The database file keeps its own rules for names (length, characters its index sorts).
    return jet::nameProblem(name, use == NameUse::Table ? jet::NameKind::Table : jet::NameKind::Column);
}

}  // namespace tabulon::generator
