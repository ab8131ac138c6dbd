// The list page: the template edits, the per-field pieces and their assembly, byte for
// byte. What the search script does with a search text is run in list_search_script.test.mjs.
#include <gtest/gtest.h>

#include "generator/naming/naming.h"
#include "generator/pages/list_page.h"
#include "tests/pages/page_fixture.h"

namespace tabulon::pages_test {
namespace {

using generator::ListPageGenerator;
using testing::DesignBuilder;
using testing::makeField;

// The default 列表 rows whose text is fixed; the long ones are read from the catalogue.
const std::string T1 = kFormHeadStart + kHeadMarker;
const std::string T3 =
    "\t\t\r\n\t\t\r\n\t\t\t\t\t\t\ttempS=GetId(\"S_120\").value+\"从#\"+GetId(\"S_STime\").value+\"#至#\"+"
    "GetId(\"S_ETime\").value+\"#\";\t\t\t\r\n\t\t\t\t\t\t\t\r\n\t\t\t\t\t\t  break; \r\n\t\t\r\n";
const std::string T8 = "\r\n  <tr align=\"center\">    \r\n";
const std::string T9 = "\t<td class=\"category\">";
const std::string T10 = "<img src=\"../images/down2.gif\" border=\"0\" hspace=\"2\" align=\"absmiddle\"></td>";
const std::string T11 = "    <td class=\"category\">修改</td>\r\n    <td class=\"category\">删除</td>\r\n  </tr>";
const std::string T12 =
    "  <tr onMouseOver=\"this.className='highlight'\" onMouseOut=\"this.className=''\"  style=\"cursor:pointer\"><a "
    "href=\"Show_Display.asp?ID=<%=rs(\"id\")%>\">\r\n";
const std::string T13 = "\t<td align=\"center\">&nbsp;";
const std::string T14 = "</td>";
const std::string T15 =
    "    </a><td align=\"center\"><img src=\"../images/res.gif\" border=\"0\" hspace=\"2\" align=\"absmiddle\">";

const std::string kListForm = "<form name=\"form1\" action=\"?\" method=\"post\">";

std::string dateCase(const std::string& name) { return "\r\n case \"" + name + "\": \r\n" + T3; }

std::string dateSwitch(const std::string& name) {
    return "\r\n   case \"" + name +
           "\" : \r\n  GetId(\"SearchTimeZone\").style.display=\"block\";//显示  \r\n  "
           "GetId(\"keyword\").style.display=\"none\";\r\n  GetId(\"bank\").style.display=\"none\";\r\n      break; "
           "\r\n";
}

std::string option(const std::string& name, const std::string& caption) {
    return "\r\n<option value=\"" + name + "\">" + caption + "</option>\r\n";
}

std::string headerCell(const std::string& caption) { return T9 + caption + T10; }
std::string dataCell(const std::string& cell) { return T13 + cell + T14; }
// Stored values are encoded and written as the forms write them; Null shows as nothing.
std::string plainCell(const std::string& name, const std::string& kind = "text") {
    return "<%=SiteFormValue(rs(\"" + name + "\"),\"" + kind + "\")%>";
}

// The row start without its link, which moves into the first cell; the row opens the record.
std::string rowStart(const std::string& base) {
    return "  <tr onclick=\"var t=(event.target||event.srcElement).tagName;if(t!='A'&&t!='INPUT')location.href='" +
           base +
           "_Display.asp?ID=<%=rs(\"id\")%>'\" onMouseOver=\"this.className='highlight'\" "
           "onMouseOut=\"this.className=''\"  "
           "style=\"cursor:pointer\">\r\n";
}
const std::string kModifyCell =
    "    <td align=\"center\"><img src=\"../images/res.gif\" border=\"0\" hspace=\"2\" align=\"absmiddle\">";

std::string displayLinked(const std::string& base, const std::string& cell) {
    return "<a href=\"" + base + "_Display.asp?ID=<%=rs(\"id\")%>\">" + cell + "</a>";
}

// A list cell of a drop-down field: the linked row's column, looked up only when the
// stored value is an id.
std::string linkedCell(const std::string& name, const std::string& column, const std::string& table) {
    return "<span style=\"cursor:pointer\" title=\"<%=server.HTMLEncode(rs(\"" + name +
           "\")&\"\")%>\">\t<%\r\n RsListID=rs(\"" + name + "\")\r\n \r\n RsSql=\"select id,[" + column + "] from [" +
           table +
           "] where id=\"&RsListID\r\n if SearchMatches(RsListID,\"^[0-9]+$\") then\r\n RsList.open RsSql,conn,1,1\r\n "
           "\r\n \r\n if not RsList.eof then\r\n\tresponse.Write(server.HTMLEncode(RsList(\"" +
           column + "\")&\"\"))\t \r\n end if\r\n RsList.close\r\n end if\r\n\t%>";
}

std::string rowEnd(const std::string& base) {
    return kModifyCell + "<a href=\"" + base + "_Modify.asp?ID=<%=rs(\"id\")%>\">修改</a></td>" +
           "    <td align=\"center\"><input type=\"checkbox\" name=\"ID\" value=\"<%=rs(\"id\")%>\" "
           "style=\"border:0\"></td>\r\n  </tr>";
}

std::string replaced(std::string text, const std::string& from, const std::string& to, int times = 1) {
    for (std::size_t at = 0; times > 0; --times) {
        at = text.find(from, at);
        if (at == std::string::npos) break;
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

// The page around its search block: the template rows and generated cells in page order.
struct Expected {
    std::string beforeSearch;  // T1 … header row
    std::string afterSearch;   // data row + T16
};

struct Columns {
    std::string dateCases, dateSwitches, options, headerCells, dataCells;
};

Expected expected(const catalogue::Snapshot& model, const std::string& table, const std::string& base,
                  const Columns& columns, std::size_t fieldCount) {
    const auto rows = rowsOf(model, "列表");
    const std::string form =
        replaced(rows[6], kListForm,
                 "<form name=\"form1\" action=\"" + base + "_Delete.asp?action=Delete\" method=\"post\">" + kToken);
    const std::string count = std::to_string(fieldCount + 2);
    return {kCodePage + T1 + table + rows[1] + columns.dateCases + rows[3] + columns.dateSwitches + rows[4] +
                columns.options + rows[5] + form + T8 + columns.headerCells + T11,
            rowStart(base) + columns.dataCells + rowEnd(base) +
                replaced(rows[15], "<td colspan=\"12\"", "<td colspan=\"" + count + "\"", 2)};
}

// The search block between the two parts; fails the test when the parts do not match.
std::string searchBlock(const std::string& page, const Expected& parts) {
    EXPECT_EQ(page.substr(0, parts.beforeSearch.size()), parts.beforeSearch);
    EXPECT_GE(page.size(), parts.beforeSearch.size() + parts.afterSearch.size());
    EXPECT_EQ(page.substr(page.size() - std::min(page.size(), parts.afterSearch.size())), parts.afterSearch);
    if (page.size() < parts.beforeSearch.size() + parts.afterSearch.size()) return {};
    return page.substr(parts.beforeSearch.size(), page.size() - parts.beforeSearch.size() - parts.afterSearch.size());
}

// The fixed text of the search block around the generated field and type lists.
void expectSearchBlockKeepsItsFrame(const std::string& block, const std::string& table, const std::string& fields,
                                    const std::string& types) {
    const std::string start =
        "\r\n <%\r\n  \r\n  if request(\"SearchText\")<>\"\" then\r\n  \r\n\r\n \r\n  if "
        "request(\"action\")=\"search\" then"
        "\r\n  \r\n  \r\n     SearchText=request(\"SearchText\")\r\n   \r\n   "
        "CommandArray=split(SearchText,\"；\")\r\n   \r\n"
        "   s=\"大于,小于,等于,近似,从,至\"\r\n   \r\n   LogicArray=split(s,\",\")\r\n\r\n   LogicArray2=split(\" > ', "
        "< ', = ', "
        "like '% , between , and \",\",\")\r\n   \r\n   filedArray=split(\"" +
        fields + "\",\",\")\r\n   \r\n   filedTypeArray=split(\"" + types + "\",\",\")\r\n   \r\n   \r\n   \r\n" +
        "'   刊登日从2012-03-01至2012-03-01；CPM等于；\r\n   \r\n   '规格大于等于fdsfds\r\n\r\n   SqlString=\"\"\r\n   "
        "\r\n"
        "   for i=0 to ubound(CommandArray) '''''''''''''''''''''命令个数循环\r\n   \r\n";
    EXPECT_EQ(block.substr(0, start.size()), start);
    const std::string query = "   Sql=\"select * from [" + table +
                              "] where 1 \" & SqlString\r\n \r\n   \r\n  else\r\n  \r\n"
                              "      sql=\"select * from [" +
                              table +
                              "]\"\r\n  \r\n  end if\r\n  \r\n  \r\n  else\r\n  \r\n"
                              "  sql=\"select * from [" +
                              table + "]\"\r\n  \r\n  end if\r\n \r\n";
    EXPECT_NE(block.find(query), std::string::npos);
    EXPECT_NE(block.find("\r\nset RsList=server.CreateObject(\"adodb.recordset\")\r\n"), std::string::npos);
    const std::string listing =
        "\r\n <% 'response.Write sql\r\n    Set rs = Server.CreateObject(\"ADODB.Recordset\")\r\n    "
        "rs.ActiveConnection = "
        "conn\r\n    rs.Source =sql\r\n    rs.CursorType = 3\r\n    rs.CursorLocation = 3\r\n    rs.LockType =1\r\n"
        "    rs.Open()\r\n    \r\n    rs_numRows = 0\r\n    rs.pagesize=15 \r\n    totalrecords=rs.recordcount  \r\n"
        "    totalpages=rs.pagecount \r\n    'rs.movefirst \r\n    \r\n";
    EXPECT_NE(block.find(listing), std::string::npos);
    const std::string loop =
        "    if not rs.eof then\r\n\r\n     rs.absolutepage=nowpage \r\n     i=0\r\n    while not "
        "rs.eof and i<rs.pagesize\r\n     i=i+1\r\n%>\r\n \r\n";
    EXPECT_EQ(block.substr(block.size() - std::min(block.size(), loop.size())), loop);
}

// 流水帐 of the sample project: 收支 and 消费类型 are linked drop-downs, 金额 a number and
// 日期 a date.
TEST(ListPage, SampleTableIsExact) {
    const auto model = sampleModel();
    const auto built = buildPage<ListPageGenerator>(model, 27);
    Columns columns;
    columns.dateCases = dateCase("日期");
    columns.dateSwitches = dateSwitch("日期");
    for (const char* name : {"收支", "消费类型", "名称", "金额", "日期"}) {
        columns.options += option(name, name);
        columns.headerCells += headerCell(name);
    }
    columns.dataCells = dataCell(displayLinked("LSZ27", linkedCell("收支", "一级分类", "收支"))) +
                        dataCell(linkedCell("消费类型", "类型名称", "消费类型")) + dataCell(plainCell("名称")) +
                        dataCell(plainCell("金额", "single")) + dataCell(plainCell("日期", "date"));
    const auto parts = expected(model, "流水帐", "LSZ27", columns, 5);
    expectSearchBlockKeepsItsFrame(searchBlock(built.page, parts), "流水帐", "收支,消费类型,名称,金额,日期,",
                                   "1,1,1,3,2,");
    EXPECT_EQ(occurrences(built.page, "<td colspan=\"7\""), 2u) << "five fields, 修改 and 删除";
    EXPECT_TRUE(built.messages.empty());
}

TEST(ListPage, TableWithoutFields) {
    DesignBuilder design;
    const auto table = design.table(design.project("空"), "空表");
    const auto model = design.snapshot();
    const auto built = buildPage<ListPageGenerator>(model, table);
    const auto parts = expected(model, "空表", generator::pageBaseName(*model.table(table)), {}, 0);
    expectSearchBlockKeepsItsFrame(searchBlock(built.page, parts), "空表", "", "");
    EXPECT_EQ(occurrences(built.page, "<td colspan=\"2\""), 2u);
    EXPECT_EQ(built.page.find("tempS=GetId(\"S_120\").value+\"从#\""), std::string::npos) << "no date case";
}

TEST(ListPage, TypeCodesCaptionsAndColumnCount) {
    DesignBuilder design;
    const auto table = design.table(design.project("类型"), "样例");
    const std::vector<std::string> types = {"自动编号", "文本", "长整型", "整型",     "双精度", "单精度",
                                            "字节型",   "小数", "备注",   "日期时间", "逻辑"};
    std::string fieldList, options, headers;
    for (std::size_t i = 0; i < types.size(); ++i) {
        auto field = makeField("f" + std::to_string(i), types[i]);
        field.description = "说明" + std::to_string(i);
        design.field(table, field);
        fieldList += field.name + ",";
        options += option(field.name, field.description);
        headers += headerCell(field.description);
    }
    const auto page = buildPage<ListPageGenerator>(design.snapshot(), table).page;
    EXPECT_NE(page.find("filedArray=split(\"" + fieldList + "\",\",\")"), std::string::npos);
    // Numbers by their range: 长整型 and 自动编号 5, 整型 6, 字节型 7, 小数 4, 单精度 3, the rest 0.
    EXPECT_NE(page.find("filedTypeArray=split(\"5,1,5,6,0,3,7,4,1,2,0,\",\",\")"), std::string::npos);
    EXPECT_NE(page.find(options), std::string::npos);
    EXPECT_NE(page.find(T8 + headers + T11), std::string::npos);
    EXPECT_EQ(occurrences(page, "<td colspan=\"13\""), 2u);
}

TEST(ListPage, RichTextCellsKeepTheirCleanedMarkupAndOtherCellsAreEncoded) {
    DesignBuilder design;
    const auto table = design.table(design.project("文章"), "文章");
    design.field(table, makeField("标题"));
    design.field(table, makeField("正文", "备注", "文本域"));
    const auto page = buildPage<ListPageGenerator>(design.snapshot(), table).page;
    EXPECT_NE(page.find(dataCell("<%=SiteCleanHtml(rs(\"正文\")&\"\")%>")), std::string::npos);
    EXPECT_EQ(page.find("HTMLEncode(rs(\"正文\")"), std::string::npos);
    EXPECT_NE(page.find(plainCell("标题")), std::string::npos);
}

TEST(ListPage, EightFieldsSpanTenColumns) {
    DesignBuilder design;
    const auto table = design.table(design.project("宽"), "宽表");
    for (int i = 0; i < 8; ++i) design.field(table, makeField("列" + std::to_string(i)));
    const auto page = buildPage<ListPageGenerator>(design.snapshot(), table).page;
    EXPECT_EQ(occurrences(page, "<td colspan=\"10\""), 2u);
}

TEST(ListPage, EachDateFieldRepeatsTheDateCase) {
    DesignBuilder design;
    const auto table = design.table(design.project("日程"), "日程");
    design.field(table, makeField("开始", "日期时间"));
    design.field(table, makeField("标题"));
    design.field(table, makeField("结束", "日期时间", "时间框"));
    const auto model = design.snapshot();
    const auto rows = rowsOf(model, "列表");
    const auto page = buildPage<ListPageGenerator>(model, table).page;
    EXPECT_NE(page.find(rows[1] + dateCase("开始") + dateCase("结束") + rows[3] + dateSwitch("开始") +
                        dateSwitch("结束") + rows[4]),
              std::string::npos);
    EXPECT_EQ(occurrences(page, T3), 2u);
}

TEST(ListPage, LinkedCellsNeedBothLinkedTableAndColumn) {
    DesignBuilder design;
    const auto table = design.table(design.project("链接"), "明细");
    design.field(table, dropDownField("无表", "0", "155"));
    design.field(table, dropDownField("删表", "999", "155"));
    design.field(table, dropDownField("无列", "25", "999"));
    design.field(table, dropDownField("主键", "25", "0"));
    design.field(table, dropDownField("正常", "26", "156"));
    const auto built = buildPage<ListPageGenerator>(design.snapshot(), table);
    EXPECT_NE(
        built.page.find(
            dataCell(displayLinked(generator::pageBaseName(*design.snapshot().table(table)), plainCell("无表"))) +
            dataCell(plainCell("删表")) + dataCell(plainCell("无列")) + dataCell(linkedCell("主键", "id", "收支")) +
            dataCell(linkedCell("正常", "类型名称", "消费类型")) + kModifyCell),
        std::string::npos);
    EXPECT_TRUE(built.messages.empty()) << "the list page reports no broken link";
}

TEST(ListPage, TemplateEditsApplyOnlyWhereTheirTextIs) {
    DesignBuilder design;
    replaceTemplateRow(design.catalogue(), "列表", 6, "<form name=\"list\" action=\"?\">");
    replaceTemplateRow(design.catalogue(), "列表", 11, "<tr><a href=\"Other.asp\">\r\n");
    const std::string pageEnd = "<td colspan=\"12\">a</td><td colspan=\"12\">b</td><td colspan=\"12\">c</td></table>";
    replaceTemplateRow(design.catalogue(), "列表", 15, pageEnd);
    const auto page = buildPage<ListPageGenerator>(design.snapshot(), 26).page;
    EXPECT_NE(page.find("<form name=\"list\" action=\"?\">" + T8), std::string::npos);
    EXPECT_NE(page.find("<tr><a href=\"Other.asp\">\r\n" + T13), std::string::npos)
        << "a row of its own keeps its link";
    EXPECT_NE(page.find("    </a><td align=\"center\">"), std::string::npos) << "and the closing tag that goes with it";
    const std::string edited = "<td colspan=\"5\">a</td><td colspan=\"5\">b</td><td colspan=\"12\">c</td></table>";
    EXPECT_EQ(page.substr(page.size() - edited.size()), edited);
}

TEST(ListPage, RowsAfterTheSixteenthAreNeverUsed) {
    DesignBuilder design;
    design.catalogue().addTemplate({0, "列表", "<!-- 第十七行 -->", 95});
    design.catalogue().addTemplate({0, "列表", "<!-- 第十八行 -->", 200});
    const auto page = buildPage<ListPageGenerator>(design.snapshot(), 27).page;
    EXPECT_EQ(page.find("第十七行"), std::string::npos);
    EXPECT_EQ(page.find("第十八行"), std::string::npos);
}

// The login table's password column is neither listed nor searchable.
TEST(ListPage, PasswordColumnIsNeitherShownNorSearched) {
    const auto page = buildPage<ListPageGenerator>(sampleModel(), 24).page;
    EXPECT_NE(page.find("filedArray=split(\"姓名,帐号,\",\",\")"), std::string::npos);
    EXPECT_EQ(page.find("密码"), std::string::npos);
    EXPECT_EQ(occurrences(page, "<td colspan=\"4\""), 2u);
}

// Single columns hold the nearest single-precision number, so 等于 compares within half a
// unit of that precision; the other operators stay exact.
TEST(ListPage, SingleColumnsCompareAtTheirOwnPrecision) {
    const auto page = buildPage<ListPageGenerator>(sampleModel(), 27).page;
    EXPECT_NE(page.find("filedTypeArray=split(\"1,1,1,3,2,\",\",\")"), std::string::npos);
    EXPECT_NE(page.find("if lowValue<>\"\" and ColumnType=\"3\" and Word=\"等于\" then "
                        "SearchCondition=SearchSingleEqual(ColumnName,lowValue)"),
              std::string::npos);
    EXPECT_NE(page.find("Function SearchSingleEqual(ColumnName,ValueText)"), std::string::npos);
}

}  // namespace
}  // namespace tabulon::pages_test
