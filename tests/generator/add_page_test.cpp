// The add page, byte for byte, and the edge cases of its widget rules.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

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

// Where each of `parts` starts in `text`, each looked for after the end of the one before;
// npos from the first that is missing on.
std::vector<std::size_t> findInOrder(std::string_view text, const std::vector<std::string>& parts) {
    std::vector<std::size_t> found;
    std::size_t from = 0;
    for (const auto& part : parts) {
        const std::size_t at = from == std::string_view::npos ? from : text.find(part, from);
        found.push_back(at);
        from = at == std::string_view::npos ? at : at + part.size();
    }
    return found;
}

void expectInOrder(std::string_view text, const std::vector<std::string>& parts) {
    const auto found = findInOrder(text, parts);
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (found[i] == std::string_view::npos) {
            ADD_FAILURE() << "not found in order: " << parts[i];
            return;
        }
}

// The sample project's table 消费类型 (id 26): 收支类型 a drop-down fed by 收支.一级分类,
// 类型名称 a text box, 排序 a text box of type 整型. Its bytes are pinned by the golden
// copy (tests/golden/记账/XFLX26_Add.asp); here, how the page is put together from the
// template rows and what each field brings.
TEST(AddPage, WorkedExampleIsTheTemplateRowsAroundTheFields) {
    const auto model = catalogue::Snapshot::load(catalogue::Catalogue::inMemory());
    const auto rows = model.templateRows("添加");
    ASSERT_EQ(rows.size(), 6u);
    const std::string T1(rows[0]), T2(rows[1]), T3(rows[2]), T4(rows[3]), T5(rows[4]), T6(rows[5]);
    RecordedMessages messages;
    const std::string page = buildAddPage(model, 26, messages);
    EXPECT_TRUE(messages.texts().empty());

    // The head rows around the table name, split where the HTML starts: the server block
    // goes in between, and the form gets the request token.
    const std::string head = T1 + "消费类型" + T2;
    const std::size_t html = head.find("<html>\r\n<head>\r\n<title>");
    ASSERT_NE(html, std::string::npos);
    const std::size_t formEnd = head.find('>', head.find("<form")) + 1;
    const std::string token = "\r\n<input type=\"hidden\" name=\"kovel_token\" value=\"<%=SiteToken()%>\">";
    ASSERT_EQ(page.rfind("<%@ CODEPAGE=936 %>\r\n" + head.substr(0, html) + "\r\n<%\r\n", 0), 0u);
    const std::size_t serverEnd = page.find("end if%>\r\n");
    ASSERT_NE(serverEnd, std::string::npos);
    EXPECT_EQ(page.substr(serverEnd + 10, head.size() - html + token.size() + 2),
              "\r\n" + head.substr(html, formEnd - html) + token + head.substr(formEnd));
    EXPECT_TRUE(page.ends_with("</script>\r\n" + T6));

    // The server block: the posted values read, checked and converted in field order, then
    // one new row with every column, and back to the list.
    const std::string server = page.substr(0, serverEnd);
    expectInOrder(
        server,
        {"if Request.Form(\"action\")=\"add\" then\r\nSiteRequirePost()\r\n",
         "S_1=trim(Request.Form(\"S_1\"))'收支类型\t\r\n", "S_2=trim(Request.Form(\"S_2\"))'类型名称\t\r\n",
         "S_3=trim(Request.Form(\"S_3\"))'排序\t\r\n",
         "if S_3<>\"\" and not SiteIsNumber(S_3) then\r\n sendmsg(\"排序必须是数字\")",
         "S_1=SiteValue(S_1,\"text\",\"收支类型\")\r\n", "S_2=SiteValue(S_2,\"text\",\"类型名称\")\r\n",
         "S_3=SiteValue(S_3,\"short\",\"排序\")\r\n", "sql=\"select * from [消费类型]\"\r\n", "rsAdd.addnew\r\n",
         "rsAdd(\"收支类型\")=S_1\r\n", "rsAdd(\"类型名称\")=S_2\r\n", "rsAdd(\"排序\")=S_3\r\n", "rsAdd.update\r\n",
         "sendmsg(\"添加记录成功\")\r\n", "gourl(\"XFLX26_list.asp\")\r\n"});
    EXPECT_EQ(server.find("SiteIsNumber(S_1)"), std::string::npos) << "only the number field is checked";
    EXPECT_EQ(server.find("SiteIsNumber(S_2)"), std::string::npos);

    // One form row per field, in field order, each the rows T3 caption T4 widget T5.
    const std::size_t rowsStart = page.find(T3 + "收支类型" + T4);
    ASSERT_NE(rowsStart, std::string::npos);
    const std::string form = page.substr(rowsStart, page.find("\r\n<script type=\"text/javascript\">") - rowsStart);
    const std::size_t dropDownStart = T3.size() + std::string("收支类型").size() + T4.size();
    const std::size_t dropDownEnd = form.find(T5 + T3 + "类型名称" + T4);
    ASSERT_NE(dropDownEnd, std::string::npos);
    EXPECT_EQ(form.substr(0, dropDownStart), T3 + "收支类型" + T4);
    const std::string dropDown = form.substr(dropDownStart, dropDownEnd - dropDownStart);
    EXPECT_EQ(form.substr(dropDownEnd),
              T5 + T3 + "类型名称" + T4 + "<input type=\"text\" name=\"S_2\" id=\"S_2\" style=\"width:300px\">" + T5 +
                  T3 + "排序" + T4 + form.substr(form.find("<input type=\"text\" name=\"S_3\"")));
    EXPECT_TRUE(form.ends_with("<span style=\"color:#CCC\">数字型</span>" + T5));

    // The drop-down lists the linked field of the linked table by id, the first option chosen.
    expectInOrder(dropDown, {"Sql_Select=\"select id,[一级分类] from [收支] order by id asc\"\r\n",
                             "\"<select name=\" & \"\"\"\" & \"S_1\" & \"\"\"\" & \" id=\" & \"\"\"\" & \"S_1\"",
                             "Select_Filed=server.HTMLEncode(RS_select(\"一级分类\")&\"\")",
                             "Select_ID=RS_select(\"id\")", "<option selected value=",
                             "<option value=0>没有数据</option>", "RS_select.close\r\nset RS_select=nothing\r\n"});
    EXPECT_TRUE(dropDown.starts_with("\r\n<%\r\n") && dropDown.ends_with("\r\n%>\r\n"));

    // The number box keeps what is typed and only warns; its field's range is checked on
    // sending, as the drop-down's choice is.
    const std::string numberBox = form.substr(form.find("<input type=\"text\" name=\"S_3\""));
    EXPECT_TRUE(numberBox.starts_with("<input type=\"text\" name=\"S_3\" id=\"S_3\"  style=\"width:60px\" onBlur="));
    EXPECT_NE(numberBox.find(".test(v))alert('排序只能输入数字！')\">"), std::string::npos);
    const std::string script = page.substr(page.find("\r\n<script type=\"text/javascript\">\r\nfunction check(){"));
    expectInOrder(script,
                  {" var e;\r\n",
                   " e=box(\"S_1\");if(e&&e.tagName==\"SELECT\"&&(e.value==\"\"||e.selectedIndex<0))return "
                   "refuse(e,\"请选择收支类型\");\r\n",
                   " e=box(\"S_3\");if(e&&!number(e,1,-32768,32767,-1,\"排序\",\"必须是 -32768 到 32767 之间的整数\"))"
                   "return false;\r\n",
                   " return true;\r\n}\r\n</script>\r\n"});
    EXPECT_EQ(script.find("box(\"S_2\")"), std::string::npos) << "a plain text field has no check";
}

