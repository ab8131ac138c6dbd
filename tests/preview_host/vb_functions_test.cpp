// VBScript functions the host computes itself (Wine's engine lacks or breaks them), checked
// against what a Windows server answers.
#include "ole_date.h"
#include "vb_dates.h"
#include "vb_errors.h"
#include "vb_escape.h"

#include <gtest/gtest.h>

using namespace tabulon::preview::host;

namespace {

double at(int year, int month, int day, int hour = 0, int minute = 0) {
    return joinDate(year, month, day, hour * 3600 + minute * 60);
}

TEST(VbDates, AddingMonthsStopsAtTheMonthsLastDay) {
    EXPECT_EQ(dateAdd("m", 1, at(2024, 1, 31)), at(2024, 2, 29));
    EXPECT_EQ(dateAdd("M", 1, at(2023, 1, 31)), at(2023, 2, 28));
    EXPECT_EQ(dateAdd("yyyy", 1, at(2024, 2, 29)), at(2025, 2, 28));
    EXPECT_EQ(dateAdd("q", -1, at(2024, 5, 31, 13, 45)), at(2024, 2, 29, 13, 45));
    EXPECT_EQ(dateAdd("m", 1.9, at(2024, 1, 15)), at(2024, 2, 15));  // the amount is truncated
}

TEST(VbDates, AddingAcrossTheEpochKeepsTheTimeOfDay) {
    // 1899-12-30 06:00 minus a day is 1899-12-29 06:00, which OLE writes as -1.25.
    EXPECT_EQ(dateAdd("d", -1, 0.25), -1.25);
    EXPECT_EQ(dateAdd("h", -30, 0.25), -1.0);
    EXPECT_EQ(dateAdd("n", 90, -1.25), at(1899, 12, 29, 7, 30));
}

TEST(VbDates, AnUnknownIntervalOrAYearOutOfRangeIsAnInvalidCall) {
    EXPECT_FALSE(dateAdd("x", 1, 0));
    EXPECT_FALSE(dateAdd("", 1, 0));
    EXPECT_FALSE(dateAdd("yyyy", 8000, at(2024, 1, 1)));
    EXPECT_FALSE(dateAdd("m", -12 * 1925, at(2024, 1, 1)));  // year 99
    EXPECT_TRUE(dateAdd("m", -12 * 1924, at(2024, 1, 1)));   // year 100
    EXPECT_FALSE(dateDiff("mm", 0, 1, 1));
}

TEST(VbDates, DifferencesCountBoundariesCrossed) {
    EXPECT_EQ(dateDiff("d", at(2024, 1, 1, 23, 59), at(2024, 1, 2, 0, 1), 1), 1);
    EXPECT_EQ(dateDiff("yyyy", at(2023, 12, 31), at(2024, 1, 1), 1), 1);
    EXPECT_EQ(dateDiff("m", at(2024, 1, 31), at(2024, 2, 1), 1), 1);
    EXPECT_EQ(dateDiff("q", at(2024, 3, 31), at(2024, 4, 1), 1), 1);
    EXPECT_EQ(dateDiff("h", at(2024, 1, 1, 10, 59), at(2024, 1, 1, 11, 0), 1), 1);
    EXPECT_EQ(dateDiff("s", at(2024, 1, 2), at(2024, 1, 1), 1), -86400);
    EXPECT_EQ(dateDiff("d", -1.25, 0.25, 1), 1);  // 1899-12-29 06:00 to 1899-12-30 06:00
}

TEST(VbDates, WeeksCountFromTheGivenFirstDay) {
    const double saturday = at(2024, 1, 6), sunday = at(2024, 1, 7), monday = at(2024, 1, 8);
    EXPECT_EQ(dateDiff("ww", saturday, sunday, 1), 1);  // a Sunday starts a week
    EXPECT_EQ(dateDiff("ww", saturday, sunday, 2), 0);
    EXPECT_EQ(dateDiff("ww", sunday, monday, 2), 1);  // a Monday starts a week
    EXPECT_EQ(dateDiff("w", saturday, at(2024, 1, 12), 1), 0);
    EXPECT_EQ(dateDiff("w", saturday, at(2024, 1, 13), 1), 1);
}

TEST(VbEscape, EscapesAsWindowsAndRoundTripsEveryCodeUnit) {
    EXPECT_EQ(escape(u"a b\u4E2D@*_+-./~"), u"a%20b%u4E2D@*_+-./%7E");
    EXPECT_EQ(escape(u"\u00E9%"), u"%E9%25");
    std::u16string all;
    for (char32_t c = 0; c <= 0xFFFF; ++c) all += static_cast<char16_t>(c);
    EXPECT_EQ(unescape(escape(all)), all);
}

TEST(VbEscape, MalformedEscapesStayAsTheyAre) {
    EXPECT_EQ(unescape(u"%zz%u12%4%u4E2d%41"), u"%zz%u12%4\u4E2DA");
    EXPECT_EQ(unescape(u"%"), u"%");
    EXPECT_EQ(unescape(u"%u"), u"%u");
    EXPECT_EQ(unescape(u"100%u00"), u"100%u00");
}

TEST(VbErrors, MessagesByNumber) {
    EXPECT_EQ(vbErrorText(13), "Type mismatch");
    EXPECT_EQ(vbErrorText(1014), "Expected 'End'");
    EXPECT_FALSE(vbErrorText(12345));
    EXPECT_TRUE(isCompileErrorNumber(1002));
    EXPECT_FALSE(isCompileErrorNumber(424));
}

TEST(VbErrors, ChineseWordingFromTheSameTable) {
    EXPECT_EQ(vbErrorTextChinese(13), "\xE7\xB1\xBB\xE5\x9E\x8B\xE4\xB8\x8D\xE5\x8C\xB9\xE9\x85\x8D");  // 类型不匹配
    EXPECT_EQ(vbErrorTextChinese(1014), "\xE7\xBC\xBA\xE5\xB0\x91 'End'");                              // 缺少 'End'
    EXPECT_FALSE(vbErrorTextChinese(12345));
}

TEST(VbErrors, EngineWordsAreToldFromAPagesOwn) {
    EXPECT_TRUE(isEnglishRuntimeErrorText("Type mismatch"));
    EXPECT_TRUE(isEnglishRuntimeErrorText("Unknown runtime error"));
    EXPECT_FALSE(isEnglishRuntimeErrorText("Expected 'End'"));  // a compile error's
    EXPECT_FALSE(isEnglishRuntimeErrorText("mine"));
    EXPECT_FALSE(isEnglishRuntimeErrorText("type mismatch"));
}

}  // namespace
