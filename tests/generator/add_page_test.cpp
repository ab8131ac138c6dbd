// The add page, byte for byte, and the edge cases of its widget rules.
#include <gtest/gtest.h>

#include "generator/pages/add_page.h"
#include "generator/text/template_anchor.h"
#include "tests/support/design_builder.h"

namespace tabulon::generator {
namespace {

using catalogue::Field;
using testing::DesignBuilder;
using testing::makeField;

std::string buildAddPage(const catalogue::Snapshot& model, catalogue::Id tableId, Messages& messages) {
    const auto rows = model.templateRows("添加");
    const PageInput input{model, *model.table(tableId), model.fieldsOf(tableId), rows};
    return AddPageGenerator().build(input, messages);
}

std::string buildAddPage(const catalogue::Snapshot& model, catalogue::Id tableId) {
    RecordedMessages messages;
    return buildAddPage(model, tableId, messages);
}

// The sample project's table 消费类型 (id 26): 收支类型 a drop-down fed by 收支.一级分类,
// 类型名称 a text box, 排序 a text box of type 整型.
TEST(AddPage, WorkedExampleIsExact) {
    const auto model = catalogue::Snapshot::load(catalogue::Catalogue::inMemory());
    const auto rows = model.templateRows("添加");
    ASSERT_EQ(rows.size(), 6u);
    const std::string T1(rows[0]), T2(rows[1]), T3(rows[2]), T4(rows[3]), T5(rows[4]), T6(rows[5]);

    const std::string serverBlock =
        "\r\n"
        "<%\r\n"
        "\r\n"
        "if Request.Form(\"action\")=\"add\" then\r\n"
        "SiteRequirePost()\r\n"
        "\r\n"
        "             S_1=trim(Request.Form(\"S_1\"))'收支类型\t\r\n"
        "\r\n"
        "             S_2=trim(Request.Form(\"S_2\"))'类型名称\t\r\n"
        "\r\n"
        "             S_3=trim(Request.Form(\"S_3\"))'排序\t\r\n"
        "\r\n"
        "\r\n"
        "if S_3<>\"\" and not myIsNumeric(S_3) then\r\n"
        " sendmsg(\"排序必须是数字\")\r\n"
        " goback()\r\n"
        " response.End()\r\n"
        "end if\r\n"
        "S_1=SiteValue(S_1,\"text\",\"收支类型\")\r\n"
        "S_2=SiteValue(S_2,\"text\",\"类型名称\")\r\n"
        "S_3=SiteValue(S_3,\"short\",\"排序\")\r\n"
        "\r\n"
        "sql=\"select * from 消费类型\"\r\n"
        "Set rsAdd = Server.CreateObject(\"ADODB.Recordset\")\r\n"
        "rsAdd.ActiveConnection = conn\r\n"
        "rsAdd.Source =sql\r\n"
        "rsAdd.CursorType = 0\r\n"
        "rsAdd.CursorLocation = 3\r\n"
        "rsAdd.LockType = 2\r\n"
        "rsAdd.Open()\r\n"
        "rs_numRows =0\r\n"
        "rsAdd.addnew\r\n"
        "\r\n"
        "\r\n"
        "    rsAdd(\"收支类型\")=S_1\r\n"
        "\r\n"
        "    rsAdd(\"类型名称\")=S_2\r\n"
        "\r\n"
        "    rsAdd(\"排序\")=S_3\r\n"
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
        "gourl(\"XFLX26_list.asp\")\r\n"
        "end if%>\r\n";
    const std::string dropDown =
        "\r\n"
        "<%\r\n"
        "\r\n"
        "Sql_Select=\"select id,一级分类 from 收支 order by id asc\"\r\n"
        "Set RS_select=server.CreateObject(\"adodb.recordset\")\r\n"
        "RS_select.open Sql_Select,conn,1,1\r\n"
        "\r\n"
        " response.Write\"          <label>\"&vbcrlf\r\n"
        " \r\n"
        " response.Write\"<select name=\" & \"\"\"\" & \"S_1\" & \"\"\"\" & \" id=\" & \"\"\"\" & \"S_1\" & \"\"\"\" & "
        "\" >\" &vbcrlf\r\n"
        " \r\n"
        "\r\n"
        "if  not RS_select.eof then\r\n"
        "\r\n"
        "\r\n"
        "\r\n"
        " i=0\r\n"
        " while not RS_select.eof\r\n"
        "  \r\n"
        "  Select_Filed=server.HTMLEncode(RS_select(\"一级分类\")&\"\") \r\n"
        "  Select_ID=RS_select(\"id\")\r\n"
        "\r\n"
        "\r\n"
        "  if i=1 then\r\n"
        "   Response.Write(\"<option selected value=\"&Select_ID&\">\"&Select_Filed&\"</option>\"&vbcrlf)  \r\n"
        "  else\r\n"
        "   Response.Write(\"<option value=\"&Select_ID&\">\"&Select_Filed&\"</option>\"&vbcrlf)  \r\n"
        "  end if\r\n"
        "\r\n"
        "  \r\n"
        "  RS_select.movenext\r\n"
        " \r\n"
        " wend\r\n"
        "\r\n"
        "\r\n"
        "else\r\n"
        " \r\n"
        "  Response.Write(\"<option value=0>没有数据</option>\"+vbcrlf)\r\n"
        " \r\n"
        "\r\n"
        "end if\r\n"
        "\r\n"
        "\r\n"
        " response.Write\"            </select>\"&vbcrlf\r\n"
        " response.Write\"          </label>\"&vbcrlf\r\n"
        "\r\n"
        "RS_select.close\r\n"
        "set RS_select=nothing\r\n"
        "\r\n"
        "%>\r\n";
    const std::string textBox = "<input type=\"text\" name=\"S_2\" id=\"S_2\" style=\"width:300px\">";
    const std::string numberBox =
        "<input type=\"text\" name=\"S_3\" id=\"S_3\"  style=\"width:60px\" onBlur=\"if(/[^0-9\\.]/g.test(this.value))"
        "{alert('排序只能输入数字！');this.value=0}\">        <span style=\"color:#CCC\">数字型</span>";

    const std::string head = T1 + "消费类型" + T2;
    const std::string marker = "<html>\r\n<head>\r\n<title>";
    const std::size_t at = head.find(marker);
    ASSERT_NE(at, std::string::npos);
    const std::string checks =
        " e=box(\"S_1\");if(e&&e.tagName==\"SELECT\"&&(e.value==\"\"||e.selectedIndex<0))return "
        "refuse(e,\"请选择收支类型\");\r\n"
        " e=box(\"S_3\");if(e&&e.value!=\"\"&&!/^-?[0-9]+$/.test(e.value))return refuse(e,\"排序必须是整数\");\r\n";
    const std::string checkScript =
        "\r\n<script type=\"text/javascript\">\r\nfunction check(){\r\n"
        " function box(n){var all=document.getElementsByName(n);for(var "
        "i=0;i<all.length;i++){if(all[i].tagName==\"SELECT\""
        "||all[i].tagName==\"INPUT\"||all[i].tagName==\"TEXTAREA\")return all[i];}return null;}\r\n"
        " function refuse(e,text){alert(text);try{e.focus();}catch(x){}return false;}\r\n var e;\r\n" +
        checks + " return true;\r\n}\r\n</script>\r\n";
    std::string withToken = head.substr(at);
    withToken.insert(withToken.find('>', withToken.find("<form")) + 1,
                     "\r\n<input type=\"hidden\" name=\"kovel_token\" value=\"<%=SiteToken()%>\">");
    const std::string expected = "<%@ CODEPAGE=936 %>\r\n" + head.substr(0, at) + serverBlock + "\r\n" + withToken +
                                 T3 + "收支类型" + T4 + dropDown + T5 + T3 + "类型名称" + T4 + textBox + T5 + T3 +
                                 "排序" + T4 + numberBox + T5 + checkScript + T6;

    RecordedMessages messages;
    EXPECT_EQ(buildAddPage(model, 26, messages), expected);
    EXPECT_TRUE(messages.texts().empty());
}

TEST(AddPage, TableWithoutFieldsIsHeadThenButtons) {
    DesignBuilder design;
    const auto table = design.table(design.project("空"), "空表");
    const auto model = design.snapshot();
    const auto rows = model.templateRows("添加");
    const std::string page = buildAddPage(model, table);
    EXPECT_EQ(page.substr(page.size() - rows[5].size()), rows[5]);
    EXPECT_NE(page.find("sql=\"select * from 空表\""), std::string::npos);
    EXPECT_EQ(page.find("S_1"), std::string::npos);
    EXPECT_NE(page.find("sendmsg(\"添加记录成功\")"), std::string::npos);
    EXPECT_EQ(page.find(std::string(rows[2])), std::string::npos) << "no field row";
}

TEST(AddPage, OnlyTheFirstDateBoxBringsThePickerScript) {
    DesignBuilder design;
    const auto table = design.table(design.project("日期"), "日程");
    design.field(table, makeField("开始", "日期时间", "时间框"));
    design.field(table, makeField("结束", "文本", "时间框"));
    const std::string page = buildAddPage(design.snapshot(), table);
    const std::string script =
        "\r\n<script language=\"javascript\" type=\"text/javascript\" src=\"../date/WdatePicker.js\"></script>\r\n";
    const auto first = page.find(script);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(page.find(script, first + 1), std::string::npos);
    EXPECT_NE(page.find(script + "\r\n<input name=\"S_1\" type=\"text\" class=\"Wdate\" id=\"S_1\" "
                                 "value=\"<%=getdate(now())%>\" onclick=\"WdatePicker()\" >\r\n"),
              std::string::npos);
    EXPECT_NE(page.find("\r\n<input name=\"S_2\" type=\"text\" class=\"Wdate\" id=\"S_2\""), std::string::npos);
}

TEST(AddPage, NumericTextBoxesGetACheckAndANarrowInput) {
    DesignBuilder design;
    const auto table = design.table(design.project("商品"), "商品");
    design.field(table, makeField("名称"));
    design.field(table, makeField("备注", "备注"));
    design.field(table, makeField("日期", "日期时间"));
    design.field(table, makeField("价格", "小数"));
    const std::string page = buildAddPage(design.snapshot(), table);
    EXPECT_NE(page.find("\r\nif S_4<>\"\" and not myIsNumeric(S_4) then\r\n sendmsg(\"价格必须是数字\")\r\n "
                        "goback()\r\n response.End()\r\nend if\r\n"),
              std::string::npos);
    EXPECT_NE(page.find("style=\"width:60px\" onBlur=\"if(/[^0-9\\.]/g.test(this.value)){alert('价格只能输入数字！');"),
              std::string::npos);
    EXPECT_NE(page.find("<input type=\"text\" name=\"S_3\" id=\"S_3\" style=\"width:300px\">"), std::string::npos)
        << "a date typed text box is a plain text box";
    EXPECT_EQ(page.find("myIsNumeric(S_2)"), std::string::npos);
    EXPECT_EQ(page.find("myIsNumeric(S_3)"), std::string::npos);
}

TEST(AddPage, CaptionIsTheNameOrTheDescription) {
    DesignBuilder design;
    const auto table = design.table(design.project("价"), "价");
    Field price = makeField("price");
    price.description = "价格";
    design.field(table, price);
    design.field(table, makeField("数量"));
    const auto model = design.snapshot();
    const auto rows = model.templateRows("添加");
    const std::string page = buildAddPage(model, table);
    EXPECT_NE(page.find(std::string(rows[2]) + "价格" + std::string(rows[3])), std::string::npos);
    EXPECT_NE(page.find(std::string(rows[2]) + "数量" + std::string(rows[3])), std::string::npos);
    EXPECT_NE(page.find("S_1=trim(Request.Form(\"S_1\"))'price\t价格\r\n"), std::string::npos);
    EXPECT_NE(page.find("S_1=SiteValue(S_1,\"text\",\"价格\")"), std::string::npos) << "messages name the caption";
}

TEST(AddPage, UnknownInputTypeGetsThePlainBoxWithLineEnds) {
    DesignBuilder design;
    const auto table = design.table(design.project("其他"), "其他");
    design.field(table, makeField("说明", "文本", ""));
    const auto model = design.snapshot();
    const std::string page = buildAddPage(model, table);
    EXPECT_NE(page.find(std::string(model.templateRows("添加")[3]) +
                        "\r\n<input type=\"text\" name=\"S_1\" id=\"S_1\" style=\"width:300px\">\r\n" +
                        std::string(model.templateRows("添加")[4])),
              std::string::npos);
}

TEST(AddPage, RichTextFieldsEachGetTheirEditor) {
    DesignBuilder design;
    const auto table = design.table(design.project("文章"), "文章");
    design.field(table, makeField("正文", "备注", "文本域"));
    design.field(table, makeField("摘要", "备注", "文本域"));
    const std::string page = buildAddPage(design.snapshot(), table);
    EXPECT_NE(
        page.find("\r\n<input type=\"hidden\" name=\"S_2\" id=\"S_2\" value=\"\" />\r\n <IFRAME ID=\"eWebEditor_S_2\" "
                  "src=\"../editor/ewebeditor.htm?id=S_2&style=coolblue\" frameborder=\"0\" scrolling=\"no\" "
                  "width=\"550\" height=\"350\"></IFRAME>\r\n"),
        std::string::npos);
    EXPECT_NE(page.find("<IFRAME ID=\"eWebEditor_S_1\" src=\"../editor/ewebeditor.htm?id=S_1&style=coolblue\""),
              std::string::npos)
        << "each frame has an id of its own";
    EXPECT_NE(page.find("S_2=SiteValue(S_2,\"html\",\"摘要\")"), std::string::npos) << "rich text is cleaned on save";
}

TEST(AddPage, DropDownWithoutLinkedTableKeepsItsAttributeAndGoesOn) {
    DesignBuilder design;
    const auto table = design.table(design.project("下拉"), "订单");
    Field kind = makeField("类别", "文本", "组合框");
    kind.linkTable = "0";
    kind.linkField = "7";
    design.field(table, kind);
    design.field(table, makeField("名称"));
    const auto model = design.snapshot();
    RecordedMessages messages;
    const std::string page = buildAddPage(model, table, messages);
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>{
                  "一个组合框关联的表不存在！\r\n字段:订单.类别\r\n关联表:编号为 0 "
                  "的表已不存在\r\n请在字段编辑器中为这个字段重新选择关联表，或把它的输入类型改为文本框。"});
    EXPECT_NE(page.find(std::string(model.templateRows("添加")[3]) + " >" + std::string(model.templateRows("添加")[4])),
              std::string::npos);
    EXPECT_NE(page.find("name=\"S_2\""), std::string::npos) << "the next field is still handled";
}

TEST(AddPage, MissingLinkedFieldEndsTheFieldLoopButThePageIsWritten) {
    DesignBuilder design;
    const auto table = design.table(design.project("下拉"), "订单");
    design.field(table, makeField("编号"));
    Field kind = makeField("类别", "文本", "组合框");
    kind.linkTable = "25";
    kind.linkField = "99999";
    design.field(table, kind);
    design.field(table, makeField("名称"));
    const auto model = design.snapshot();
    const auto rows = model.templateRows("添加");
    RecordedMessages messages;
    const std::string page = buildAddPage(model, table, messages);
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>{"一个组合框关联的字段不存在！\r\n关联表:收支\r\n关联字段:99999"});
    EXPECT_NE(page.find(std::string(rows[2]) + "类别" + std::string(rows[3]) + "\r\n<script"), std::string::npos)
        << "the row keeps its caption and goes straight to the buttons";
    EXPECT_EQ(page.find("name=\"S_3\""), std::string::npos) << "no later field is handled";
    EXPECT_NE(page.find("rsAdd(\"类别\")=S_2"), std::string::npos) << "the field itself is still read and stored";
}

