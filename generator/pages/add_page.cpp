#include "generator/pages/add_page.h"

#include "generator/naming/naming.h"
#include "generator/pages/form_page.h"
#include "generator/text/fragment.h"
#include "generator/widgets/add_widgets.h"

namespace tabulon::generator {
namespace {

constexpr std::string_view kReadStart =
    "\r\n"
    "<%\r\n"
    "\r\n"
    "if request(\"action\")=\"add\" then\r\n";

constexpr std::string_view kOpenCode =
    "sql=\"select * from $table$\"\r\n"
    "Set rsAdd = Server.CreateObject(\"ADODB.Recordset\")\r\n"
    "rsAdd.ActiveConnection = conn\r\n"
    "rsAdd.Source =sql\r\n"
    "rsAdd.CursorType = 0\r\n"
    "rsAdd.CursorLocation = 3\r\n"
    "rsAdd.LockType = 2\r\n"
    "rsAdd.Open()\r\n"
    "rs_numRows =0\r\n"
    "rsAdd.addnew\r\n";

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

    const FieldRows fields =
        buildFieldRows(input, rows[2], rows[3], rows[4], kReadStart, addPageWidget, state, messages);

    const std::string serverBlock = fields.readCode + "\r\n" + state.checkCode + "\r\n" +
                                    fill(kOpenCode, {{"table", tableName}}) + "\r\n" + fields.assignCode +
                                    fill(kSaveAndLeave, {{"base", pageBaseName(input.table)}});
    spliceServerBlock(pageHead, serverBlock);

    std::string page = pageHead + fields.formRows + std::string(rows[5]);
    if (state.cascade) spliceAjaxInclude(page);
    return page;
}

}  // namespace tabulon::generator
