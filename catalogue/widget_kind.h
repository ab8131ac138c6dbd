#pragma once
// The input widgets a field can have (输入类型), one row each, in the order the window lists
// them. A field's word is parsed into a WidgetKind once, when the snapshot is made.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tabulon::catalogue {

enum class WidgetKind : std::uint8_t {
    TextBox,   // 文本框
    DateBox,   // 时间框
    DropDown,  // 组合框
    RichText,  // 文本域
    Other,     // any other word, the empty text included
};

struct WidgetKindRow {
    WidgetKind kind;
    std::string_view word;
};

inline constexpr WidgetKindRow kWidgetKindRows[] = {
    {WidgetKind::TextBox, "文本框"},
    {WidgetKind::DateBox, "时间框"},
    {WidgetKind::DropDown, "组合框"},
    {WidgetKind::RichText, "文本域"},
};

inline constexpr std::array<std::string_view, std::size(kWidgetKindRows)> kInputTypes = [] {
    std::array<std::string_view, std::size(kWidgetKindRows)> words{};
    for (std::size_t i = 0; i < words.size(); ++i) words[i] = kWidgetKindRows[i].word;
    return words;
}();

// Compared byte for byte: "文本框" -> TextBox, " 文本框" -> Other.
constexpr WidgetKind widgetKindOf(std::string_view word) {
    for (const WidgetKindRow& row : kWidgetKindRows)
        if (row.word == word) return row.kind;
    return WidgetKind::Other;
}

// The word of a kind; empty for Other.
constexpr std::string_view widgetWord(WidgetKind kind) {
    for (const WidgetKindRow& row : kWidgetKindRows)
        if (row.kind == kind) return row.word;
    return {};
}

}  // namespace tabulon::catalogue
