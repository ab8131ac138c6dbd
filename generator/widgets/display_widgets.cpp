#include "generator/widgets/display_widgets.h"

#include "generator/text/fragment.h"
#include "generator/widgets/modify_widgets.h"

namespace tabulon::generator {
namespace {

// Every stored value is encoded (Null gives the empty text): it is shown, never run.
constexpr std::string_view kPlainValue = "<%=server.HTMLEncode(rsAdd(\"$name$\")&\"\")%>";
// Rich text is markup the editor wrote: shown as markup, through the same allow-list that
// cleans it on save, so rows stored before that cleaning existed cannot run script either.
constexpr std::string_view kRichTextValue = "<%=SiteCleanHtml(rsAdd(\"$name$\")&\"\")%>";
// A Null stored value selects nothing instead of stopping the page.
constexpr std::string_view kStoredOptionTest = "cstr(rsAdd(\"$name$\")&\"\")=cstr(RS_select(\"id\"))";

}  // namespace

namespace display_widget {

Widget plain(const catalogue::Snapshot&, const catalogue::Field& field, std::size_t, std::string_view, Messages&) {
    return {fill(kPlainValue, {{"name", field.name}}), false};
}

Widget richText(const catalogue::Snapshot&, const catalogue::Field& field, std::size_t, std::string_view, Messages&) {
    return {fill(kRichTextValue, {{"name", field.name}}), false};
}

Widget dropDown(const catalogue::Snapshot& model, const catalogue::Field& field, std::size_t position,
                std::string_view tableName, Messages& messages) {
    return linkedDropDown(model, field, position, tableName, fill(kStoredOptionTest, {{"name", field.name}}), messages);
}

}  // namespace display_widget

}  // namespace tabulon::generator
