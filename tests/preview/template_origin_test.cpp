// Naming the template row behind a failing line of a generated page.
#include <gtest/gtest.h>

#include <fstream>

#include "base/gbk.h"
#include "preview/server/error_annotation.h"
#include "preview/server/template_origin.h"
#include "tests/support/temp_folder.h"

namespace tabulon::preview {
namespace {

using catalogue::TemplateRow;

const std::vector<TemplateRow> kRows = {
    {12, "添加", "<!-- #include file=\"conn.asp\" -->\r\n<%\r\nset rs=server.createobject(\"adodb.recordset\")\r\n", 1},
    {13, "添加", "</title>\r\n<body>\r\nrs.addnew\r\n", 2},
    {40, "列表", "set rs=server.createobject(\"adodb.recordset\")\r\n", 1},
};

TEST(TemplateOrigin, PageKindsByFileName) {
    EXPECT_EQ(templateKindOfPage("manage/YH24_Add.asp"), "添加");
    EXPECT_EQ(templateKindOfPage("/manage/lsz27_modify.ASP"), "修改");
    EXPECT_EQ(templateKindOfPage("manage/X1_Delete.asp"), "删除");
    EXPECT_EQ(templateKindOfPage("manage/X1_List.asp"), "列表");
    EXPECT_EQ(templateKindOfPage("manage/X1_Display.asp"), "显示");
    EXPECT_EQ(templateKindOfPage("index.asp"), "登录");
    EXPECT_EQ(templateKindOfPage("top.asp"), "菜单");
    EXPECT_EQ(templateKindOfPage("menu.asp"), "导航");
    for (const char* other : {"manage/conn.asp", "inc/MyFunction.asp", "manage/_Add.asp", "main.asp",
                              "manage/sub/X1_Add.asp", "x/index.asp"})
        EXPECT_FALSE(templateKindOfPage(other)) << other;
}

TEST(TemplateOrigin, LinesOfTheRowsOfThePagesKind) {
    const auto origins = findTemplateOrigins(kRows, "添加", "  set rs=server.createobject(\"adodb.recordset\")\t");
    ASSERT_EQ(origins.size(), 1u);  // the 列表 row holding the same line does not count
    EXPECT_EQ(origins[0].id, 12);
    EXPECT_EQ(origins[0].line, 3);
    EXPECT_EQ(origins[0].describe(), "模板 添加 第3行 (ID 12)");
    EXPECT_EQ(findTemplateOrigins(kRows, "添加", "rs.addnew")[0].line, 3);
    EXPECT_TRUE(findTemplateOrigins(kRows, "添加", "rs.update").empty());
    EXPECT_TRUE(findTemplateOrigins(kRows, "添加", "   ").empty());
}

TEST(TemplateOrigin, RowEdgesJoinedToGeneratedText) {
    // The table name stands in front of the row's first line, on the same page line.
    const auto first = findTemplateOrigins(kRows, "添加", "流水帐</title>");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].id, 13);
    EXPECT_EQ(first[0].line, 1);
    // A middle line must match whole.
    EXPECT_TRUE(findTemplateOrigins(kRows, "添加", "x<body>").empty());
}

TEST(TemplateOrigin, ALineInTooManyRowsNamesNone) {
    std::vector<TemplateRow> rows;
    for (int id = 1; id <= 4; ++id) rows.push_back({id, "显示", "<%\r\nrs.close\r\n", id});
    EXPECT_TRUE(findTemplateOrigins(rows, "显示", "rs.close").empty());
    rows.pop_back();
    EXPECT_EQ(findTemplateOrigins(rows, "显示", "rs.close").size(), 3u);
}

HttpResponse hostError(const std::string& file, const std::string& line, const std::string& type = "text/html") {
    HttpResponse response;
    response.status = 500;
    response.setHeader("Content-Type", type);
    response.setHeader("X-Tabulon-Error-File", file);
    response.setHeader("X-Tabulon-Error-Line", line);
    response.body = "<html><body><h1>err</h1></BODY></html>";
    return response;
}

TEST(ErrorAnnotator, AddsTheRowToTheHostsErrorPage) {
    testing::TempFolder site;
    std::filesystem::create_directories(site.path() / "manage");
    const std::string page = "<html>\r\n<head><title>流水帐</title>\r\n<%\r\nrs.addnew\r\n%>\r\n";
    std::ofstream(site.path() / "manage" / "LSZ27_Add.asp", std::ios::binary) << gbk::encode(page).bytes;
    const SiteFolder folder(site.path());
    const ErrorAnnotator annotator(folder, kRows);

    auto gbkPage = hostError("manage/lsz27_add.asp", "4");
    annotator.annotate(gbkPage);
    EXPECT_EQ(gbkPage.header("X-Tabulon-Error-Template").value_or(""), "13:3");
    const auto note = gbkPage.body.find(gbk::encode("模板 添加 第3行 (ID 13)").bytes);
    ASSERT_NE(note, std::string::npos) << gbkPage.body;
    EXPECT_LT(note, gbkPage.body.find("</BODY>"));

    auto utf8Page = hostError("manage/LSZ27_Add.asp", "2", "text/html; charset=UTF-8");
    annotator.annotate(utf8Page);
    EXPECT_EQ(utf8Page.header("X-Tabulon-Error-Template").value_or(""), "13:1");
    EXPECT_NE(utf8Page.body.find("模板 添加 第1行 (ID 13)"), std::string::npos);

    // Nothing to add: another line, a line past the end, a file outside, no line, not a 500.
    for (auto response : {hostError("manage/LSZ27_Add.asp", "1"), hostError("manage/LSZ27_Add.asp", "99"),
                          hostError("../x/LSZ27_Add.asp", "4"), hostError("manage/LSZ27_Add.asp", "x"),
                          hostError("manage/conn.asp", "4")}) {
        const auto before = response.body;
        annotator.annotate(response);
        EXPECT_EQ(response.body, before);
        EXPECT_FALSE(response.header("X-Tabulon-Error-Template"));
    }
    auto fine = hostError("manage/LSZ27_Add.asp", "4");
    fine.status = 200;
    annotator.annotate(fine);
    EXPECT_FALSE(fine.header("X-Tabulon-Error-Template"));
}

}  // namespace
}  // namespace tabulon::preview