TEST(AddPage, LinkedFieldZeroMeansTheKeyColumn) {
    DesignBuilder design;
    const auto table = design.table(design.project("下拉"), "订单");
    Field kind = makeField("类别", "文本", "组合框");
    kind.linkTable = "25";
    kind.linkField = "0";
    design.field(table, kind);
    RecordedMessages messages;
    const std::string page = buildAddPage(design.snapshot(), table, messages);
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_NE(page.find("Sql_Select=\"select id,id from 收支 order by id asc\""), std::string::npos);
    EXPECT_NE(page.find("Select_Filed=server.HTMLEncode(RS_select(\"id\")&\"\") \r\n"), std::string::npos);
}

TEST(AddPage, CascadeBetweenDropDowns) {
    DesignBuilder design;
    const auto project = design.project("联动");
    const auto source = design.table(project, "省份");
    const auto sourceName = design.field(source, makeField("省名"));
    const auto city = design.table(project, "城市");
    const auto cityName = design.field(city, makeField("市名"));
    const auto cityProvince = design.field(city, makeField("省编号", "长整型"));
    const auto table = design.table(project, "地址");
    Field province = makeField("省", "文本", "组合框");
    province.linkTable = std::to_string(source);
    province.linkField = std::to_string(sourceName);
    province.cascadeTable = std::to_string(city);
    province.cascadeField = std::to_string(cityName);
    province.cascadeCondition = std::to_string(cityProvince);
    const auto provinceId = design.field(table, province);
    Field town = makeField("市", "文本", "组合框");
    town.linkTable = std::to_string(city);
    town.linkField = std::to_string(cityName);
    const auto townId = design.field(table, town);
    province.id = provinceId;
    province.tableId = table;
    province.order = 3;
    province.cascadeDisplay = std::to_string(townId);
    design.catalogue().updateField(province);

    RecordedMessages messages;
    const std::string page = buildAddPage(design.snapshot(), table, messages);
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_NE(
        page.find(
            " onclick=\"&\"\"\"\"&\"GetData(\"&\"'\"&\"S_2\"&\"'\"&\",this.options[selectedIndex].value,\"&\"'\"&\""
            "Getclass.asp?table=地址&Stype=城市&filed=市名&condition=%省编号&order=1&next=2\"&\"'\"&\");\"&\"\"\"\"&"
            "\">"),
        std::string::npos);
    EXPECT_NE(page.find("\r\n<span id=\"S_2\" name=\"S_2\"></span>\r\n"), std::string::npos);
    const std::string directive = "<%@ CODEPAGE=936 %>\r\n";
    EXPECT_EQ(page.find("<!-- #include file=\"conn.asp\" -->"), directive.size() + 2)
        << "the AJAX include follows a leading line end";
    EXPECT_EQ(page.rfind(directive + "\r\n<!-- #include file=\"conn.asp\" -->\r\n<!--#include "
                                     "file=\"../inc/myfunction.asp\"-->\r\n<%\r\nSetAjax()\r\n%>\r\n",
                         0),
              0u);
    EXPECT_EQ(page.find("%%"), std::string::npos) << "a numeric condition carries exactly one %";
    // The data service answers this session only for the cascade the page uses.
    EXPECT_NE(page.find("<%\r\nSiteAllowCascade \"城市\",\"市名\",\"省编号\"\r\n\r\nSql_Select="), std::string::npos);
    // The dependent list is filled for the first choice once the form is there.
    const auto fill = page.find(
        "<script type=\"text/javascript\">(function(){var s=document.getElementById(\"S_1\");"
        "if(s&&s.onclick)s.onclick();})();</script>");
    ASSERT_NE(fill, std::string::npos);
    EXPECT_LT(page.find("<span id=\"S_2\""), fill);
    EXPECT_EQ(page.find("\" & \"\"\"\"  &vbcrlf"), std::string::npos) << "no stray quote after the select tag";
}

