// Naming rules: initials, page names, captions and site folders.
#include <gtest/gtest.h>

#include "base/error.h"
#include "base/gbk.h"
#include "generator/naming/naming.h"

namespace tabulon::generator {
namespace {

TEST(TableInitials, FollowTheGbkBytePairs) {
    EXPECT_EQ(pageBaseName("学生信息", 3), "XSXX3");
    EXPECT_EQ(pageBaseName("Orders", 9), "9");
    EXPECT_EQ(pageBaseName("安全", 2), "AQ2");
    EXPECT_EQ(pageBaseName("a学生", 5), "5") << "an odd single-byte prefix shifts every pair off the hanzi";
    EXPECT_EQ(pageBaseName("消费类型", 26), "XFLX26");
    EXPECT_EQ(pageBaseName("ab学生", 5), "XS5") << "an even prefix keeps the pairs aligned";
    EXPECT_EQ(tableInitials("学生", false), "xs");
    EXPECT_EQ(tableInitials(""), "");
}

TEST(TableInitials, ReadingsWithoutConsonantAndPolyphones) {
    EXPECT_EQ(tableInitials("安爱鹅"), "AAE");
    EXPECT_EQ(tableInitials("一我学"), "YWX");
    EXPECT_EQ(tableInitials("长度"), "CD") << "a level-1 hanzi takes the reading it is filed under";
    EXPECT_EQ(tableInitials("流水帐"), "LSZ");
}

TEST(TableInitials, OnlyGb2312HanziCount) {
    EXPECT_EQ(tableInitials("ＡＢ"), "") << "full-width Latin letters are not hanzi";
    EXPECT_EQ(tableInitials("，。"), "") << "punctuation has no reading";
    EXPECT_EQ(tableInitials("丟"), "") << "a GBK-only character outside GB2312 has no entry";
    EXPECT_EQ(tableInitials("😀学"), "") << "text GBK cannot encode yields no initials";
}

TEST(TableInitials, EveryGb2312HanziHasAnInitial) {
    // Walk every code of the two GB2312 hanzi levels; the table must cover each one.
    std::size_t hanzi = 0;
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (lead == 0xD7 && trail >= 0xFA) continue;  // unassigned in GB2312
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string character = gbk::decode(bytes);
            ASSERT_TRUE(startsWithChineseCharacter(character)) << std::hex << lead << trail;
            const std::string initial = tableInitials(character);
            ASSERT_EQ(initial.size(), 1u) << character;
            ASSERT_TRUE(initial[0] >= 'A' && initial[0] <= 'Z' && initial[0] != 'I' && initial[0] != 'U' &&
                        initial[0] != 'V')
                << character << " -> " << initial;
            ++hanzi;
        }
    }
    EXPECT_EQ(hanzi, 6763u);
}

TEST(FieldCaption, NameWhenItStartsWithAHanziElseDescription) {
    catalogue::Field field;
    field.name = "name";
    field.description = "姓名";
    EXPECT_EQ(fieldCaption(field), "姓名");
    field.name = "姓名";
    field.description = "whatever";
    EXPECT_EQ(fieldCaption(field), "姓名");
    field.name = "price";
    field.description = "";
    EXPECT_EQ(fieldCaption(field), "price") << "without a description the name is the caption";
    field.name = "1号";
    field.description = "编号";
    EXPECT_EQ(fieldCaption(field), "编号");
}

TEST(SiteFolder, ProjectNamesThatCannotBeFolders) {
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "x:y", "what?", "a*", "<p>", "a|b", "quo\"te", "end.", "end ",
                            "CON", "nul.txt", "com1", "LPT9", "tab\there"})
        EXPECT_TRUE(folderNameProblem(bad).has_value()) << bad;
    for (const char* good : {"记账", "my site", "a.b", "CONSOLE", "..x", "项目-1"})
        EXPECT_FALSE(folderNameProblem(good).has_value()) << good;
    EXPECT_EQ(siteFolder("/run", "记账"), std::filesystem::path("/run/记账"));
    EXPECT_THROW(siteFolder("/run", "../escape"), Error);
}

}  // namespace
}  // namespace tabulon::generator
