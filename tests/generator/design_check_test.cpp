// Names a generated site cannot use: refused when typed, reported by the design check,
// skipped by generation.
#include <gtest/gtest.h>

#include "generator/check/design_check.h"
#include "generator/check/design_rules.h"
#include "generator/driver.h"
#include "tests/support/design_builder.h"

namespace tabulon::generator {
namespace {

using testing::DesignBuilder;
using testing::makeField;

TEST(SiteNames, EveryCharacterThatBreaksAPageIsNamed) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"say\"hi", "“\"”"}, {"it's", "“'”"},    {"a%>b", "“%”"},  {"a<b", "“<”"},      {"[x]", "“[”"},
        {"x]", "“]”"},       {"a/b", "“/”"},     {"a\\b", "“\\”"}, {"名 称", "“空格”"}, {"名\u3000称", "“全角空格”"},
        {"a,b", "“,”"},      {"甲；乙", "“；”"}, {"a&b", "“&”"},   {"a?b", "“?”"},      {"a.b", "“.”"}};
    for (const auto& [name, shown] : cases) {
        const auto problem = siteNameProblem(name, NameUse::Field);
        ASSERT_TRUE(problem) << name;
        EXPECT_NE(problem->find(shown), std::string::npos) << name << " -> " << *problem;
    }
}

TEST(SiteNames, OfTwoBadCharactersTheFirstInTheNameIsNamed) {
    EXPECT_EQ(siteNameProblem("a.b'c", NameUse::Field), "名称含有不能用的字符“.”");
    EXPECT_EQ(siteNameProblem("a'b.c", NameUse::Field), "名称含有不能用的字符“'”");
    EXPECT_EQ(siteNameProblem("甲乙 ;", NameUse::Field), "名称含有不能用的字符“空格”");
    EXPECT_EQ(siteNameProblem("甲\u3000乙.", NameUse::Field), "名称含有不能用的字符“全角空格”");
    EXPECT_EQ(siteNameProblem("名.称；", NameUse::Field), "名称含有不能用的字符“.”");
    EXPECT_EQ(siteNameProblem("名；称.", NameUse::Field), "名称含有不能用的字符“；”");
}

TEST(SiteNames, ReservedWordsAreFineEmptyNamesAndLeadingDigitsAreNot) {
    // Every name stands in brackets in the generated SQL: Access's reserved words work.
    for (const char* word : {"user", "password", "Date", "ORDER", "select", "name", "text", "time", "level", "number"})
        EXPECT_FALSE(siteNameProblem(word, NameUse::Table)) << word;
    // What brackets cannot carry.
    for (const char* bad : {"a[b", "a]b", "a!b", "a.b", "a`b", "a\001b"})
        EXPECT_TRUE(siteNameProblem(bad, NameUse::Field)) << bad;
    EXPECT_EQ(siteNameProblem("", NameUse::Table), "名称不能为空");
    EXPECT_TRUE(siteNameProblem("2024年", NameUse::Field));
    for (const char* fine : {"帐号", "密码", "users", "user_name", "日期时间", "Title", "流水帐"})
        EXPECT_FALSE(siteNameProblem(fine, NameUse::Field)) << fine;
}

TEST(DesignCheck, NamesTableAndFieldOfEveryProblemAndPassesTheSample) {
    DesignBuilder design;
    EXPECT_TRUE(checkProject(design.snapshot(), 4).empty()) << "the sample project is sound";
    const auto project = design.project("坏名");
    const auto user = design.table(project, "user!");
    design.field(user, makeField("姓名"));
    const auto goods = design.table(project, "货物");
    design.field(goods, makeField("单价'元"));
    design.field(goods, makeField("date", "日期时间"));
    design.field(goods, makeField("a.b"));
    const auto problems = checkProject(design.snapshot(), project);
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].text, "项目 坏名 / 表 user!：名称含有不能用的字符“!”");
    EXPECT_EQ(problems[0].tableId, user);
    EXPECT_EQ(problems[0].fieldId, -1);
    EXPECT_EQ(problems[1].text, "项目 坏名 / 表 货物 / 字段 单价'元：名称含有不能用的字符“'”");
    EXPECT_EQ(problems[2].text, "项目 坏名 / 表 货物 / 字段 a.b：名称含有不能用的字符“.”");
    EXPECT_GT(problems[2].fieldId, 0);
}

// Generation writes no page for a table it cannot make work, says so, and goes on.
TEST(DesignCheck, GenerationSkipsTablesWithBadNames) {
    DesignBuilder design;
    const auto project = design.project("坏名");
    const auto bad = design.table(project, "货物");
    design.field(bad, makeField("a\"b"));
    const auto good = design.table(project, "客户");
    design.field(good, makeField("名称"));
    MemorySink sink;
    RecordedMessages messages;
    const auto result =
        generatePages(design.snapshot(), "/run", {project, {bad, good}, {PageKindId::Add}, false}, sink, messages);
    ASSERT_EQ(sink.files().size(), 1u);
    EXPECT_EQ(sink.files()[0].path.filename(), "KH" + std::to_string(good) + "_Add.asp");
    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{"项目 坏名 / 表 货物 / 字段 a\"b：名称含有不能用的字符“\"”，该表的页面未生成。",
                                        "生成完毕"}));
    EXPECT_EQ(result.failures, 1u);
}

}  // namespace
}  // namespace tabulon::generator
