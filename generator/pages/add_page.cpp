#include "generator/pages/add_page.h"

#include "generator/naming/naming.h"
#include "generator/pages/form_page.h"
#include "generator/pages/page_safety.h"
#include "generator/pages/record_set.h"
#include "generator/text/fragment.h"
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

    const std::string serverBlock =
        concat({fields.readCode, "\r\n", state.checkCode, fields.valueCode, "\r\n",
                openRecordSet(fill(kQuery, {{"table", tableName}})), "rsAdd.addnew\r\n", "\r\n", fields.assignCode,
                fill(kSaveAndLeave, {{"base", pageBaseName(input.table)}})});
    spliceServerBlock(pageHead, serverBlock);

    std::string page = concat({pageHead, fields.formRows, fields.checkScript, state.loadScript, rows[5]});
    if (state.cascade) spliceAjaxInclude(page);
    return finishedPage(page, "<form");
}

}  // namespace tabulon::generator
