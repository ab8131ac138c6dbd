// The modify page, byte for byte, and the widget rules that differ from the add page.
#include <gtest/gtest.h>

#include "generator/naming/naming.h"
#include "generator/pages/modify_page.h"
#include "tests/pages/page_fixture.h"

namespace tabulon::pages_test {
namespace {

using generator::ModifyPageGenerator;
using testing::DesignBuilder;
using testing::makeField;

// The id must be digits; only a POST of the form with the session's token saves.
const std::string kReadStart =
    "\r\n<%\r\n\r\n   ID=trim(request(\"ID\"))\r\n   if not SiteMatches(ID,\"^[0-9]{1,9}$\") then\r\n"
    "    sendmsg(\"编号必须是数字\")\r\n    goback()\r\n    response.End()\r\n   end if\r\n\r\n\r\n\r\n"
    "if Request.Form(\"action\")=\"modify\" then\r\nSiteRequirePost()\r\n";

std::string openCode(const std::string& table) {
    return "sql=\"select * from [" + table +
           "]\"\r\n\r\nsql=sql&\" where id=\"&cstr(ID)\r\n\r\n\r\nSet rsAdd = "
           "Server.CreateObject(\"ADODB.Recordset\")\r\n"
           "rsAdd.ActiveConnection = conn\r\nrsAdd.Source =sql\r\nrsAdd.CursorType = 0\r\nrsAdd.CursorLocation = 3\r\n"
           "rsAdd.LockType = 2\r\nrsAdd.Open()\r\nrs_numRows =0\r\n'rsAdd.addnew\r\n\r\n\r\n\r\n if not rsAdd.eof "
           "then\r\n";
}

const std::string kSaveAndReturn =
    "\r\n\r\n \r\n  rsAdd.update\r\n  \r\n  rsAdd.close\r\n  \r\n  set rsAdd=nothing\r\n\r\n  conn.close\r\n  \r\n"
    "  set conn=nothing\r\n  sendmsg(\"修改成功\")\r\n  goback()\r\n  \r\n  response.End()\r\n\r\n else\r\n  \r\n"
    "  rsAdd.close\r\n  \r\n  set rsAdd=nothing\r\n\r\n  conn.close\r\n  \r\n  set conn=nothing\r\n  \r\n"
    "  SendMsg(\"指定编号的记录不存在\")\r\n  \r\n  goback()\r\n  \r\n  response.End()\r\n \r\n end if\r\n\r\n\r\n\r\n"
    "end if\r\n\r\n%>\r\n\r\n";

const std::string kPageEnd =
    "\r\n\r\n\r\n<%\r\n\r\n  rsAdd.close\r\n  \r\n  set rsAdd=nothing\r\n\r\n  conn.close\r\n  \r\n  set "
    "conn=nothing\r\n\r\n"
    " else\r\n  \r\n  rsAdd.close\r\n  \r\n  set rsAdd=nothing\r\n\r\n  conn.close\r\n  \r\n  set conn=nothing\r\n  "
    "\r\n"
    "  SendMsg(\"指定编号的记录不存在\")\r\n  \r\n  goback()\r\n  \r\n  response.End()\r\n \r\nend "
    "if\r\n\r\n\r\n%>\r\n";

std::string readLine(int n, const std::string& name, const std::string& description = "") {
    const std::string s = std::to_string(n);
    return "\r\n             S_" + s + "=trim(Request.Form(\"S_" + s + "\"))'" + name + "\t" + description + "\r\n";
}

std::string assignment(int n, const std::string& name) {
    return "\r\n    rsAdd(\"" + name + "\")=S_" + std::to_string(n) + "\r\n";
}

std::string numericCheck(int n, const std::string& name) {
    const std::string s = std::to_string(n);
    return "\r\nif S_" + s + "<>\"\" and not SiteIsNumber(S_" + s + ") then\r\n sendmsg(\"" + name +
           "必须是数字\")\r\n goback()\r\n response.End()\r\nend if\r\n";
}

// The stored value as the value check reads it back (SiteFormValue encodes it), so an
// untouched form saves unchanged and a quote in it survives.
std::string formValue(const std::string& name, const std::string& kind) {
    return "<%=SiteFormValue(rsAdd(\"" + name + "\"),\"" + kind + "\")%>";
}

std::string textBox(int n, const std::string& name, const std::string& kind = "text") {
    const std::string s = std::to_string(n);
    return "<input type=\"text\" name=\"S_" + s + "\" id=\"S_" + s + "\" value=\"" + formValue(name, kind) +
           "\"  style=\"width:300px\">";
}

std::string numericBox(int n, const std::string& name, const std::string& kind) {
    const std::string s = std::to_string(n);
    return "<input type=\"text\" name=\"S_" + s + "\" id=\"S_" + s + "\" value=\"" + formValue(name, kind) +
           "\"   style=\"width:60px\" onBlur=\"var "
           "v=this.value.replace(/^\\s+|\\s+$/g,'');if(v!=''&amp;&amp;!/^[-+]?([0-9]+"
           "(\\.[0-9]*)?|\\.[0-9]+)([eE][-+]?[0-9]{1,4})?$/.test(v))alert('" +
           name + "只能输入数字！')\">        <span style=\"color:#CCC\">数字型</span>";
}

std::string dropDown(int n, const std::string& sql, const std::string& column, const std::string& name) {
    const std::string s = std::to_string(n);
    return "\r\n<%\r\n\r\n" + std::string("Sql_Select=\"") + sql + "\"" +
           "\r\nSet RS_select=server.CreateObject(\"adodb.recordset\")\r\nRS_select.open Sql_Select,conn,1,1\r\n\r\n "
           "response.Write\"          <label>\"&vbcrlf\r\n \r\n response.Write\"<select name=\" & \"\"\"\" & \"S_" +
           s + "\" & \"\"\"\" & \" id=\" & \"\"\"\" & \"S_" + s +
           "\" & \"\"\"\" & \">\" &vbcrlf\r\n \r\n\r\nif  not RS_select.eof then\r\n\r\n\r\n\r\n i=0\r\n while "
           "not RS_select.eof\r\n  \r\n  Select_Filed=server.HTMLEncode(RS_select(\"" +
           column + "\")&\"\") \r\n  Select_ID=RS_select(\"id\")\r\n\r\n\r\n  if cstr(rsAdd(\"" + name +
           "\")&\"\")=cstr(RS_select(\"id\")) then\r\n   Response.Write(\"<option selected "
           "value=\"&Select_ID&\">\"&Select_Filed&"
           "\"</option>\"&vbcrlf)  \r\n  else\r\n   Response.Write(\"<option "
           "value=\"&Select_ID&\">\"&Select_Filed&\"</option>\"&"
           "vbcrlf)  \r\n  end if\r\n\r\n  \r\n  RS_select.movenext\r\n \r\n wend\r\n\r\n\r\nelse\r\n \r\n  "
           "Response.Write(\"<option value=0>没有数据</option>\"+vbcrlf)\r\n \r\n\r\nend if\r\n\r\n\r\n "
           "response.Write\"            </select>\"&vbcrlf\r\n response.Write\"          </label>\"&vbcrlf\r\n\r\n"
           "RS_select.close\r\nset RS_select=nothing\r\n\r\n%>\r\n";
}

std::string emptySelect(int n) {
    const std::string s = std::to_string(n);
    return "\r\n          <label>\r\n            <select name=\"S_" + s + "\" id=\"S_" + s +
           "\">\r\n              <option value=\"0\">没有记录</option>\r\n            </select>\r\n          "
           "</label>\r\n";
}

// The default 修改 rows in page order.
const std::string T2 =
    " - 修改记录</title>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\r\n<link "
    "href=\"../style/style.css\" rel=\"stylesheet\" type=\"text/css\">\r\n<style>\r\nbody "
    "{\r\n\tbackground-color:#FFFFFF;"
    "\r\n}\r\n</style>\r\n</HEAD>\r\n\r\n<BODY>\r\n";
const std::string T3 =
    "\r\n\r\n\r\n<form action=? method=\"post\" name=\"form1\" target=\"_self\">\r\n<table width=\"100%\" border=\"0\" "
    "cellpadding=\"0\" cellspacing=\"0\" bgcolor=\"#C4D8ED\">\r\n<tr>\r\n<td><img src=\"../images/r_1.gif\" alt=\"\" "
    "/></td>\r\n<td width=\"100%\" background=\"../images/r_0.gif\">\r\n  <table cellpadding=\"0\" cellspacing=\"0\" "
    "width=\"100%\">\r\n    <tr>\r\n      <td>&nbsp;修改记录(带*号的为必填项)</td>\r\n\t  <td "
    "align=\"right\">&nbsp;</td>\r\n    </tr>\r\n  </table>\r\n</td>\r\n<td><img src=\"../images/r_2.gif\" alt=\"\" "
    "/></td>\r\n</tr>\r\n<tr>\r\n<td></td>\r\n<td>\r\n<table align=\"center\" cellpadding=\"4\" cellspacing=\"1\" "
    "class=\"toptable grid\" border=\"1\">";
const std::string T4 = "      <tr>\r\n        <td width=\"25%\" height=\"30\" align=\"right\">";
const std::string T5 = "：</td>\r\n        <td width=\"75%\" class=\"category\">";
const std::string T6 = "\t</td>\r\n      </tr>";
// T7 with its back button already pointed at the list page of `base`.
std::string buttons(const std::string& base) {
    return "      <tr>\r\n        <td height=\"30\">&nbsp;</td>\r\n        <td class=\"category\">\r\n          <input "
           "type=\"submit\" value=\" 确认修改 \" onClick=\"return check()\" "
           "class=\"button\">&nbsp;&nbsp;&nbsp;&nbsp;\r\n"
           "          <input type=\"hidden\" id=\"id\" name=\"ID\" value=\"<%=ID%>\">          "
           "&nbsp;&nbsp;&nbsp;\r\n\r\n"
           "          <input type=\"hidden\" name=\"action\" value=\"modify\">\r\n          <input type=\"reset\" "
           "value=\" "
           "重新填写 \" class=\"button\">&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;\r\n          "
           "<input "
           "type=\"button\" value=\" 返&nbsp;&nbsp;回 \" onClick=\"javascript:window.location.href='" +
           base +
           "_List.asp';\" class=\"button\">\r\n\t\t</td>\r\n      </tr>\t    "
           "\r\n</table>\r\n</td>\r\n<td></td>\r\n</tr>"
           "\r\n<tr>\r\n<td><img src=\"../images/r_4.gif\" alt=\"\" /></td>\r\n<td></td>\r\n<td><img "
           "src=\"../images/r_3.gif\" alt=\"\" /></td>\r\n</tr>\r\n</table>\r\n</form>\r\n\r\n</body>\r\n</html>";
}

std::string row(const std::string& caption, const std::string& widget) { return T4 + caption + T5 + widget + T6; }

std::string page(const std::string& table, const std::string& base, const std::string& reads, const std::string& checks,
                 const std::string& values, const std::string& assigns, const std::string& rows,
                 const std::string& clientChecks) {
    const std::string serverBlock =
        kReadStart + reads + "\r\n" + checks + values + "\r\n" + openCode(table) + "\r\n" + assigns + kSaveAndReturn;
    std::string form = T3;
    form.insert(form.find('>', form.find("<form")) + 1, kToken);
    return kCodePage + kFormHeadStart + serverBlock + "\r\n" + kHeadMarker + table + T2 + "<%\r\n" + openCode(table) +
           "%>\r\n" + form + rows + checkScript(clientChecks) + buttons(base) + kPageEnd;
}

// 流水帐 of the sample project: two drop-downs, a text, a 单精度 number and a 日期时间
// text box.
TEST(ModifyPage, SampleTableIsExact) {
    const auto built = buildPage<ModifyPageGenerator>(sampleModel(), 27);
    const std::string reads =
        readLine(1, "收支") + readLine(2, "消费类型") + readLine(3, "名称") + readLine(4, "金额") + readLine(5, "日期");
    const std::string assigns = assignment(1, "收支") + assignment(2, "消费类型") + assignment(3, "名称") +
                                assignment(4, "金额") + assignment(5, "日期");
    const std::string rows =
        row("收支", dropDown(1, "select id,[一级分类] from [收支] order by id asc", "一级分类", "收支")) +
        row("消费类型", dropDown(2, "select id,[类型名称] from [消费类型] order by id asc", "类型名称", "消费类型")) +
        row("名称", textBox(3, "名称")) + row("金额", numericBox(4, "金额", "single")) +
        row("日期", textBox(5, "日期", "date"));
    const std::string values = valueCheck(1, "text", "收支") + valueCheck(2, "text", "消费类型") +
                               valueCheck(3, "text", "名称") + valueCheck(4, "single", "金额") +
                               valueCheck(5, "date", "日期");
    const std::string clientChecks =
        " e=box(\"S_1\");if(e&&e.tagName==\"SELECT\"&&(e.value==\"\"||e.selectedIndex<0))return "
        "refuse(e,\"请选择收支\");\r\n"
        " e=box(\"S_2\");if(e&&e.tagName==\"SELECT\"&&(e.value==\"\"||e.selectedIndex<0))return "
        "refuse(e,\"请选择消费类型\");\r\n"
        " e=box(\"S_4\");if(e&&!number(e,0,-3.402823e38,3.402823e38,-1,\"金额\",\"超出了单精度数的范围\"))return "
        "false;\r\n"
        " e=box(\"S_5\");if(e&&e.value!=\"\"&&!/^[0-9]{4}[-\\/][0-9]{1,2}[-\\/][0-9]{1,2}( "
        "[0-9]{1,2}:[0-9]{1,2}(:[0-9]{1,2})?)?$/"
        ".test(e.value))return refuse(e,\"日期不是有效的日期\");\r\n";
    EXPECT_EQ(built.page, page("流水帐", "LSZ27", reads, numericCheck(4, "金额"), values, assigns, rows, clientChecks));
    EXPECT_TRUE(built.messages.empty());
}

TEST(ModifyPage, TableWithoutFieldsStillOpensAndClosesTheRecord) {
    DesignBuilder design;
    const auto table = design.table(design.project("空"), "空表");
    const auto built = buildPage<ModifyPageGenerator>(design.snapshot(), table);
    EXPECT_EQ(built.page, page("空表", "KB" + std::to_string(table), "", "", "", "", "", ""));
}

TEST(ModifyPage, NumericTextBoxHasThreeSpacesAndItsCheckComesBeforeTheRecordOpens) {
    DesignBuilder design;
    const auto table = design.table(design.project("库存"), "货物");
    design.field(table, makeField("名称"));
    design.field(table, makeField("数量", "整型"));
    const auto built = buildPage<ModifyPageGenerator>(design.snapshot(), table);
    EXPECT_NE(built.page.find("value=\"<%=SiteFormValue(rsAdd(\"数量\"),\"short\")%>\"   style=\"width:60px\""),
              std::string::npos);
    const auto check = built.page.find(numericCheck(2, "数量"));
    ASSERT_NE(check, std::string::npos);
    EXPECT_LT(check, built.page.find("sql=\"select * from [货物]\""));
    EXPECT_EQ(occurrences(built.page, openCode("货物")), 2u) << "once for the update, once for the form";
}

// A date box shows its value by the column's type: a text column keeps its text as stored.
TEST(ModifyPage, DateBoxOfATextColumnShowsTheText) {
    DesignBuilder design;
    const auto table = design.table(design.project("日程"), "日程");
    design.field(table, makeField("开始", "日期时间", "时间框"));
    design.field(table, makeField("备忘", "文本", "时间框"));
    const auto built = buildPage<ModifyPageGenerator>(design.snapshot(), table);
    EXPECT_NE(built.page.find("id=\"S_1\" value=\"<%=SiteFormValue(rsAdd(\"开始\"),\"date\")%>\""), std::string::npos);
    EXPECT_NE(built.page.find("id=\"S_2\" value=\"<%=SiteFormValue(rsAdd(\"备忘\"),\"text\")%>\""), std::string::npos);
}

TEST(ModifyPage, OtherWidgetsShowTheStoredValue) {
    DesignBuilder design;
    const auto table = design.table(design.project("文章"), "文章");
    design.field(table, makeField("正文", "备注", "文本域"));
    design.field(table, makeField("发布", "日期时间", "时间框"));
    design.field(table, makeField("修订", "日期时间", "时间框"));
    design.field(table, makeField("备注", "文本", ""));
    const auto built = buildPage<ModifyPageGenerator>(design.snapshot(), table);
    const std::string script =
        "\r\n<script language=\"javascript\" type=\"text/javascript\" src=\"../date/WdatePicker.js\"></script>\r\n";
    const std::string expectedRows =
        row("正文",
            "\r\n<input type=\"hidden\" name=\"S_1\" id=\"S_1\" value=\"<%=server.HTMLEncode(rsAdd(\"正文\")&\"\")%>\" "
            "/>"
            "\r\n <IFRAME ID=\"eWebEditor_S_1\" src=\"../editor/ewebeditor.htm?id=S_1&style=coolblue\" "
            "frameborder=\"0\" "
            "scrolling=\"no\" width=\"550\" height=\"350\"></IFRAME>\r\n") +
        row("发布", script +
                        "\r\n<input name=\"S_2\" type=\"text\" class=\"Wdate\" id=\"S_2\" "
                        "value=\"<%=SiteFormValue(rsAdd(\"发布\"),\"date\")%>\" onclick=\"WdatePicker()\" >\r\n") +
        row("修订",
            "\r\n<input name=\"S_3\" type=\"text\" class=\"Wdate\" id=\"S_3\" "
            "value=\"<%=SiteFormValue(rsAdd(\"修订\"),\"date\")%>\" "
            "onclick=\"WdatePicker()\" >\r\n") +
        // Unlike the add page's plain box, an unknown input type keeps the stored value:
        // saving must not blank the column.
        row("备注", "\r\n" + textBox(4, "备注") + "\r\n");
    EXPECT_NE(
        built.page.find(
            expectedRows +
            checkScript(" e=box(\"S_2\");if(e&&e.value!=\"\"&&!/^[0-9]{4}[-\\/][0-9]{1,2}[-\\/][0-9]{1,2}( [0-9]{1,2}:"
                        "[0-9]{1,2}(:[0-9]{1,2})?)?$/.test(e.value))return refuse(e,\"发布不是有效的日期\");\r\n"
                        " e=box(\"S_3\");if(e&&e.value!=\"\"&&!/^[0-9]{4}[-\\/][0-9]{1,2}[-\\/][0-9]{1,2}( [0-9]{1,2}:"
                        "[0-9]{1,2}(:[0-9]{1,2})?)?$/.test(e.value))return refuse(e,\"修订不是有效的日期\");\r\n") +
            buttons(generator::pageBaseName(*design.snapshot().table(table)))),
        std::string::npos);
    EXPECT_EQ(occurrences(built.page, "WdatePicker.js"), 1u);
}

TEST(ModifyPage, CascadesBecomePlainPreselectingDropDowns) {
    DesignBuilder design;
    const auto table = design.table(design.project("地区"), "地址");
    const auto province = design.field(table, dropDownField("省", "25", "155"));
    const auto town = design.field(table, dropDownField("市", "26", "156"));
    auto source = design.catalogue().field(province).value();
    source.cascadeTable = "26";
    source.cascadeField = "156";
    source.cascadeCondition = "0";
    source.cascadeDisplay = std::to_string(town);
    design.catalogue().updateField(source);
    const auto built = buildPage<ModifyPageGenerator>(design.snapshot(), table);
    EXPECT_NE(built.page.find(dropDown(1, "select id,[一级分类] from [收支] order by id asc", "一级分类", "省")),
              std::string::npos);
    EXPECT_NE(built.page.find(dropDown(2, "select id,[类型名称] from [消费类型] order by id asc", "类型名称", "市")),
              std::string::npos);
    EXPECT_EQ(built.page.find("GetData"), std::string::npos);
    EXPECT_EQ(built.page.find("<span id=\"S_2\""), std::string::npos);
    EXPECT_EQ(built.page.find("myfunction.asp"), std::string::npos) << "no AJAX include";
}

TEST(ModifyPage, LinkedFieldZeroListsTheKeyColumn) {
    DesignBuilder design;
    const auto table = design.table(design.project("项目"), "明细");
    design.field(table, dropDownField("类别", "25", "0"));
    const auto built = buildPage<ModifyPageGenerator>(design.snapshot(), table);
    EXPECT_NE(built.page.find(dropDown(1, "select id,[id] from [收支] order by id asc", "id", "类别")),
              std::string::npos);
    EXPECT_TRUE(built.messages.empty());
}

TEST(ModifyPage, MissingLinkedTableKeepsThePlaceholderListAndGoesOn) {
    DesignBuilder design;
    const auto table = design.table(design.project("项目"), "明细");
    design.field(table, dropDownField("类别", "0", "155"));
    design.field(table, makeField("名称"));
    const auto built = buildPage<ModifyPageGenerator>(design.snapshot(), table);
    EXPECT_EQ(built.messages,
              std::vector<std::string>{
                  "一个组合框关联的表不存在！\r\n字段:明细.类别\r\n关联表:编号为 0 "
                  "的表已不存在\r\n请在字段编辑器中为这个字段重新选择关联表，或把它的输入类型改为文本框。"});
    EXPECT_NE(built.page.find(row("类别", emptySelect(1)) + row("名称", textBox(2, "名称"))), std::string::npos);
}

// The second of four fields names a linked field that does not exist: the page ends its
// rows after that field's caption and reads only what the form still posts.
TEST(ModifyPage, MissingLinkedFieldStopsAfterItsCaption) {
    DesignBuilder design;
    const auto table = design.table(design.project("项目"), "明细");
    design.field(table, makeField("名称"));
    design.field(table, dropDownField("类别", "25", "9999"));
    design.field(table, makeField("数量", "整型"));
    design.field(table, makeField("说明"));
    const auto built = buildPage<ModifyPageGenerator>(design.snapshot(), table);
    EXPECT_EQ(built.messages, std::vector<std::string>{"一个组合框关联的字段不存在！\r\n关联表:收支\r\n关联字段:9999"});
    const std::string base = generator::pageBaseName(*design.snapshot().table(table));
    EXPECT_EQ(built.page,
              page("明细", base, readLine(1, "名称") + readLine(2, "类别"), "",
                   valueCheck(1, "text", "名称") + valueCheck(2, "text", "类别"),
                   assignment(1, "名称") + assignment(2, "类别"), row("名称", textBox(1, "名称")) + T4 + "类别" + T5,
                   " e=box(\"S_2\");if(e&&e.tagName==\"SELECT\"&&(e.value==\"\"||e.selectedIndex<0))return "
                   "refuse(e,\"请选择类别\");\r\n"));
}

TEST(ModifyPage, BackButtonWithoutHistoryCallIsKept) {
    DesignBuilder design;
    const std::string plainButtons = "<input type=\"button\" value=\"返回\" onClick=\"location.href='/'\"></form>";
    replaceTemplateRow(design.catalogue(), "修改", 6, plainButtons);
    const auto built = buildPage<ModifyPageGenerator>(design.snapshot(), 26);
    EXPECT_NE(built.page.find(plainButtons + kPageEnd), std::string::npos);
    EXPECT_EQ(built.page.find("_List.asp"), std::string::npos);
}

TEST(ModifyPage, OnlyTheFirstHistoryCallIsRedirected) {
    DesignBuilder design;
    replaceTemplateRow(design.catalogue(), "修改", 6, "history.go(-1);history.go(-1);");
    const auto built = buildPage<ModifyPageGenerator>(design.snapshot(), 26);
    EXPECT_NE(built.page.find("window.location.href='XFLX26_List.asp';history.go(-1);" + kPageEnd), std::string::npos);
}

}  // namespace
}  // namespace tabulon::pages_test
