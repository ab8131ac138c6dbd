#include "generator/pages/delete_page.h"

#include "generator/pages/page_safety.h"
#include "generator/pages/record_set.h"
#include "generator/text/fragment.h"

namespace tabulon::generator {
namespace {

// Only a POST of the list's form with the session's token deletes; the ids must be a comma
// list of whole positive numbers and the query gets the list rebuilt from those numbers.
constexpr std::string_view kIdCheck =
    "\r\n"
    "<%\r\n"
    "\r\n"
    "if request(\"action\")=\"Delete\" then\r\n"
    "\r\n"
    "   SiteRequirePost()\r\n"
    "   ID=SiteIdList(Request.Form(\"ID\"))\r\n"
    "   \r\n"
    "\tif ID=\"\" then\r\n"
    "\t\tsendmsg(\"请先选择要删除的记录\")\r\n"
    "\t\tgoback()\r\n"
    "\t\tresponse.End()\r\n"
    "\tend if\r\n"
    "\tif ID=\"!\" then\r\n"
    "\t\tsendmsg(\"编号必须是数字\")\r\n"
    "\t\tgoback()\r\n"
    "\t\tresponse.End()\r\n"
    "\tend if\r\n"
    "\r\n";

constexpr std::string_view kQuery =
    "sql=\"select * from [$table$]\"\r\n"
    "\r\n"
    "\r\n"
    "sql=sql&\" where id in(\"&ID&\")\"\r\n"
    "\r\n"
    "\r\n";

// The record set deletes row by row; the quote that ends "rsAdd.delete\r\n'" turns the
// trace line after it into a comment.
constexpr std::string_view kDeletion =
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
    return finishedPage({rows[0], tableName, rows[1], kIdCheck, openRecordSet(fill(kQuery, {{"table", tableName}})),
                         kDeletion, rows[2]},
                        std::nullopt);
}

}  // namespace tabulon::generator
