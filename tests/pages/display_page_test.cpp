// The display page, byte for byte, and how each input type shows its value.
#include <gtest/gtest.h>

#include "generator/pages/display_page.h"
#include "generator/text/template_anchor.h"
#include "tests/pages/page_fixture.h"

namespace tabulon::pages_test {
namespace {

using generator::DisplayPageGenerator;
using testing::DesignBuilder;
using testing::makeField;

const std::string kIdCheck =
    "\r\n<%\r\n\r\n   ID=trim(request(\"ID\"))\r\n   If not SiteMatches(ID,\"^[0-9]{1,9}$\") then\r\n    "
    "sendmsg(\"编号必须是数字\")\r\n"
    "    goback()\r\n    response.End()\r\n   End if\r\n%>\r\n" +
    std::string("\r\n\r\n\r\n");

std::string recordQuery(const std::string& table) {
    return "sql=\"select * from " + table +
           "\"\r\n\r\nsql=sql&\" where id=\"&cstr(ID)\r\n\r\n\r\nSet rsAdd = "
           "Server.CreateObject(\"ADODB.Recordset\")\r\n"
           "rsAdd.ActiveConnection = conn\r\nrsAdd.Source =sql\r\nrsAdd.CursorType = 0\r\nrsAdd.CursorLocation = 3\r\n"
           "rsAdd.LockType = 2\r\nrsAdd.Open()\r\nrs_numRows =0\r\n'rsAdd.addnew\r\n\r\n\r\n\r\n if not rsAdd.eof "
           "then\r\n";
}

const std::string kClosing =
    "\r\n\r\n\r\n<%\r\n\r\n  rsAdd.close\r\n  \r\n  set rsAdd=nothing\r\n\r\n  conn.close\r\n  \r\n  set "
    "conn=nothing\r\n\r\n"
    " else\r\n  \r\n  rsAdd.close\r\n  \r\n  set rsAdd=nothing\r\n\r\n  conn.close\r\n  \r\n  set conn=nothing\r\n  "
    "\r\n"
    "  SendMsg(\"指定编号的记录不存在\")\r\n  \r\n  goback()\r\n  \r\n  response.End()\r\n \r\nend "
    "if\r\n\r\n\r\n%>\r\n";

// The default 显示 rows in page order.
const std::string T1 = "<!-- #include file=\"conn.asp\" -->\r\n<html>\r\n<head>\r\n<title>";
const std::string T2 =
    " - 显示记录</title>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\r\n<link "
    "href=\"../style/style.css\" rel=\"stylesheet\" type=\"text/css\">\r\n<style>\r\nbody "
    "{\r\n\tbackground-color:#FFFFFF;"
    "\r\n}\r\n</style>\r\n</HEAD>\r\n\r\n<BODY>";
const std::string T3 =
    "\r\n\r\n\r\n\r\n<table width=\"100%\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\" "
    "bgcolor=\"#C4D8ED\">\r\n<tr>"
    "\r\n<td><img src=\"../images/r_1.gif\" alt=\"\" /></td>\r\n<td width=\"100%\" "
    "background=\"../images/r_0.gif\">\r\n"
    "  <table cellpadding=\"0\" cellspacing=\"0\" width=\"100%\">\r\n    <tr>\r\n      <td>&nbsp;显示记录</td>\r\n\t  "
    "<td "
    "align=\"right\">&nbsp;</td>\r\n    </tr>\r\n  </table>\r\n</td>\r\n<td><img src=\"../images/r_2.gif\" alt=\"\" "
    "/></td>\r\n</tr>\r\n<tr>\r\n<td></td>\r\n<td>\r\n<table align=\"center\" cellpadding=\"4\" cellspacing=\"1\" "
    "class=\"toptable grid\" border=\"1\">";
const std::string T4 = "      <tr>\r\n        <td width=\"25%\" height=\"30\" align=\"right\">";
const std::string T5 = "：</td>\r\n        <td width=\"75%\" class=\"category\">";
const std::string T6 = "\t</td>\r\n      </tr>";
const std::string T7 =
    "      <tr>\r\n        <td height=\"30\">&nbsp;</td>\r\n        <td class=\"category\">\r\n          <input "
    "type=\"submit\" value=\" 返回 \" onClick=\"javascript:history.go(-1);\" class=\"button\">&nbsp;&nbsp;&nbsp;&nbsp;"
    "\r\n    \t</td>\r\n      </tr>\t    \r\n</table>\r\n</td>\r\n<td></td>\r\n</tr>\r\n<tr>\r\n<td><img "
    "src=\"../images/r_4.gif\" alt=\"\" /></td>\r\n<td></td>\r\n<td><img src=\"../images/r_3.gif\" alt=\"\" /></td>\r\n"
    "</tr>\r\n</table>\r\n\r\n\r\n</body>\r\n</html>";

// Every stored value is shown encoded, Null as nothing.
std::string plainValue(const std::string& name) { return "<%=server.HTMLEncode(rsAdd(\"" + name + "\")&\"\")%>"; }

std::string linkedSelect(int n, const std::string& linkedField, const std::string& linkedTable,
                         const std::string& name) {
    const std::string s = std::to_string(n);
    return "\r\n<%\r\n\r\n" +
           ("Sql_Select=\"" + ("select id," + linkedField + " from " + linkedTable + " order by id asc") + "\"") +
           "\r\nSet RS_select=server.CreateObject(\"adodb.recordset\")\r\nRS_select.open Sql_Select,conn,1,1\r\n\r\n "
           "response.Write\"          <label>\"&vbcrlf\r\n \r\n response.Write\"<select name=\" & \"\"\"\" & \"S_" +
           s + "\" & \"\"\"\" & \" id=\" & \"\"\"\" & \"S_" + s +
           "\" & \"\"\"\" & \">\" &vbcrlf\r\n \r\n\r\nif  not RS_select.eof then\r\n\r\n\r\n\r\n i=0\r\n while "
           "not RS_select.eof\r\n  \r\n  Select_Filed=server.HTMLEncode(RS_select(\"" +
           linkedField + "\")&\"\") \r\n  Select_ID=RS_select(\"id\")\r\n\r\n\r\n  if cstr(rsAdd(\"" + name +
           "\")&\"\")=cstr(RS_select(\"id\")) then\r\n   Response.Write(\"<option selected value=\"&Select_ID&\">\"&"
           "Select_Filed&\"</option>\"&vbcrlf)  \r\n  else\r\n   Response.Write(\"<option value=\"&Select_ID&\">\"&"
           "Select_Filed&\"</option>\"&vbcrlf)  \r\n  end if\r\n\r\n  \r\n  RS_select.movenext\r\n \r\n "
           "wend\r\n\r\n\r\n"
           "else\r\n \r\n  Response.Write(\"<option value=0>没有数据</option>\"+vbcrlf)\r\n \r\n\r\nend if\r\n\r\n\r\n "
           "response.Write\"            </select>\"&vbcrlf\r\n response.Write\"          </label>\"&vbcrlf\r\n\r\n"
           "RS_select.close\r\nset RS_select=nothing\r\n\r\n%>\r\n";
}

std::string row(const std::string& caption, const std::string& value) { return T4 + caption + T5 + value + T6; }

std::string displayPage(const std::string& table, const std::string& body) {
    return kCodePage + "<!-- #include file=\"conn.asp\" -->\r\n" + kIdCheck + "\r\n" + kHeadMarker + table + T2 +
           "\r\n<%\r\n" + recordQuery(table) + "%>\r\n" + T3 + body + T7 + kClosing;
}

TEST(DisplayPage, SampleTableIsExact) {
    const auto built = buildPage<DisplayPageGenerator>(sampleModel(), 27);
    EXPECT_EQ(built.page,
              displayPage("流水帐", row("收支", linkedSelect(1, "一级分类", "收支", "收支")) +
                                        row("消费类型", linkedSelect(2, "类型名称", "消费类型", "消费类型")) +
                                        row("名称", plainValue("名称")) + row("金额", plainValue("金额")) +
                                        row("日期", plainValue("日期"))));
    EXPECT_TRUE(built.messages.empty());
}

TEST(DisplayPage, TableWithoutFieldsHasAnEmptyBody) {
    DesignBuilder design;
    const auto table = design.table(design.project("空"), "空表");
    EXPECT_EQ(buildPage<DisplayPageGenerator>(design.snapshot(), table).page, displayPage("空表", ""));
}

TEST(DisplayPage, ValueFollowsTheInputType) {
    DesignBuilder design;
    const auto table = design.table(design.project("文章"), "文章");
    design.field(table, makeField("价格", "小数"));
    design.field(table, makeField("正文", "备注", "文本域"));
    design.field(table, dropDownField("分类", "25", "0"));
    design.field(table, makeField("发布", "日期时间", "时间框"));
    design.field(table, makeField("备注", "文本", ""));
    design.field(table, makeField("来源", "文本", "下拉"));
    const auto built = buildPage<DisplayPageGenerator>(design.snapshot(), table);
    EXPECT_EQ(
        built.page,
        displayPage("文章", row("价格", plainValue("价格")) + row("正文", "<%=SiteCleanHtml(rsAdd(\"正文\")&\"\")%>") +
                                row("分类", linkedSelect(3, "id", "收支", "分类")) + row("发布", plainValue("发布")) +
                                row("备注", plainValue("备注")) + row("来源", plainValue("来源"))));
    EXPECT_TRUE(built.messages.empty());
}

TEST(DisplayPage, MissingLinkedTableShowsTheEmptySelect) {
    DesignBuilder design;
    const auto table = design.table(design.project("项目"), "明细");
    design.field(table, makeField("名称"));
    design.field(table, dropDownField("类别", "777", "155"));
    const auto built = buildPage<DisplayPageGenerator>(design.snapshot(), table);
    EXPECT_EQ(built.messages,
              std::vector<std::string>{
                  "一个组合框关联的表不存在！\r\n字段:明细.类别\r\n关联表:编号为 777 "
                  "的表已不存在\r\n请在字段编辑器中为这个字段重新选择关联表，或把它的输入类型改为文本框。"});
    EXPECT_EQ(built.page, displayPage("明细", row("名称", plainValue("名称")) +
                                                  row("类别",
                                                      "\r\n          <label>\r\n            <select name=\"S_2\" "
                                                      "id=\"S_2\">\r\n              <option "
                                                      "value=\"0\">没有记录</option>\r\n            </select>\r\n"
                                                      "          </label>\r\n")));
}

TEST(DisplayPage, MissingLinkedFieldSecondOfFourStopsAfterItsCaption) {
    DesignBuilder design;
    const auto table = design.table(design.project("项目"), "明细");
    design.field(table, makeField("名称"));
    design.field(table, dropDownField("类别", "26", "4242"));
    design.field(table, makeField("数量", "整型"));
    design.field(table, dropDownField("收支", "25", "155"));
    const auto built = buildPage<DisplayPageGenerator>(design.snapshot(), table);
    EXPECT_EQ(built.messages,
              std::vector<std::string>{"一个组合框关联的字段不存在！\r\n关联表:消费类型\r\n关联字段:4242"});
    EXPECT_EQ(built.page, displayPage("明细", row("名称", plainValue("名称")) + T4 + "类别" + T5));
}

// Without the marker the page would lose its id check: it is refused instead.
TEST(DisplayPage, HeadWithoutTheTitleMarkerIsRefused) {
    DesignBuilder design;
    replaceTemplateRow(design.catalogue(), "显示", 0, "<!-- #include file=\"conn.asp\" --><html><title>");
    EXPECT_THROW(buildPage<DisplayPageGenerator>(design.snapshot(), 25), generator::MissingAnchor);
}

// The login table's password row is left out: not even its digest is shown.
TEST(DisplayPage, PasswordRowIsLeftOut) {
    const auto page = buildPage<DisplayPageGenerator>(sampleModel(), 24).page;
    EXPECT_EQ(page.find("密码"), std::string::npos);
    EXPECT_NE(page.find(row("帐号", plainValue("帐号"))), std::string::npos);
}

}  // namespace
}  // namespace tabulon::pages_test
