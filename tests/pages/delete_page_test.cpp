// The delete page: two fixed scripts with their exact TAB counts between the 删除 rows.
#include <gtest/gtest.h>

#include <algorithm>

#include "generator/pages/delete_page.h"
#include "tests/pages/page_fixture.h"

namespace tabulon::pages_test {
namespace {

using generator::DeletePageGenerator;
using testing::DesignBuilder;

// Each line: the TABs it starts with, then its text, as the page states them.
struct TabbedLine {
    int tabs;
    std::string text;
};

std::string joined(const std::vector<TabbedLine>& lines) {
    std::string out;
    for (const auto& line : lines) out += std::string(line.tabs, '\t') + line.text;
    return out;
}

// Only a POST with the session's token deletes, and only a list of whole positive ids.
const std::string kIdCheck =
    "\r\n<%\r\n\r\nif request(\"action\")=\"Delete\" then\r\n\r\n   SiteRequirePost()\r\n"
    "   ID=SiteIdList(Request.Form(\"ID\"))\r\n   \r\n" +
    joined({
        {1, "if ID=\"\" then\r\n"},
        {2, "sendmsg(\"请先选择要删除的记录\")\r\n"},
        {2, "goback()\r\n"},
        {2, "response.End()\r\n"},
        {1, "end if\r\n"},
        {1, "if ID=\"!\" then\r\n"},
        {2, "sendmsg(\"编号必须是数字\")\r\n"},
        {2, "goback()\r\n"},
        {2, "response.End()\r\n"},
        {1, "end if\r\n\r\n"},
    });

std::string deletion(const std::string& table) {
    return "sql=\"select * from [" + table +
           "]\"\r\n\r\n\r\nsql=sql&\" where id in(\"&ID&\")\"\r\n\r\n\r\nSet rsAdd = "
           "Server.CreateObject(\"ADODB.Recordset\")"
           "\r\nrsAdd.ActiveConnection = conn\r\nrsAdd.Source =sql\r\nrsAdd.CursorType = 0\r\nrsAdd.CursorLocation = "
           "3\r\n"
           "rsAdd.LockType = 2\r\nrsAdd.Open()\r\nrs_numRows =0\r\n'rsAdd.addnew\r\n if not rsAdd.eof then\r\n \r\n " +
           joined({
               {1, "while not rsAdd.eof\r\n"},
               {1, "\r\n"},
               {2, "rsAdd.delete\r\n'"},
               {2, "response.Write\"RS_ID=\"&rsAdd(\"id\")&\" Done<BR>\"\r\n"},
               {2, "rsAdd.movenext\r\n"},
               {2, "\r\n"},
               {1, "wend\r\n"},
               {2, "   \r\n"},
               {2, "rsAdd.close\r\n"},
               {2, "   \r\n"},
               {2, "set rsAdd=nothing\r\n"},
               {2, "   \r\n"},
               {2, "conn.close\r\n"},
               {2, "   \r\n"},
               {2, "set conn=nothing\r\n"},
               {2, "   \r\n"},
               {2, "sendmsg(\"删除成功\")\r\n"},
               {3, "\r\n"},
               {2, "goback()\r\n \r\n else\r\n\r\n   \r\n"},
               {1, "  rsAdd.close\r\n"},
               {2, " \r\n"},
               {1, "  set rsAdd=nothing\r\n"},
               {2, " \r\n"},
               {1, "  conn.close\r\n"},
               {2, " \r\n"},
               {1, "  set conn=nothing\r\n"},
               {2, " \r\n"},
               {1, "  sendmsg(\"删除失败，记录不存在\")\r\n"},
               {2, "  \r\n"},
               {1, "  goback()\r\n \r\n end if\r\n\r\n end if\r\n\r\n%>\r\n\r\n"},
           });
}

const std::string kTitleRest =
    " - 删除记录</title>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\r\n<link "
    "href=\"../style/style.css\" rel=\"stylesheet\" type=\"text/css\">\r\n<style>\r\nbody "
    "{\r\n\tbackground-color:#FFFFFF;"
    "\r\n}\r\n</style>\r\n</HEAD>\r\n\r\n<BODY>\r\n";
const std::string kPageEnd = "\r\n\r\n</body>\r\n</html>";

const std::string kCodePage = "<%@ CODEPAGE=936 %>\r\n";

std::string deletePage(const std::string& table) {
    return kCodePage + kFormHeadStart + kHeadMarker + table + kTitleRest + kIdCheck + deletion(table) + kPageEnd;
}

TEST(DeletePage, ScriptsHoldTheirTabs) {
    EXPECT_EQ(std::count(kIdCheck.begin(), kIdCheck.end(), '\t'), 16);
    const std::string script = deletion("x");
    EXPECT_EQ(std::count(script.begin(), script.end(), '\t'), 52);
}

TEST(DeletePage, SampleTablesAreExact) {
    const auto model = sampleModel();
    for (const auto& [id, name] : {std::pair{24, "用户"}, {25, "收支"}, {26, "消费类型"}, {27, "流水帐"}}) {
        const auto built = buildPage<DeletePageGenerator>(model, id);
        EXPECT_EQ(built.page, deletePage(name)) << name;
        EXPECT_TRUE(built.messages.empty());
    }
}

TEST(DeletePage, TableWithoutFieldsGetsTheWholePage) {
    DesignBuilder design;
    const auto table = design.table(design.project("空"), "空表");
    EXPECT_EQ(buildPage<DeletePageGenerator>(design.snapshot(), table).page, deletePage("空表"));
}

// The page uses the first three 删除 rows wherever they come from; a fourth is ignored.
TEST(DeletePage, UsesOnlyTheFirstThreeRows) {
    DesignBuilder design;
    design.catalogue().addTemplate({0, "删除", "<!-- 第四行 -->", 99});
    replaceTemplateRow(design.catalogue(), "删除", 2, "</html>");
    const auto page = buildPage<DeletePageGenerator>(design.snapshot(), 25).page;
    EXPECT_EQ(page,
              kCodePage + kFormHeadStart + kHeadMarker + "收支" + kTitleRest + kIdCheck + deletion("收支") + "</html>");
}

// Nothing from the query string or a GET reaches the deletion: the ids are read from the
// posted form after the token check, and the query uses only the rebuilt list.
TEST(DeletePage, DeletesOnlyFromATokenCheckedPostOfRebuiltIds) {
    const auto page = buildPage<DeletePageGenerator>(sampleModel(), 25).page;
    const auto post = page.find("SiteRequirePost()");
    const auto ids = page.find("ID=SiteIdList(Request.Form(\"ID\"))");
    const auto query = page.find("where id in(\"&ID&\")");
    ASSERT_NE(post, std::string::npos);
    EXPECT_LT(post, ids);
    EXPECT_LT(ids, query);
    EXPECT_LT(query, page.find("rsAdd.delete"));
    EXPECT_EQ(page.find("request(\"ID\")"), std::string::npos);
    EXPECT_EQ(page.find("myIsNumeric"), std::string::npos) << "IsNumeric lets 1e3 and &H10 through";
}

}  // namespace
}  // namespace tabulon::pages_test
