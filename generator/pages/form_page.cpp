#include "generator/pages/form_page.h"

#include "generator/naming/naming.h"
#include "generator/pages/page_safety.h"
#include "generator/text/fragment.h"
#include "generator/widgets/widget_renderer.h"

namespace tabulon::generator {
namespace {

// check() of the submit buttons: numbers and dates must look right, drop-downs must have
// a value. The server checks the same again.
constexpr std::string_view kCheckScriptStart =
    "\r\n"
    "<script type=\"text/javascript\">\r\n"
    "function check(){\r\n"
    " function box(n){var all=document.getElementsByName(n);for(var "
    "i=0;i<all.length;i++){if(all[i].tagName==\"SELECT\"||all[i].tagName==\"INPUT\"||all[i].tagName==\"TEXTAREA\")"
    "return all[i];}return null;}\r\n"
    " function refuse(e,text){alert(text);try{e.focus();}catch(x){}return false;}\r\n"
    // The rules of SiteValue: a whole number or a decimal with sign (and exponent), within
    // the column's range and, for 小数, its two places. A refused value stays as typed.
    " function number(e,whole,low,high,places,name,outside){var "
    "v=e.value.replace(/^\\s+|\\s+$/g,\"\");if(v==\"\")return true;\r\n"
    "  if(!(whole?/^[-+]?[0-9]+$/:/^[-+]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][-+]?[0-9]{1,4})?$/).test(v))"
    "return refuse(e,name+(whole?\"必须是整数\":\"必须是数字\"));\r\n"
    "  var x=Number(v);if(!(x>=low&&x<=high))return refuse(e,name+outside);\r\n"
    "  if(places>=0){var p=v.toLowerCase().split(\"e\"),f=(p[0].split(\".\")[1]||\"\").replace(/0+$/,\"\");"
    "if(f.length-(Number(p[1])||0)>places)return refuse(e,name+\"最多只能有 \"+places+\" 位小数\");}\r\n"
    "  return true;}\r\n"
    " var e;\r\n";
constexpr std::string_view kCheckNumber =
    " e=box(\"S_$n$\");if(e&&!number(e,$whole$,$low$,$high$,$places$,\"$name$\",\"$outside$\"))return false;\r\n";
constexpr std::string_view kCheckDate =
    " e=box(\"S_$n$\");if(e&&e.value!=\"\"&&!/^[0-9]{4}[-\\/][0-9]{1,2}[-\\/][0-9]{1,2}( "
    "[0-9]{1,2}:[0-9]{1,2}(:[0-9]{1,2})?)?$$/.test(e.value))"
    "return refuse(e,\"$name$不是有效的日期\");\r\n";
constexpr std::string_view kCheckBool =
    " e=box(\"S_$n$\");if(e&&!/^\\s*(是|否|真|假|true|false|yes|no|on|off|-?1|0|wahr|falsch)?\\s*$$/i.test(e.value))"
    "return refuse(e,\"$name$只能是“是”或“否”\");\r\n";
constexpr std::string_view kCheckChoice =
    " e=box(\"S_$n$\");if(e&&e.tagName==\"SELECT\"&&(e.value==\"\"||e.selectedIndex<0))return "
    "refuse(e,\"请选择$name$\");\r\n";
constexpr std::string_view kCheckScriptEnd =
    " return true;\r\n"
    "}\r\n"
    "</script>\r\n";

// What a number column holds, as the browser checks it (the server checks the same).
struct NumberRange {
    std::string_view kind;
    bool whole;
    std::string_view low, high, places, outside;
};
constexpr NumberRange kNumberRanges[] = {
    {"byte", true, "0", "255", "-1", "必须是 0 到 255 之间的整数"},
    {"short", true, "-32768", "32767", "-1", "必须是 -32768 到 32767 之间的整数"},
    {"long", true, "-2147483648", "2147483647", "-1", "超出了整数的范围"},
    {"auto", true, "-2147483648", "2147483647", "-1", "超出了整数的范围"},
    {"single", false, "-3.402823e38", "3.402823e38", "-1", "超出了单精度数的范围"},
    {"double", false, "-1.79769313486231e308", "1.79769313486231e308", "-1", "超出了双精度数的范围"},
    {"decimal", false, "-9999.99", "9999.99", "2", "必须在 -9999.99 到 9999.99 之间"},
    {"currency", false, "-99999999999.9999", "99999999999.9999", "4", "超出了金额的范围"},
};

const NumberRange* numberRange(std::string_view kind) {
    for (const auto& range : kNumberRanges)
        if (range.kind == kind) return &range;
    return nullptr;
}

void appendClientCheck(std::string& out, const catalogue::Field& field, std::string_view n, std::string_view caption) {
    const std::string_view kind = valueKind(field);
    switch (widgetRenderer(field.widget).check) {
    case WidgetCheck::Choice: return fillInto(out, kCheckChoice, {{"n", n}, {"name", caption}});
    case WidgetCheck::None: return;
    case WidgetCheck::ByDataType: break;
    }
    if (kind == "date") return fillInto(out, kCheckDate, {{"n", n}, {"name", caption}});
    if (kind == "bool") return fillInto(out, kCheckBool, {{"n", n}, {"name", caption}});
    if (const auto* range = numberRange(kind))
        fillInto(out, kCheckNumber,
                 {{"n", n},
                  {"whole", range->whole ? "1" : "0"},
                  {"low", range->low},
                  {"high", range->high},
                  {"places", range->places},
                  {"name", caption},
                  {"outside", range->outside}});
}

}  // namespace

std::vector<std::string_view> headWithServerBlock(std::string_view pageHead, const TemplateAnchor& head,
                                                  std::initializer_list<std::string_view> serverBlock) {
    const std::size_t marker = requireAnchor(pageHead, head);
    std::vector<std::string_view> parts{pageHead.substr(0, marker)};
    parts.insert(parts.end(), serverBlock);
    parts.insert(parts.end(), {"\r\n", pageHead.substr(marker)});
    return parts;
}

void spliceAjaxInclude(std::string& page) {
    replaceFirst(page, "<!-- #include file=\"conn.asp\" -->",
                 "\r\n"
                 "<!-- #include file=\"conn.asp\" -->\r\n"
                 "<!--#include file=\"../inc/myfunction.asp\"-->\r\n"
                 "<%\r\n"
                 "SetAjax()\r\n"
                 "%>\r\n");
}

void appendReadLine(std::string& out, std::string_view n, std::string_view name, std::string_view description) {
    fillInto(out,
             "\r\n"
             "             S_$n$=trim(Request.Form(\"S_$n$\"))'$name$\t$description$\r\n",
             {{"n", n}, {"name", name}, {"description", description}});
}

void appendAssignmentLine(std::string& out, std::string_view n, std::string_view name) {
    fillInto(out,
             "\r\n"
             "    rsAdd(\"$name$\")=S_$n$\r\n",
             {{"name", name}, {"n", n}});
}

void appendValueCheckLine(std::string& out, std::string_view n, const catalogue::Field& field,
                          std::string_view caption) {
    fillInto(out, "S_$n$=SiteValue(S_$n$,\"$kind$\",\"$caption$\")\r\n",
             {{"n", n}, {"kind", valueKind(field)}, {"caption", caption}});
}

std::string postbackStart(std::string_view action) {
    return fill(
        "\r\n"
        "<%\r\n"
        "\r\n"
        "if Request.Form(\"action\")=\"$action$\" then\r\n"
        "SiteRequirePost()\r\n",
        {{"action", action}});
}

FieldRows buildFieldRows(const PageInput& input, std::string_view captionStart, std::string_view captionEnd,
                         std::string_view rowEnd, std::string_view readStart, WidgetRule widget, FormState& state,
                         PasswordOnSave password, Messages& messages) {
    FieldRows result{std::string(), std::string(readStart), std::string(), std::string(),
                     std::string(kCheckScriptStart)};
    std::size_t position = 0;
    for (const auto* field : input.fields) {
        ++position;
        const std::string n = std::to_string(position);
        const std::string& caption = fieldCaption(*field);
        result.formRows.append(captionStart).append(caption).append(captionEnd);
        const bool passwordField = isPasswordField(input.model, input.table, *field);
        if (passwordField) {
            // Read as typed: the login page compares the password exactly, spaces and all.
            fillInto(result.readCode,
                     "\r\n"
                     "             S_$n$=Request.Form(\"S_$n$\")&\"\"'$name$\t$description$\r\n",
                     {{"n", n}, {"name", field->name}, {"description", field->description}});
            // Stored as a salted digest; the modify page keeps the stored one when left empty.
            fillInto(result.valueCode,
                     "S_$n$=SitePassword(S_$n$,\"$caption$\")\r\n"
                     "if S_$n$<>\"\" then S_$n$=PasswordHash(S_$n$)\r\n",
                     {{"n", n}, {"caption", caption}});
            if (password == PasswordOnSave::WhenTyped)
                fillInto(result.assignCode, "\r\n    if S_$n$<>\"\" then rsAdd(\"$name$\")=S_$n$\r\n",
                         {{"n", n}, {"name", field->name}});
            else
                appendAssignmentLine(result.assignCode, n, field->name);
        } else {
            appendReadLine(result.readCode, n, field->name, field->description);
            appendValueCheckLine(result.valueCode, n, *field, caption);
            // Account names are compared without regard to case when logging in: one per name.
            if (isAccountNameField(input.model, input.table, *field))
                fillInto(result.valueCode,
                         "SiteRequireFreeAccountName \"$table$\",\"$name$\",S_$n$,$own$,\"$caption$\"\r\n",
                         {{"table", input.table.name},
                          {"name", field->name},
                          {"n", n},
                          {"own", password == PasswordOnSave::WhenTyped ? "ID" : "0"},
                          {"caption", caption}});
            // The database numbers an auto-number column itself and refuses a value for it.
            if (field->dataType != catalogue::DataType::AutoNumber)
                appendAssignmentLine(result.assignCode, n, field->name);
        }
        appendClientCheck(result.checkScript, *field, n, caption);
        state.passwordField = passwordField;
        const Widget built = widget(input.model, *field, position, state, messages);
        if (built.stopsFieldLoop) break;
        result.formRows.append(built.html).append(rowEnd);
    }
    result.checkScript += kCheckScriptEnd;
    return result;
}

}  // namespace tabulon::generator
