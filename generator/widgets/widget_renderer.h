#pragma once
// The one place that chooses, by a field's input widget, what each page kind makes of it:
// the add and modify widgets, the display value, the list cell, the browser check and
// whether the stored value is markup. Page generators ask here and never switch on the
// widget themselves.
#include <string>
#include <string_view>

#include "catalogue/widget_kind.h"
#include "generator/widgets/add_widgets.h"
#include "generator/widgets/display_widgets.h"
#include "generator/widgets/list_columns.h"

namespace tabulon::generator {

// What the browser checks before a form is sent.
enum class WidgetCheck {
    ByDataType,  // what the value's data type asks (numbers, dates)
    Choice,      // a drop-down must have a value chosen
    None,        // rich text: anything the editor wrote
};

struct WidgetRenderer {
    WidgetRule add;
    WidgetRule modify;
    DisplayRule display;
    ListCellRule listCell;
    WidgetCheck check;
    bool storesMarkup;  // the value is HTML the editor wrote, checked as "html"
};

const WidgetRenderer& widgetRenderer(catalogue::WidgetKind kind);

// The widget of the field at 1-based `position` on the add and the modify page.
Widget addPageWidget(const catalogue::Snapshot& model, const catalogue::Field& field, std::size_t position,
                     FormState& state, Messages& messages);
Widget modifyPageWidget(const catalogue::Snapshot& model, const catalogue::Field& field, std::size_t position,
                        FormState& state, Messages& messages);
// What the display page shows of the field; `tableName` is the table being generated.
Widget displayPageValue(const catalogue::Snapshot& model, const catalogue::Field& field, std::size_t position,
                        std::string_view tableName, Messages& messages);
// The list page's data cell of the field.
std::string listCell(const catalogue::Snapshot& model, const catalogue::Field& field);

}  // namespace tabulon::generator