TEST(AddPage, NoCascadeNoAjaxInclude) {
    const auto model = catalogue::Snapshot::load(catalogue::Catalogue::inMemory());
    EXPECT_EQ(buildAddPage(model, 26).find("myfunction.asp"), std::string::npos);
    EXPECT_NE(buildAddPage(model, 27).find("SetAjax()"), std::string::npos) << "收支 of 流水帐 is a cascade source";
}

// Without the marker the page would lose its whole server block: it is refused instead.
TEST(AddPage, HeadWithoutMarkerIsRefused) {
    DesignBuilder design;
    auto rows = design.catalogue().templates("添加");
    rows[0].content = "<html><head><title>";
    design.catalogue().updateTemplate(rows[0]);
    const auto table = design.table(design.project("无"), "无");
    design.field(table, makeField("名称"));
    EXPECT_THROW(buildAddPage(design.snapshot(), table), MissingAnchor);
}

// A text-box cascade fills the field named by 联显字段, as a drop-down cascade does, and
// registers its query with the data service.
TEST(AddPage, TextBoxCascadeTargetsItsDisplayField) {
    DesignBuilder design;
    const auto project = design.project("联动");
    const auto city = design.table(project, "城市");
    const auto cityName = design.field(city, makeField("市名"));
    const auto cityCode = design.field(city, makeField("区号"));
    const auto table = design.table(project, "地址");
    const auto code = design.field(table, makeField("区号"));
    Field town = makeField("市", "文本", "组合框");
    town.linkTable = std::to_string(city);
    town.linkField = std::to_string(cityName);
    const auto townId = design.field(table, town);
    Field source = design.catalogue().field(code).value();
    source.cascadeTable = std::to_string(city);
    source.cascadeField = std::to_string(cityName);
    source.cascadeCondition = std::to_string(cityCode);
    source.cascadeDisplay = std::to_string(townId);
    design.catalogue().updateField(source);
    const std::string page = buildAddPage(design.snapshot(), table);
    EXPECT_NE(page.find("onchange=\"GetData('S_2',this.value,'../"
                        "Getclass.asp?Stype=城市&filed=市名&condition=区号&order=1&next=2');\">"
                        "<% SiteAllowCascade \"城市\",\"市名\",\"区号\" %>"),
              std::string::npos);
    EXPECT_EQ(page.find("GetData('S_0'"), std::string::npos);
    EXPECT_NE(page.find("\r\n<span id=\"S_2\" name=\"S_2\"></span>\r\n"), std::string::npos);
}

