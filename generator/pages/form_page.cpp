#include "generator/pages/form_page.h"

#include "generator/naming/naming.h"
#include "generator/text/fragment.h"

namespace tabulon::generator {

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
    return fill("\r\n"
                "             S_$n$=trim(request(\"S_$n$\"))'$name$\t$description$\r\n",
                {{"n", std::to_string(position)}, {"name", name}, {"description", description}});
}

std::string assignmentLine(std::size_t position, std::string_view name) {
    return fill("\r\n"
                "    rsAdd(\"$name$\")=S_$n$\r\n",
                {{"name", name}, {"n", std::to_string(position)}});
}

FieldRows buildFieldRows(const PageInput& input, std::string_view captionStart, std::string_view captionEnd,
                         std::string_view rowEnd, std::string_view readStart, WidgetRule widget, FormState& state,
                         Messages& messages) {
    FieldRows result{std::string(), std::string(readStart), std::string()};
    std::size_t position = 0;
    for (const auto* field : input.fields) {
        ++position;
        result.formRows += std::string(captionStart) + fieldCaption(*field) + std::string(captionEnd);
        result.readCode += readLine(position, field->name, field->description);
        result.assignCode += assignmentLine(position, field->name);
        const Widget built = widget(input.model, *field, position, state, messages);
        if (built.stopsFieldLoop) break;
        result.formRows += built.html + std::string(rowEnd);
    }
    return result;
}

}  // namespace tabulon::generator
