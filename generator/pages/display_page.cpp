#include "generator/pages/display_page.h"

#include "generator/naming/naming.h"
#include "generator/pages/form_page.h"
#include "generator/pages/modify_page.h"
#include "generator/pages/page_safety.h"
#include "generator/text/fragment.h"
#include "generator/widgets/widget_renderer.h"
#include "generator/widgets/display_widgets.h"

namespace tabulon::generator {
namespace {

constexpr std::string_view kIdCheck =
    "\r\n"
    "<%\r\n"
    "\r\n"
    "   ID=trim(request(\"ID\"))\r\n"
    "   If not SiteMatches(ID,\"^[0-9]{1,9}$$\") then\r\n"
    "    sendmsg(\"编号必须是数字\")\r\n"
    "    goback()\r\n"
    "    response.End()\r\n"
    "   End if\r\n"
    "%>\r\n"
    "\r\n"
    "\r\n"
    "\r\n";

}  // namespace

const PageKind& DisplayPageGenerator::kind() const { return pageKind(PageKindId::Display); }

std::string DisplayPageGenerator::build(const PageInput& input, Messages& messages) const {
    // T1 head start, T2 title rest, T3 frame, T4/T5 around a caption, T6 row end, T7 page end
    const auto& rows = input.rows;
    const std::string& tableName = input.table.name;
    const std::string pageHead = std::string(rows[0]) + tableName + std::string(rows[1]);
    const std::string idCheck = fill(kIdCheck, {});

    std::string body;
    std::size_t position = 0;
    for (const auto* field : input.fields) {
        ++position;
        if (isPasswordField(input.model, input.table, *field)) continue;  // not even its digest is shown
        body.append(rows[3]).append(fieldCaption(*field)).append(rows[4]);
        const Widget value = displayPageValue(input.model, *field, position, tableName, messages);
        if (value.stopsFieldLoop) break;
        body.append(value.html).append(rows[5]);
    }
    auto parts = headWithServerBlock(pageHead, anchor::kDisplayHead, {idCheck});
    const std::string query = recordQuery(tableName), end = recordPageEnd();
    parts.insert(parts.end(), {"\r\n<%\r\n", query, "%>\r\n", rows[2], body, rows[6], end});
    return finishedPage(parts, std::nullopt);
}

}  // namespace tabulon::generator
