#include "generator/widgets/add_widgets.h"

#include <algorithm>

#include "catalogue/snapshot.h"
#include "generator/text/fragment.h"
#include "generator/widgets/linked_source.h"

namespace tabulon::generator {
namespace {

using catalogue::Field;
using catalogue::Snapshot;

constexpr std::string_view kTextBox = "<input type=\"text\" name=\"S_$n$\" id=\"S_$n$\" style=\"width:300px\">";

constexpr std::string_view kPasswordBox =
    "<input type=\"password\" name=\"S_$n$\" id=\"S_$n$\" style=\"width:300px\" autocomplete=\"new-password\">";

constexpr std::string_view kCascadeTextBox =
    "<input type=\"text\" name=\"S_$n$\" id=\"S_$n$\" style=\"width:300px\" onchange=\"GetData('S_$target$',"
    "this.value,'../Getclass.asp?Stype=$cascadeTable$&filed=$cascadeField$&condition=$condition$&order=$n$"
    "&next=$target$');\"><% $registration$ %>";

constexpr std::string_view kNumericTextBox =
    "<input type=\"text\" name=\"S_$n$\" id=\"S_$n$\"  style=\"width:60px\" onBlur=\"if(/[^0-9\\.]/g.test("
    "this.value)){alert('$name$只能输入数字！');this.value=0}\">        <span style=\"color:#CCC\">数字型</span>";

constexpr std::string_view kNumericCheck =
    "\r\n"
    "if S_$n$<>\"\" and not myIsNumeric(S_$n$) then\r\n"
    " sendmsg(\"$name$必须是数字\")\r\n"
    " goback()\r\n"
    " response.End()\r\n"
    "end if\r\n";

constexpr std::string_view kRichText =
    "\r\n"
    "<input type=\"hidden\" name=\"S_$n$\" id=\"S_$n$\" value=\"\" />\r\n"
    " <IFRAME ID=\"eWebEditor_S_$n$\" src=\"../editor/ewebeditor.htm?id=S_$n$&style=coolblue\" frameborder=\"0\" "
    "scrolling=\"no\" width=\"550\" height=\"350\"></IFRAME>\r\n";

constexpr std::string_view kDateScript =
    "\r\n"
    "<script language=\"javascript\" type=\"text/javascript\" src=\"../date/WdatePicker.js\"></script>\r\n";

constexpr std::string_view kDateBox =
    "\r\n"
    "<input name=\"S_$n$\" type=\"text\" class=\"Wdate\" id=\"S_$n$\" value=\"<%=getdate(now())%>\" "
    "onclick=\"WdatePicker()\" >\r\n";

constexpr std::string_view kDropDownCascade =
    " onclick=\"&\"\"\"\"&\"GetData(\"&\"'\"&\"S_$target$\"&\"'\"&\",this.options[selectedIndex].value,\"&\"'\"&"
    "\"Getclass.asp?table=$table$&Stype=$cascadeTable$&filed=$cascadeField$&condition=$condition$&order=$n$"
    "&next=$target$\"&\"'\"&\");\"&\"\"\"\"&\">";

constexpr std::string_view kCascadeTargetSpan =
    "\r\n"
    "<span id=\"S_$n$\" name=\"S_$n$\"></span>\r\n";

constexpr std::string_view kOtherInput =
    "\r\n"
    "<input type=\"text\" name=\"S_$n$\" id=\"S_$n$\" style=\"width:300px\">\r\n";

// The option texts are encoded: a stored "<" must not become markup.
constexpr std::string_view kDropDownList =
    "\r\n"
    "<%\r\n"
    "$before$"
    "\r\n"
    "Sql_Select=\"$sql$\"\r\n"
    "Set RS_select=server.CreateObject(\"adodb.recordset\")\r\n"
    "RS_select.open Sql_Select,conn,1,1\r\n"
    "\r\n"
    " response.Write\"          <label>\"&vbcrlf\r\n"
    " \r\n"
    " response.Write\"<select name=\" & \"\"\"\" & \"S_$n$\" & \"\"\"\" & \" id=\" & \"\"\"\" & \"S_$n$\" & \"\"\"\" & "
    "\"$attribute$\" &vbcrlf\r\n"
    " \r\n"
    "\r\n"
    "if  not RS_select.eof then\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    " i=0\r\n"
    " while not RS_select.eof\r\n"
    "  \r\n"
    "  Select_Filed=server.HTMLEncode(RS_select(\"$field$\")&\"\") \r\n"
    "  Select_ID=RS_select(\"id\")\r\n"
    "\r\n"
    "\r\n"
    "  if $selected$ then\r\n"
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

// Once the form is there the dependent list is filled for the source's current choice,
// so keeping the first choice still saves a dependent value.
constexpr std::string_view kFillOnLoad =
    "<script type=\"text/javascript\">(function(){var s=document.getElementById(\"S_$n$\");"
    "if(s&&s.onclick)s.onclick();})();</script>\r\n";

// A cascade source names the table of a dependent list in 联动表 ("0" or "" is none).
bool isCascadeSource(const Field& field) { return leadingNumber(field.cascadeTable) > 0.0000001; }

std::string tableNameOf(const Snapshot& model, std::string_view idText) {
    const auto* table = model.tableByIdText(idText);
    return table ? table->name : std::string();
}

std::string fieldNameOf(const Snapshot& model, std::string_view idText) {
    const auto* field = model.fieldByIdText(idText);
    return field ? field->name : std::string();
}

// 联动字段 names the column of the cascade table to list; not set means its key.
std::string cascadeFieldName(const Snapshot& model, const Field& field) {
    return static_cast<long long>(leadingNumber(field.cascadeField)) != 0 ? fieldNameOf(model, field.cascadeField)
                                                                          : std::string("ID");
}

// 1-based position of the first field of the page with this name, 0 when none.
std::size_t positionOf(const FormState& state, std::string_view name) {
    const auto it = std::find(state.fieldNames.begin(), state.fieldNames.end(), name);
    return it == state.fieldNames.end() ? 0 : static_cast<std::size_t>(it - state.fieldNames.begin()) + 1;
}

bool isCascadeTarget(const FormState& state, std::size_t position) {
    const std::string n = std::to_string(position);
    return std::find(state.cascadeTargets.begin(), state.cascadeTargets.end(), n) != state.cascadeTargets.end();
}

Widget textBox(const Snapshot& model, const Field& field, std::size_t position, FormState& state) {
    const std::string n = std::to_string(position);
    std::string html;
    if (isCascadeSource(field)) {
        state.cascade = true;
        const std::string cascadeField = cascadeFieldName(model, field);
        // Like a drop-down cascade, the list to fill is the field named by 联显字段.
        std::size_t target = 0;
        if (static_cast<long long>(leadingNumber(field.cascadeDisplay)) != 0) {
            target = positionOf(state, fieldNameOf(model, field.cascadeDisplay));
            state.cascadeTargets.push_back(std::to_string(target));
        }
        const std::string cascadeTable = tableNameOf(model, field.cascadeTable);
        const std::string condition = fieldNameOf(model, field.cascadeCondition);
        html = fill(kCascadeTextBox, {{"n", n},
                                      {"target", std::to_string(target)},
                                      {"cascadeTable", cascadeTable},
                                      {"cascadeField", cascadeField},
                                      {"condition", condition},
                                      {"registration", cascadeRegistration(cascadeTable, cascadeField, condition)}});
    } else {
        html = fill(state.passwordField ? kPasswordBox : kTextBox, {{"n", n}});
    }
    if (catalogue::checkedAsNumber(field.dataType)) {
        // A numeric box trades the cascade call for its own check; the cascade stays registered.
        state.checkCode += numericCheck(position, field.name);
        html = fill(kNumericTextBox, {{"n", n}, {"name", field.name}});
    }
    return {html, false};
}

// The onclick that makes a drop-down fill the dependent list of its cascade.
std::string cascadeAttribute(const Snapshot& model, const Field& field, std::size_t position, FormState& state) {
    state.cascade = true;
    std::string condition;
    if (field.cascadeCondition != "0") {
        const auto* conditionField = model.fieldByIdText(field.cascadeCondition);
        condition = conditionField ? conditionField->name : std::string();
        // One "%" tells the data service to compare as a number.
        if (conditionField && catalogue::checkedAsNumber(conditionField->dataType)) condition = "%" + condition;
    } else {
        condition = "%ID";
    }
    std::size_t target = 0;
    if (static_cast<long long>(leadingNumber(field.cascadeDisplay)) != 0) {
        target = positionOf(state, fieldNameOf(model, field.cascadeDisplay));
        state.cascadeTargets.push_back(std::to_string(target));
    }
    const std::string targetText = std::to_string(target);
    state.loadScript += fill(kFillOnLoad, {{"n", std::to_string(position)}});
    return fill(kDropDownCascade, {{"target", targetText},
                                   {"table", state.tableName},
                                   {"cascadeTable", tableNameOf(model, field.cascadeTable)},
                                   {"cascadeField", cascadeFieldName(model, field)},
                                   {"condition", condition},
                                   {"n", std::to_string(position)}});
}

// The data service answers this session only for the cascades its pages use.
std::string cascadeSourceRegistration(const Snapshot& model, const Field& field) {
    if (!isCascadeSource(field)) return std::string();
    std::string condition = field.cascadeCondition != "0" ? fieldNameOf(model, field.cascadeCondition) : "ID";
    return cascadeRegistration(tableNameOf(model, field.cascadeTable), cascadeFieldName(model, field), condition) +
           "\r\n";
}

Widget dropDown(const Snapshot& model, const Field& field, std::size_t position, FormState& state, Messages& messages) {
    const std::string attribute = isCascadeSource(field) ? cascadeAttribute(model, field, position, state) : " >";
    if (isCascadeTarget(state, position)) return {fill(kCascadeTargetSpan, {{"n", std::to_string(position)}}), false};

    const auto* table = linkedTable(model, field);
    if (!table) {
        messages.show(missingLinkedTableMessage(state.tableName, field));
        return {attribute, false};
    }
    const auto column = linkedFieldName(model, field);
    if (!column) {
        messages.show("一个组合框关联的字段不存在！\r\n关联表:" + table->name + "\r\n关联字段:" + field.linkField);
        return {std::string(), true};
    }
    return {dropDownListCode(dropDownQuery(table->name, *column), *column, position, attribute, "i=1",
                             cascadeSourceRegistration(model, field)),
            false};
}

}  // namespace

std::string dropDownListCode(std::string_view sql, std::string_view fieldName, std::size_t position,
                             std::string_view attribute, std::string_view selectedTest, std::string_view before) {
    return fill(kDropDownList, {{"before", before},
                                {"sql", sql},
                                {"n", std::to_string(position)},
                                {"attribute", attribute},
                                {"field", fieldName},
                                {"selected", selectedTest}});
}

std::string cascadeRegistration(std::string_view table, std::string_view column, std::string_view condition) {
    return "SiteAllowCascade \"" + std::string(table) + "\",\"" + std::string(column) + "\",\"" +
           std::string(condition) + "\"";
}

std::string numericCheck(std::size_t position, std::string_view name) {
    return fill(kNumericCheck, {{"n", std::to_string(position)}, {"name", name}});
}

std::string datePickerScript(FormState& state) {
    if (state.dateScripts >= 1) return std::string();
    ++state.dateScripts;
    return std::string(kDateScript);
}

namespace add_widget {

Widget textBox(const Snapshot& model, const Field& field, std::size_t position, FormState& state, Messages&) {
    return generator::textBox(model, field, position, state);
}

Widget richText(const Snapshot&, const Field&, std::size_t position, FormState&, Messages&) {
    return {fill(kRichText, {{"n", std::to_string(position)}}), false};
}

Widget dateBox(const Snapshot&, const Field&, std::size_t position, FormState& state, Messages&) {
    return {datePickerScript(state) + fill(kDateBox, {{"n", std::to_string(position)}}), false};
}

Widget dropDown(const Snapshot& model, const Field& field, std::size_t position, FormState& state, Messages& messages) {
    return generator::dropDown(model, field, position, state, messages);
}

Widget other(const Snapshot&, const Field&, std::size_t position, FormState&, Messages&) {
    return {fill(kOtherInput, {{"n", std::to_string(position)}}), false};
}

}  // namespace add_widget

}  // namespace tabulon::generator
