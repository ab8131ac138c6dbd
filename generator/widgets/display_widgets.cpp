#include "generator/widgets/display_widgets.h"

#include "generator/pages/page_safety.h"
#include "generator/text/fragment.h"
#include "generator/widgets/modify_widgets.h"

namespace tabulon::generator {
namespace {

// Every stored value is encoded (Null gives the empty text): it is shown, never run. It is
// written the way the forms write it, whatever the server's regional settings.
constexpr std::string_view kPlainValue = "<%=SiteFormValue(rsAdd(\"$name$\"),\"$kind$\")%>";
// Rich text is markup the editor wrote: shown as markup, through the same allow-list that
// cleans it on save, so rows stored before that cleaning existed cannot run script either.
constexpr std::string_view kRichTextValue = "<%=SiteCleanHtml(rsAdd(\"$name$\")&\"\")%>";
// A Null stored value selects nothing instead of stopping the page.
constexpr std::string_view kStoredOptionTest = "cstr(rsAdd(\"$name$\")&\"\")=cstr(RS_select(\"id\"))";

}  // namespace

Widget displayPageValue(const catalogue::Snapshot& model, const catalogue::Field& field, std::size_t position,
                        std::string_view tableName, Messages& messages) {
    using catalogue::WidgetKind;
    switch (field.widget) {
    case WidgetKind::RichText: return {fill(kRichTextValue, {{"name", field.name}}), false};
    case WidgetKind::DropDown:
        return linkedDropDown(model, field, position, tableName, fill(kStoredOptionTest, {{"name", field.name}}),
                              messages);
    case WidgetKind::TextBox:
    case WidgetKind::DateBox:
    case WidgetKind::Other: return {fill(kPlainValue, {{"name", field.name}, {"kind", valueKind(field)}}), false};
    }
    return {};
}

}  // namespace tabulon::generator
