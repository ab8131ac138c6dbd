#include "generator/widgets/widget_kind.h"

namespace tabulon::generator {

WidgetKind widgetKindOf(std::string_view inputType) {
    if (inputType == "文本框") return WidgetKind::TextBox;
    if (inputType == "文本域") return WidgetKind::RichText;
    if (inputType == "时间框") return WidgetKind::DateBox;
    if (inputType == "组合框") return WidgetKind::DropDown;
    return WidgetKind::Other;
}

bool isNumericType(std::string_view dataType) {
    return dataType == "长整型" || dataType == "整型" || dataType == "双精度" || dataType == "单精度" ||
           dataType == "小数";
}

}  // namespace tabulon::generator
