#include "generator/widgets/modify_widgets.h"

#include "generator/text/fragment.h"
#include "generator/widgets/linked_source.h"
#include "generator/widgets/widget_kind.h"

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
    "<input type=\"text\" name=\"S_$n$\" id=\"S_$n$\" value=\"<%=rsAdd(\"$name$\")%>\"   style=\"width:60px\" "
    "onBlur=\"if(/[^0-9\\.]/g.test(this.value)){alert('$name$只能输入数字！');this.value=0}\">        "
    "<span style=\"color:#CCC\">数字型</span>";

// The same check as on the add page.
constexpr std::string_view kNumericCheck =
    "\r\n"
    "if not myIsNumeric(S_$n$) then\r\n"
    " sendmsg(\"$name$必须是数字\")\r\n"
    " goback()\r\n"
    " response.End()\r\n"
    "end if\r\n";

constexpr std::string_view kRichText =
    "\r\n"
    "<input type=\"hidden\" name=\"S_$n$\" id=\"S_$n$\" value=\"<%=server.HTMLEncode(rsAdd(\"$name$\"))%>\" />\r\n"
    " <IFRAME ID=\"eWebEditor1\" src=\"../editor/ewebeditor.htm?id=S_$n$&style=coolblue\" frameborder=\"0\" "
    "scrolling=\"no\" width=\"550\" height=\"350\"></IFRAME>\r\n";

constexpr std::string_view kDateBox =
    "\r\n"
    "<input name=\"S_$n$\" type=\"text\" class=\"Wdate\" id=\"S_$n$\" value=\"<%=rsAdd(\"$name$\")%>\" "
    "onclick=\"WdatePicker()\" >\r\n";

constexpr std::string_view kEmptySelect =
    "\r\n"
    "          <label>\r\n"
    "            <select name=\"S_$n$\" id=\"S_$n$\">\r\n"
    "              <option value=\"0\">没有记录</option>\r\n"
    "            </select>\r\n"
    "          </label>\r\n";

constexpr std::string_view kSelectingDropDown =
    "\r\n"
    "<%\r\n"
    "\r\n"
    "Sql_Select=\"$sql$\"\r\n"
    "Set RS_select=server.CreateObject(\"adodb.recordset\")\r\n"
    "RS_select.open Sql_Select,conn,1,1\r\n"
    "\r\n"
    " response.Write\"          <label>\"&vbcrlf\r\n"
    " \r\n"
    " response.Write\"<select name=\" & \"\"\"\" & \"S_$n$\" & \"\"\"\" & \" id=\" & \"\"\"\" & \"S_$n$\" & \"\"\"\" & "
    "\">\" & \"\"\"\"  &vbcrlf\r\n"
    " \r\n"
    "\r\n"
    "if  not RS_select.eof then\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    " i=0\r\n"
    " while not RS_select.eof\r\n"
    "  \r\n"
    "  Select_Filed=RS_select(\"$column$\") \r\n"
    "  Select_ID=RS_select(\"id\")\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    "  if $selected$ then\r\n"
    "\r\n"
    "   Response.Write(\"<option selected value=\"&Select_ID&\">\"&Select_Filed&\"</option>\"&vbcrlf)  \r\n"
    "  else\r\n"
    "   Response.Write(\"<option value=\"&Select_ID&\">\"&Select_Filed&\"</option>\"&vbcrlf)  \r\n"
    "  end if\r\n"
    "\r\n"
    "  \r\n"
    "  RS_select.movenext\r\n"
    " \r\n"
    " wend\r\n"
    "\r\n"
    "\r\n"
    "else\r\n"
    " \r\n"
    "  Response.Write(\"<option value=0>没有数据</option>\"+vbcrlf)\r\n"
    " \r\n"
    "\r\n"
    "end if\r\n"
    "\r\n"
    "\r\n"
    " response.Write\"            </select>\"&vbcrlf\r\n"
    " response.Write\"          </label>\"&vbcrlf\r\n"
    "\r\n"
    "RS_select.close\r\n"
    "set RS_select=nothing\r\n"
    "\r\n"
    "%>\r\n";

constexpr std::string_view kStoredOptionTest = "rsAdd(\"$name$\")=cstr(RS_select(\"id\"))";

Widget textBox(const Field& field, std::size_t position, FormState& state) {
    const std::string n = std::to_string(position);
    if (!isNumericType(field.type)) return {fill(kTextBox, {{"n", n}, {"name", field.name}}), false};
    state.checkCode += fill(kNumericCheck, {{"n", n}, {"name", field.name}});
    return {fill(kNumericTextBox, {{"n", n}, {"name", field.name}}), false};
}

}  // namespace

std::string emptySelect(std::size_t position) { return fill(kEmptySelect, {{"n", std::to_string(position)}}); }

std::string selectingDropDownCode(std::string_view sql, std::string_view column, std::size_t position,
                                  std::string_view selectedTest) {
    return fill(kSelectingDropDown,
                {{"sql", sql}, {"n", std::to_string(position)}, {"column", column}, {"selected", selectedTest}});
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

Widget modifyPageWidget(const Snapshot& model, const Field& field, std::size_t position, FormState& state,
                        Messages& messages) {
    const std::string n = std::to_string(position);
    switch (widgetKindOf(field.inputType)) {
    case WidgetKind::TextBox: return textBox(field, position, state);
    case WidgetKind::RichText: return {fill(kRichText, {{"n", n}, {"name", field.name}}), false};
    case WidgetKind::DateBox: return {datePickerScript(state) + fill(kDateBox, {{"n", n}, {"name", field.name}}), false};
    case WidgetKind::DropDown:
        return linkedDropDown(model, field, position, state.tableName,
                              fill(kStoredOptionTest, {{"name", field.name}}), messages);
    case WidgetKind::Other:
        // Unlike the add page's box it shows the stored value: an empty box would blank
        // the column on every save.
        return {"\r\n" + fill(kTextBox, {{"n", n}, {"name", field.name}}) + "\r\n", false};
    }
    return {};
}

}  // namespace tabulon::generator
