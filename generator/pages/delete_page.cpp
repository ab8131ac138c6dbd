#include "generator/pages/delete_page.h"

#include "generator/text/fragment.h"

namespace tabulon::generator {
namespace {

// Every id of the list must be a number before any of them reaches the query.
constexpr std::string_view kIdCheck =
    "\r\n"
    "<%\r\n"
    "\r\n"
    "   ID=trim(request(\"ID\"))\r\n"
    "   \r\n"
    "'   response.Write id\r\n"
    "'   response.End()\r\n"
    "   \r\n"
    "   IDarray=split(ID,\",\")\r\n"
    "   \r\n"
    "\tfor i=0 to ubound(IDarray)\r\n"
    "\t\r\n"
    "\t   if not myIsNumeric(trim(IDarray(i))) then\r\n"
    "\t   \r\n"
    "\t\tsendmsg(trim(IDarray(i)))\t\t\r\n"
    "\t\tsendmsg(\"编号必须是数字\")\r\n"
    "\t\tgoback()\r\n"
    "\t\tresponse.End()\r\n"
    "\t   end if\r\n"
    "\r\n"
    "\t\r\n"
    "\tnext\r\n"
    "   \r\n"
    "   \r\n"
    "\r\n"
    "if request(\"action\")=\"Delete\" then\r\n"
    "\r\n";

// The record set deletes row by row; the quote that ends "rsAdd.delete\r\n'" turns the
// trace line after it into a comment.
constexpr std::string_view kDeletion =
    "sql=\"select * from $table$\"\r\n"
    "\r\n"
    "\r\n"
    "sql=sql&\" where id in(\"&cstr(ID)&\")\"\r\n"
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
    " if not rsAdd.eof then\r\n"
    " \r\n"
    " \twhile not rsAdd.eof\r\n"
    "\t\r\n"
    "\t\trsAdd.delete\r\n"
    "'\t\tresponse.Write\"RS_ID=\"&rsAdd(\"id\")&\" Done<BR>\"\r\n"
    "\t\trsAdd.movenext\r\n"
    "\t\t\r\n"
    "\twend\r\n"
    "\t\t   \r\n"
    "\t\trsAdd.close\r\n"
    "\t\t   \r\n"
    "\t\tset rsAdd=nothing\r\n"
    "\t\t   \r\n"
    "\t\tconn.close\r\n"
    "\t\t   \r\n"
    "\t\tset conn=nothing\r\n"
    "\t\t   \r\n"
    "\t\tsendmsg(\"删除成功\")\r\n"
    "\t\t\t\r\n"
    "\t\tgoback()\r\n"
    " \r\n"
    " else\r\n"
    "\r\n"
    "   \r\n"
    "\t  rsAdd.close\r\n"
    "\t\t \r\n"
    "\t  set rsAdd=nothing\r\n"
    "\t\t \r\n"
    "\t  conn.close\r\n"
    "\t\t \r\n"
    "\t  set conn=nothing\r\n"
    "\t\t \r\n"
    "\t  sendmsg(\"删除失败，记录不存在\")\r\n"
    "\t\t  \r\n"
    "\t  goback()\r\n"
    " \r\n"
    " end if\r\n"
    "\r\n"
    " end if\r\n"
    "\r\n"
    "%>\r\n"
    "\r\n";

}  // namespace

const PageKind& DeletePageGenerator::kind() const { return pageKind(PageKindId::Delete); }

std::string DeletePageGenerator::build(const PageInput& input, Messages&) const {
    const auto& rows = input.rows;  // T1 head start, T2 title rest and body start, T3 page end
    const std::string& tableName = input.table.name;
    return std::string(rows[0]) + tableName + std::string(rows[1]) + std::string(kIdCheck) +
           fill(kDeletion, {{"table", tableName}}) + std::string(rows[2]);
}

}  // namespace tabulon::generator
