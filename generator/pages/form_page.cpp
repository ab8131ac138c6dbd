#include "generator/pages/form_page.h"

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

}  // namespace tabulon::generator
