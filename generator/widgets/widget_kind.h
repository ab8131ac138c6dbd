#pragma once
// The one place that maps a field's 输入类型 to the widget it gets on a page.
#include <string_view>

namespace tabulon::generator {

enum class WidgetKind {
    TextBox,   // 文本框
    RichText,  // 文本域
    DateBox,   // 时间框
    DropDown,  // 组合框
    Other,     // anything else, the empty text included
};

// Tested by exact text, in the order 文本框, 文本域, 时间框, 组合框.
WidgetKind widgetKindOf(std::string_view inputType);

// 长整型, 整型, 双精度, 单精度 and 小数: the types a text box checks for a number.
bool isNumericType(std::string_view dataType);

}  // namespace tabulon::generator