TEST(AddPage, TableWithoutFieldsIsHeadThenButtons) {
    DesignBuilder design;
    const auto table = design.table(design.project("空"), "空表");
    const auto model = design.snapshot();
    const auto rows = model.templateRows("添加");
    const std::string page = buildAddPage(model, table);
    EXPECT_EQ(page.substr(page.size() - rows[5].size()), rows[5]);
    EXPECT_NE(page.find("sql=\"select * from [空表]\""), std::string::npos);
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
    EXPECT_NE(page.find("\r\nif S_4<>\"\" and not SiteIsNumber(S_4) then\r\n sendmsg(\"价格必须是数字\")\r\n "
                        "goback()\r\n response.End()\r\nend if\r\n"),
              std::string::npos);
    EXPECT_NE(page.find("style=\"width:60px\" onBlur=\"var v=this.value"), std::string::npos);
    EXPECT_NE(page.find("alert('价格只能输入数字！')\">"), std::string::npos) << "the typed value stays";
    EXPECT_EQ(page.find("this.value=0"), std::string::npos);
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
    EXPECT_NE(page.find("Sql_Select=\"select id,[id] from [收支] order by id asc\""), std::string::npos);
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
            " onchange=\"&\"\"\"\"&\"GetData(\"&\"'\"&\"S_2\"&\"'\"&\",this.options[selectedIndex].value,\"&\"'\"&\""
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
        "if(s&&s.onchange)s.onchange();})();</script>");
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