// The login table's password is typed into a password box and stored as a digest; an
// auto-number column is checked as a whole number but never assigned.
TEST(AddPage, PasswordIsHashedAndAutoNumberIsLeftToTheDatabase) {
    DesignBuilder design;
    const auto project = design.project("帐户");
    const auto table = design.table(project, "管理员");
    design.field(table, makeField("序号", "自动编号"));
    Field user = makeField("账号");
    user.description = "username";
    design.field(table, user);
    Field password = makeField("口令");
    password.description = "password";
    design.field(table, password);
    const std::string page = buildAddPage(design.snapshot(), table);
    EXPECT_NE(page.find("<input type=\"password\" name=\"S_3\" id=\"S_3\""), std::string::npos);
    EXPECT_NE(page.find("S_3=Request.Form(\"S_3\")&\"\"'口令\tpassword\r\n"), std::string::npos) << "read untrimmed";
    EXPECT_NE(page.find("if S_3<>\"\" then S_3=PasswordHash(S_3)\r\n"), std::string::npos);
    EXPECT_EQ(page.find("SiteValue(S_3"), std::string::npos);
    EXPECT_NE(page.find("S_1=SiteValue(S_1,\"auto\",\"序号\")"), std::string::npos);
    EXPECT_EQ(page.find("rsAdd(\"序号\")="), std::string::npos);
    EXPECT_NE(page.find("rsAdd(\"口令\")=S_3"), std::string::npos);
}

}  // namespace
}  // namespace tabulon::generator
