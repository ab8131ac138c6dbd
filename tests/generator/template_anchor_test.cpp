// Template rows without the texts the generators patch: the page is not written, the row
// is named, the other pages still are, and the design check finds the same rows.
#include <gtest/gtest.h>

#include "generator/check/design_rules.h"
#include "generator/driver.h"
#include "generator/login/login_generator.h"
#include "generator/text/template_anchor.h"
#include "tests/support/design_builder.h"

namespace tabulon::generator {
namespace {

using testing::DesignBuilder;

// Removes every `text` from the template row of `kind` at 0-based `index`; returns the row's id.
catalogue::Id cutFromRow(DesignBuilder& design, std::string_view kind, std::size_t index, std::string_view text) {
    const auto model = design.snapshot();
    catalogue::TemplateRow row = *model.templateRecords(kind).at(index);
    const auto at = row.content.find(text);
    EXPECT_NE(at, std::string::npos) << kind << " row " << index << " lacks " << text;
    for (auto next = at; next != std::string::npos; next = row.content.find(text, next))
        row.content.erase(next, text.size());
    design.catalogue().updateTemplate(row);
    EXPECT_EQ(design.snapshot().templateRecords(kind).at(index)->content, row.content) << "row " << row.id;
    return row.id;
}

TEST(TemplateAnchors, EveryDefaultRowHoldsItsAnchors) {
    DesignBuilder design;
    EXPECT_EQ(missingTemplateAnchors(design.snapshot()), std::vector<std::string>{});
}

TEST(TemplateAnchors, EachMissingAnchorStopsOnlyItsPage) {
    for (const TemplateAnchor& anchor : templateAnchors()) {
        if (anchor.kind == "登录" || anchor.kind == "导航") continue;  // the login step's pages, below
        SCOPED_TRACE(std::string(anchor.kind) + " / " + std::string(anchor.text));
        DesignBuilder design;
        const auto id = cutFromRow(design, anchor.kind, anchor.row, anchor.text);
        const auto model = design.snapshot();
        MemorySink sink;
        RecordedMessages messages;
        const auto result = generatePages(model, "/run", PagesStep::everyPage(model, 4), sink, messages);
        // 记账 has four tables: every page of the kind is refused, naming the row.
        EXPECT_EQ(result.failures, 4u);
        EXPECT_EQ(result.written.size(), 4u * 4u);
        const std::string expected = "模板 " + std::string(anchor.kind) + " 第" + std::to_string(anchor.row + 1) +
                                     "行 (ID " + std::to_string(id) + ") 中没有“";
        std::size_t named = 0;
        for (const auto& text : messages.texts()) named += text.starts_with(expected) && text.ends_with(" 未生成。");
        EXPECT_EQ(named, 4u);
        const auto problems = checkProject(model, 4);
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_TRUE(problems[0].text.starts_with(expected)) << problems[0].text;
    }
}

TEST(TemplateAnchors, TheMessageShowsLineEndsAndWhatTheTextIsFor) {
    DesignBuilder design;
    const auto id = cutFromRow(design, "修改", 0, anchor::kHeadMarker);
    const auto model = design.snapshot();
    MemorySink sink;
    RecordedMessages messages;
    generatePages(model, "/run", {4, {26}, {PageKindId::Modify}, true}, sink, messages);
    EXPECT_EQ(messages.texts().at(0), "模板 修改 第1行 (ID " + std::to_string(id) +
                                          ") 中没有“<html>\\r\\n<head>\\r\\n<title>”（服务器代码的位置），"
                                          "manage/XFLX26_Modify.asp 未生成。");
    EXPECT_TRUE(sink.files().empty());
}

TEST(TemplateAnchors, ALoginRowWithoutItsQueryGivesNoLoginPage) {
    for (const TemplateAnchor* anchor : {&anchor::kLoginTable, &anchor::kLoginUser}) {
        SCOPED_TRACE(std::string(anchor->text));
        DesignBuilder design;
        cutFromRow(design, "登录", 0, anchor->text);
        MemorySink sink;
        RecordedMessages messages;
        const auto result = generateLogin(design.snapshot(), "/run", 4, sink, messages);
        std::vector<std::string> pages;
        for (const auto& path : result.written) pages.push_back(path.filename());
        EXPECT_EQ(pages, (std::vector<std::string>{"top.asp", "menu.asp"}))
            << "the account needs a database; the other two pages are written";
        bool named = false;
        for (const auto& text : messages.texts())
            named = named || (text.starts_with("模板 登录 第1行") && text.ends_with("index.asp 未生成。"));
        EXPECT_TRUE(named);
    }
}

TEST(TemplateAnchors, AMenuRowWithoutItsLoopGivesNoMenu) {
    DesignBuilder design;
    cutFromRow(design, "导航", 0, anchor::kMenuLoop.text);
    MemorySink sink;
    RecordedMessages messages;
    const auto result = generateLogin(design.snapshot(), "/run", 4, sink, messages);
    std::vector<std::string> pages;
    for (const auto& path : result.written) pages.push_back(path.filename());
    EXPECT_EQ(pages, (std::vector<std::string>{"index.asp", "top.asp"}));
}

TEST(LoginStep, ADamagedDatabaseIsCalledDamagedNotMissing) {
    DesignBuilder design;
    MemorySink sink;
    sink.writeBytes("/run/记账/data/data.mdb", std::string(4096, 'x'));
    RecordedMessages messages;
    const auto result = generateLogin(design.snapshot(), "/run", 4, sink, messages);
    EXPECT_FALSE(result.accountAdded);
    ASSERT_FALSE(messages.texts().empty());
    const std::string& first = messages.texts().front();
    EXPECT_TRUE(first.starts_with("默认帐号 vokra 未能加入网站数据库 ")) << first;
    EXPECT_NE(first.find("无法读取"), std::string::npos) << first;
    EXPECT_EQ(first.find("请先生成数据库文件"), std::string::npos) << first;
}

}  // namespace
}  // namespace tabulon::generator
