#include "generator/pages/modify_page.h"

#include "generator/naming/naming.h"
#include "generator/pages/form_page.h"
#include "generator/text/fragment.h"
#include "generator/widgets/modify_widgets.h"

namespace tabulon::generator {
namespace {

// Every request needs a numeric record id, the postback as much as the form.
constexpr std::string_view kReadStart =
    "\r\n"
    "<%\r\n"
    "\r\n"
    "   ID=trim(request(\"ID\"))\r\n"
    "   if not myIsNumeric(ID) then\r\n"
    "    sendmsg(\"编号必须是数字\")\r\n"
    "    goback()\r\n"
    "    response.End()\r\n"
    "   end if\r\n"
    "\r\n"
    "if request(\"action\")=\"modify\" then\r\n";

constexpr std::string_view kOpenCode =
    "sql=\"select * from $table$\"\r\n"
    "\r\n"
    "sql=sql&\" where id=\"&cstr(ID)\r\n"
    "\r\n"
    "\r\n"
    "Set rsAdd = Server.CreateObject(\"ADODB.Recordset\")\r\n"
    "rsAdd.ActiveConnection = conn\r\n"
    "rsAdd.Source =sql\r\n"
    "rsAdd.CursorType = 0\r\n"
    "rsAdd.CursorLocation = 3\r\n"
    "rsAdd.LockType = 2\r\n"
    "rsAdd.Open()\r\n"
    "rs_numRows =0\r\n"
    "'rsAdd.addnew\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    " if not rsAdd.eof then\r\n";

constexpr std::string_view kSaveAndReturn =
    "\r\n"
    "\r\n"
    " \r\n"
    "  rsAdd.update\r\n"
    "  \r\n"
    "  rsAdd.close\r\n"
    "  \r\n"
    "  set rsAdd=nothing\r\n"
    "\r\n"
    "  conn.close\r\n"
    "  \r\n"
    "  set conn=nothing\r\n"
    "  sendmsg(\"修改成功\")\r\n"
    "  goback()\r\n"
    "  \r\n"
    "  response.End()\r\n"
    "\r\n"
    " else\r\n"
    "  \r\n"
    "  rsAdd.close\r\n"
    "  \r\n"
    "  set rsAdd=nothing\r\n"
    "\r\n"
    "  conn.close\r\n"
    "  \r\n"
    "  set conn=nothing\r\n"
    "  \r\n"
    "  SendMsg(\"指定编号的记录不存在\")\r\n"
    "  \r\n"
    "  goback()\r\n"
    "  \r\n"
    "  response.End()\r\n"
    " \r\n"
    " end if\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    "end if\r\n"
    "\r\n"
    "%>\r\n"
    "\r\n";

constexpr std::string_view kBackToList = "window.location.href='$base$_List.asp'";


constexpr std::string_view kRecordPageEnd =
    "\r\n"
    "\r\n"
    "\r\n"
    "<%\r\n"
    "\r\n"
    "  rsAdd.close\r\n"
    "  \r\n"
    "  set rsAdd=nothing\r\n"
    "\r\n"
    "  conn.close\r\n"
    "  \r\n"
    "  set conn=nothing\r\n"
    "\r\n"
    " else\r\n"
    "  \r\n"
    "  rsAdd.close\r\n"
    "  \r\n"
    "  set rsAdd=nothing\r\n"
    "\r\n"
    "  conn.close\r\n"
    "  \r\n"
    "  set conn=nothing\r\n"
    "  \r\n"
    "  SendMsg(\"指定编号的记录不存在\")\r\n"
    "  \r\n"
    "  goback()\r\n"
    "  \r\n"
    "  response.End()\r\n"
    " \r\n"
    "end if\r\n"
    "\r\n"
    "\r\n"
    "%>\r\n";

}  // namespace

std::string recordQuery(std::string_view tableName) { return fill(kOpenCode, {{"table", tableName}}); }

std::string_view recordPageEnd() { return kRecordPageEnd; }

const PageKind& ModifyPageGenerator::kind() const { return pageKind(PageKindId::Modify); }

std::string ModifyPageGenerator::build(const PageInput& input, Messages& messages) const {
    // T1 head start, T2 title rest, T3 form start, T4/T5 around a caption, T6 row end, T7 buttons
    const auto& rows = input.rows;
    const std::string& tableName = input.table.name;
    const std::string base = pageBaseName(input.table);
    std::string pageHead = std::string(rows[0]) + tableName + std::string(rows[1]);

    FormState state;
    state.tableName = tableName;
    const FieldRows fields =
        buildFieldRows(input, rows[3], rows[4], rows[5], kReadStart, modifyPageWidget, state, messages);

    const std::string openCode = recordQuery(tableName);
    spliceServerBlock(pageHead, fields.readCode + "\r\n" + state.checkCode + "\r\n" + openCode + "\r\n" +
                                    fields.assignCode + std::string(kSaveAndReturn));

    std::string buttons(rows[6]);
    replaceFirst(buttons, "history.go(-1)", fill(kBackToList, {{"base", base}}));
    return pageHead + "<%\r\n" + openCode + "%>\r\n" + std::string(rows[2]) + fields.formRows + buttons +
           std::string(recordPageEnd());
}

}  // namespace tabulon::generator
