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

void appendClientCheck(std::string& out, const catalogue::Field& field, std::string_view n, std::string_view caption) {
    switch (widgetRenderer(field.widget).check) {
    case WidgetCheck::Choice: return fillInto(out, kCheckChoice, {{"n", n}, {"name", caption}});
    case WidgetCheck::None: return;
    case WidgetCheck::ByDataType: break;
    }
    const catalogue::DataTypeRow* row = catalogue::dataTypeRow(field.dataType);
    switch (row ? row->clientCheck : catalogue::ClientCheck::None) {
    case catalogue::ClientCheck::Date: return fillInto(out, kCheckDate, {{"n", n}, {"name", field.name}});
    case catalogue::ClientCheck::WholeNumber: return fillInto(out, kCheckWhole, {{"n", n}, {"name", field.name}});
    case catalogue::ClientCheck::Number: return fillInto(out, kCheckNumber, {{"n", n}, {"name", field.name}});
    case catalogue::ClientCheck::None: return;
    }
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
            fillInto(result.valueCode, "if S_$n$<>\"\" then S_$n$=PasswordHash(S_$n$)\r\n", {{"n", n}});
            if (password == PasswordOnSave::WhenTyped)
                fillInto(result.assignCode, "\r\n    if S_$n$<>\"\" then rsAdd(\"$name$\")=S_$n$\r\n",
                         {{"n", n}, {"name", field->name}});
            else
                appendAssignmentLine(result.assignCode, n, field->name);
        } else {
            appendReadLine(result.readCode, n, field->name, field->description);
            appendValueCheckLine(result.valueCode, n, *field, caption);
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
