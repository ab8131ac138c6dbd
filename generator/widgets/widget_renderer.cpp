#include "generator/widgets/widget_renderer.h"

#include "generator/widgets/modify_widgets.h"

namespace tabulon::generator {
namespace {

using catalogue::WidgetKind;

constexpr WidgetRenderer kTextBox{add_widget::textBox, modify_widget::textBox,  display_widget::plain,
                                  list_cell::plain,    WidgetCheck::ByDataType, false};
constexpr WidgetRenderer kDateBox{add_widget::dateBox, modify_widget::dateBox,  display_widget::plain,
                                  list_cell::plain,    WidgetCheck::ByDataType, false};
constexpr WidgetRenderer kDropDown{add_widget::dropDown, modify_widget::dropDown, display_widget::dropDown,
                                   list_cell::linked,    WidgetCheck::Choice,     false};
constexpr WidgetRenderer kRichText{add_widget::richText, modify_widget::richText, display_widget::richText,
                                   list_cell::richText,  WidgetCheck::None,       true};
// Any other word: the add page's bare box, a box showing the stored value elsewhere.
constexpr WidgetRenderer kOther{add_widget::other, modify_widget::other,    display_widget::plain,
                                list_cell::plain,  WidgetCheck::ByDataType, false};

}  // namespace

const WidgetRenderer& widgetRenderer(WidgetKind kind) {
    switch (kind) {
    case WidgetKind::TextBox: return kTextBox;
    case WidgetKind::DateBox: return kDateBox;
    case WidgetKind::DropDown: return kDropDown;
    case WidgetKind::RichText: return kRichText;
    case WidgetKind::Other: return kOther;
    }
    return kOther;
}

Widget addPageWidget(const catalogue::Snapshot& model, const catalogue::Field& field, std::size_t position,
                     FormState& state, Messages& messages) {
    return widgetRenderer(field.widget).add(model, field, position, state, messages);
}

Widget modifyPageWidget(const catalogue::Snapshot& model, const catalogue::Field& field, std::size_t position,
                        FormState& state, Messages& messages) {
    return widgetRenderer(field.widget).modify(model, field, position, state, messages);
}

Widget displayPageValue(const catalogue::Snapshot& model, const catalogue::Field& field, std::size_t position,
                        std::string_view tableName, Messages& messages) {
    return widgetRenderer(field.widget).display(model, field, position, tableName, messages);
}

std::string listCell(const catalogue::Snapshot& model, const catalogue::Field& field) {
    return widgetRenderer(field.widget).listCell(model, field);
}

}  // namespace tabulon::generator
