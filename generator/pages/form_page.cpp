#include "generator/pages/form_page.h"

#include "generator/naming/naming.h"
#include "generator/pages/page_safety.h"
#include "generator/text/fragment.h"
#include "generator/widgets/widget_kind.h"

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
    " var e;\r\n";
constexpr std::string_view kCheckNumber =
    " e=box(\"S_$n$\");if(e&&e.value!=\"\"&&!/^-?[0-9]+(\\.[0-9]+)?$$/.test(e.value))return "
    "refuse(e,\"$name$必须是数字\");\r\n";
constexpr std::string_view kCheckWhole =
    " e=box(\"S_$n$\");if(e&&e.value!=\"\"&&!/^-?[0-9]+$$/.test(e.value))return refuse(e,\"$name$必须是整数\");\r\n";
constexpr std::string_view kCheckDate =
    " e=box(\"S_$n$\");if(e&&e.value!=\"\"&&!/^[0-9]{4}[-\\/][0-9]{1,2}[-\\/][0-9]{1,2}( "
    "[0-9]{1,2}:[0-9]{1,2}(:[0-9]{1,2})?)?$$/.test(e.value))"
    "return refuse(e,\"$name$不是有效的日期\");\r\n";
constexpr std::string_view kCheckChoice =
    " e=box(\"S_$n$\");if(e&&e.tagName==\"SELECT\"&&(e.value==\"\"||e.selectedIndex<0))return "
    "refuse(e,\"请选择$name$\");\r\n";
constexpr std::string_view kCheckScriptEnd =
    " return true;\r\n"
    "}\r\n"
    "</script>\r\n";

std::string clientCheck(const catalogue::Field& field, std::size_t position) {
    const std::string n = std::to_string(position);
    const std::string_view kind = valueKind(field);
    switch (widgetKindOf(field.inputType)) {
    case WidgetKind::DropDown: return fill(kCheckChoice, {{"n", n}, {"name", fieldCaption(field)}});
    case WidgetKind::RichText: return std::string();
    case WidgetKind::TextBox:
    case WidgetKind::DateBox:
    case WidgetKind::Other: break;
    }
    if (kind == "date") return fill(kCheckDate, {{"n", n}, {"name", field.name}});
    if (kind == "long" || kind == "short" || kind == "byte" || kind == "auto")
        return fill(kCheckWhole, {{"n", n}, {"name", field.name}});
    if (kind == "single" || kind == "double" || kind == "decimal")
        return fill(kCheckNumber, {{"n", n}, {"name", field.name}});
    return std::string();
}

}  // namespace

void spliceServerBlock(std::string& pageHead, std::string_view serverBlock) {
    replaceFirst(pageHead, kHeadMarker, std::string(serverBlock) + "\r\n" + std::string(kHeadMarker));
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

std::string readLine(std::size_t position, std::string_view name, std::string_view description) {
    return fill(
        "\r\n"
        "             S_$n$=trim(Request.Form(\"S_$n$\"))'$name$\t$description$\r\n",
        {{"n", std::to_string(position)}, {"name", name}, {"description", description}});
}

std::string assignmentLine(std::size_t position, std::string_view name) {
    return fill(
        "\r\n"
        "    rsAdd(\"$name$\")=S_$n$\r\n",
        {{"name", name}, {"n", std::to_string(position)}});
}

std::string valueCheckLine(std::size_t position, const catalogue::Field& field) {
    return fill("S_$n$=SiteValue(S_$n$,\"$kind$\",\"$caption$\")\r\n",
                {{"n", std::to_string(position)}, {"kind", valueKind(field)}, {"caption", fieldCaption(field)}});
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
    FieldRows result{std::string(), std::string(readStart), std::string(), std::string(), std::string()};
    std::string clientChecks;
    std::size_t position = 0;
    for (const auto* field : input.fields) {
        ++position;
        const std::string n = std::to_string(position);
        result.formRows += std::string(captionStart) + fieldCaption(*field) + std::string(captionEnd);
        if (isPasswordField(input.model, input.table, *field)) {
            // Read as typed: the login page compares the password exactly, spaces and all.
            result.readCode += fill(
                "\r\n"
                "             S_$n$=Request.Form(\"S_$n$\")&\"\"'$name$\t$description$\r\n",
                {{"n", n}, {"name", field->name}, {"description", field->description}});
            // Stored as a salted digest; the modify page keeps the stored one when left empty.
            result.valueCode += "if S_" + n + "<>\"\" then S_" + n + "=PasswordHash(S_" + n + ")\r\n";
            result.assignCode += password == PasswordOnSave::WhenTyped ? "\r\n    if S_" + n + "<>\"\" then rsAdd(\"" +
                                                                             field->name + "\")=S_" + n + "\r\n"
                                                                       : assignmentLine(position, field->name);
        } else {
            result.readCode += readLine(position, field->name, field->description);
            result.valueCode += valueCheckLine(position, *field);
            // The database numbers an auto-number column itself and refuses a value for it.
            if (valueKind(*field) != "auto") result.assignCode += assignmentLine(position, field->name);
        }
        clientChecks += clientCheck(*field, position);
        state.passwordField = isPasswordField(input.model, input.table, *field);
        const Widget built = widget(input.model, *field, position, state, messages);
        if (built.stopsFieldLoop) break;
        result.formRows += built.html + std::string(rowEnd);
    }
    result.checkScript = std::string(kCheckScriptStart) + clientChecks + std::string(kCheckScriptEnd);
    return result;
}

}  // namespace tabulon::generator
