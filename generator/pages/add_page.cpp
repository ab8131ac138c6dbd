#include "generator/pages/add_page.h"

#include "generator/naming/naming.h"
#include "generator/pages/form_page.h"
#include "generator/pages/page_safety.h"
#include "generator/pages/record_set.h"
#include "generator/text/fragment.h"
#include "generator/widgets/widget_renderer.h"
#include "generator/widgets/add_widgets.h"

namespace tabulon::generator {
namespace {

constexpr std::string_view kQuery = "sql=\"select * from $table$\"\r\n";

// The list page link spells its suffix in lower case; IIS file names ignore case.
constexpr std::string_view kSaveAndLeave =
    "\r\n"
    "rsAdd.update\r\n"
    "\r\n"
    "  rsAdd.close\r\n"
    "  \r\n"
    "  set rsAdd=nothing\r\n"
    "\r\n"
    "  conn.close\r\n"
    "  \r\n"
    "  set conn=nothing\r\n"
    "  \r\n"
    "  sendmsg(\"添加记录成功\")\r\n"
    "gourl(\"$base$_list.asp\")\r\n"
    "end if%>\r\n";

}  // namespace

const PageKind& AddPageGenerator::kind() const { return pageKind(PageKindId::Add); }

std::string AddPageGenerator::build(const PageInput& input, Messages& messages) const {
    const auto& rows = input.rows;  // T1 head start, T2 head rest, T3/T4 around a caption, T5 row end, T6 page end
    const std::string& tableName = input.table.name;
    std::string pageHead = std::string(rows[0]) + tableName + std::string(rows[1]);

    FormState state;
    state.tableName = tableName;
    for (const auto* field : input.fields) state.fieldNames.push_back(field->name);

    const FieldRows fields = buildFieldRows(input, rows[2], rows[3], rows[4], postbackStart("add"), addPageWidget,
                                            state, PasswordOnSave::Always, messages);

    const std::string query = openRecordSet(fill(kQuery, {{"table", tableName}}));
    const std::string save = fill(kSaveAndLeave, {{"base", pageBaseName(input.table)}});
    auto parts = headWithServerBlock(pageHead, anchor::kAddHead,
                                     {fields.readCode, "\r\n", state.checkCode, fields.valueCode, "\r\n", query,
                                      "rsAdd.addnew\r\n\r\n", fields.assignCode, save});
    parts.insert(parts.end(), {fields.formRows, fields.checkScript, state.loadScript, rows[5]});
    if (!state.cascade) return finishedPage(parts, "<form");
    std::string page = concat(parts);
    spliceAjaxInclude(page);
    return finishedPage({page}, "<form");
}

}  // namespace tabulon::generator
