#include "generator/widgets/modify_widgets.h"

#include "generator/text/fragment.h"
#include "generator/widgets/linked_source.h"

namespace tabulon::generator {
namespace {

using catalogue::Field;
using catalogue::Snapshot;

// The stored value is HTML-encoded: a quote inside it would end the attribute, and the
// next save would keep only the text before that quote.
constexpr std::string_view kTextBox =
    "<input type=\"text\" name=\"S_$n$\" id=\"S_$n$\" value=\"<%=server.HTMLEncode(rsAdd(\"$name$\")&\"\")%>\"  "
    "style=\"width:300px\">";

constexpr std::string_view kNumericTextBox =
    "<input type=\"text\" name=\"S_$n$\" id=\"S_$n$\" value=\"<%=server.HTMLEncode(rsAdd(\"$name$\")&\"\")%>\"   "
    "style=\"width:60px\" "
    "onBlur=\"if(/[^0-9\\.]/g.test(this.value)){alert('$name$只能输入数字！');this.value=0}\">        "
    "<span style=\"color:#CCC\">数字型</span>";

constexpr std::string_view kRichText =
    "\r\n"
    "<input type=\"hidden\" name=\"S_$n$\" id=\"S_$n$\" value=\"<%=server.HTMLEncode(rsAdd(\"$name$\")&\"\")%>\" />\r\n"
    " <IFRAME ID=\"eWebEditor_S_$n$\" src=\"../editor/ewebeditor.htm?id=S_$n$&style=coolblue\" frameborder=\"0\" "
    "scrolling=\"no\" width=\"550\" height=\"350\"></IFRAME>\r\n";

constexpr std::string_view kDateBox =
    "\r\n"
    "<input name=\"S_$n$\" type=\"text\" class=\"Wdate\" id=\"S_$n$\" "
    "value=\"<%=server.HTMLEncode(rsAdd(\"$name$\")&\"\")%>\" "
    "onclick=\"WdatePicker()\" >\r\n";

// The stored digest is never sent back; an empty box keeps it.
constexpr std::string_view kPasswordBox =
    "<input type=\"password\" name=\"S_$n$\" id=\"S_$n$\" value=\"\" style=\"width:300px\" "
    "autocomplete=\"new-password\"> <span style=\"color:#CCC\">不改密码请留空</span>";

constexpr std::string_view kEmptySelect =
    "\r\n"
    "          <label>\r\n"
    "            <select name=\"S_$n$\" id=\"S_$n$\">\r\n"
    "              <option value=\"0\">没有记录</option>\r\n"
    "            </select>\r\n"
    "          </label>\r\n";

// Both sides as text: a numeric column's value never equals the text of an id.
constexpr std::string_view kStoredOptionTest = "cstr(rsAdd(\"$name$\")&\"\")=cstr(RS_select(\"id\"))";

Widget textBox(const Field& field, std::size_t position, FormState& state) {
    const std::string n = std::to_string(position);
    if (state.passwordField) return {fill(kPasswordBox, {{"n", n}}), false};
    if (!catalogue::checkedAsNumber(field.dataType)) return {fill(kTextBox, {{"n", n}, {"name", field.name}}), false};
    state.checkCode += numericCheck(position, field.name);
    return {fill(kNumericTextBox, {{"n", n}, {"name", field.name}}), false};
}

}  // namespace

std::string emptySelect(std::size_t position) { return fill(kEmptySelect, {{"n", std::to_string(position)}}); }

std::string selectingDropDownCode(std::string_view sql, std::string_view column, std::size_t position,
                                  std::string_view selectedTest) {
    return dropDownListCode(sql, column, position, ">", selectedTest);
}

Widget linkedDropDown(const Snapshot& model, const Field& field, std::size_t position, std::string_view tableName,
                      std::string_view selectedTest, Messages& messages) {
    const auto* table = linkedTable(model, field);
    if (!table) {
        messages.show(missingLinkedTableMessage(tableName, field));
        return {emptySelect(position), false};
    }
    const auto column = linkedFieldName(model, field);
    if (!column) {
        messages.show("一个组合框关联的字段不存在！\r\n关联表:" + table->name + "\r\n关联字段:" + field.linkField);
        return {std::string(), true};
    }
    return {selectingDropDownCode(dropDownQuery(table->name, *column), *column, position, selectedTest), false};
}

namespace modify_widget {

Widget textBox(const Snapshot&, const Field& field, std::size_t position, FormState& state, Messages&) {
    return generator::textBox(field, position, state);
}

Widget richText(const Snapshot&, const Field& field, std::size_t position, FormState&, Messages&) {
    return {fill(kRichText, {{"n", std::to_string(position)}, {"name", field.name}}), false};
}

Widget dateBox(const Snapshot&, const Field& field, std::size_t position, FormState& state, Messages&) {
    return {datePickerScript(state) + fill(kDateBox, {{"n", std::to_string(position)}, {"name", field.name}}), false};
}

Widget dropDown(const Snapshot& model, const Field& field, std::size_t position, FormState& state, Messages& messages) {
    return linkedDropDown(model, field, position, state.tableName, fill(kStoredOptionTest, {{"name", field.name}}),
                          messages);
}

// Unlike the add page's box it shows the stored value: an empty box would blank the column
// on every save.
Widget other(const Snapshot&, const Field& field, std::size_t position, FormState&, Messages&) {
    return {"\r\n" + fill(kTextBox, {{"n", std::to_string(position)}, {"name", field.name}}) + "\r\n", false};
}

}  // namespace modify_widget

}  // namespace tabulon::generator
