// Jet's dates, numbers and value checks, below the recordsets.
#include <gtest/gtest.h>

#include "preview/ado/jet_values.h"
#include "preview/ado/like_pattern.h"

namespace tabulon::preview::ado {
namespace {

TEST(JetDates, OleDatesRoundTripAcrossTheEpoch) {
    EXPECT_EQ(oleFromCivil({1899, 12, 30, 0, 0, 0}), 0.0);
    EXPECT_EQ(oleFromCivil({2024, 2, 1, 10, 30, 0}), 45323.4375);
    EXPECT_EQ(oleFromCivil({1899, 12, 29, 6, 0, 0}), -1.25);  // the fraction counts forward before the epoch
    EXPECT_FALSE(oleFromCivil({2023, 2, 29, 0, 0, 0}));
    EXPECT_TRUE(oleFromCivil({2024, 2, 29, 0, 0, 0}));
    EXPECT_FALSE(oleFromCivil({99, 1, 1, 0, 0, 0}));
    for (double ole : {45323.4375, -1.25, 0.5, 2958465.0, -657434.0}) {
        const CivilTime when = civilFromOle(ole);
        EXPECT_EQ(oleFromCivil(when), ole) << ole;
    }
    const CivilTime nearMidnight = civilFromOle(45323.0 + 86399.6 / 86400.0);  // rounds into the next day
    EXPECT_EQ(nearMidnight.day, 2);
    EXPECT_EQ(nearMidnight.hour, 0);
}

TEST(JetDates, TextFormsPagesAndLiteralsUse) {
    EXPECT_EQ(parseDateText("2024-02-01", false), 45323.0);
    EXPECT_EQ(parseDateText("2024/2/1 10:30", false), 45323.4375);
    EXPECT_EQ(parseDateText(" 2024年2月1日 ", false), 45323.0);
    EXPECT_EQ(parseDateText("10:30:00", false), 0.4375);
    EXPECT_EQ(parseDateText("2024-2-1 10:30 PM", false), 45323.0 + 22.5 / 24);
    EXPECT_EQ(parseDateText("2/1/2024", true), 45323.0);
    EXPECT_FALSE(parseDateText("2/1/2024", false));
    EXPECT_FALSE(parseDateText("2024-02", false));
    EXPECT_FALSE(parseDateText("2024-13-01", false));
    EXPECT_FALSE(parseDateText("2024-02-01 25:00", false));
    EXPECT_FALSE(parseDateText("", false));
    EXPECT_EQ(formatDate(45323.4375), "2024/2/1 10:30:00");
    EXPECT_EQ(formatDate(45323.0), "2024/2/1");
    EXPECT_EQ(formatDate(0.5), "12:00:00");
}

TEST(JetNumbers, TextReadAsNumbersAndNumbersShownAsText) {
    EXPECT_EQ(parseNumberText(" 12.5 "), 12.5);
    EXPECT_EQ(parseNumberText("-3"), -3.0);
    EXPECT_EQ(parseNumberText("+.5"), 0.5);
    EXPECT_EQ(parseNumberText("1e3"), 1000.0);
    for (const char* bad : {"", " ", "abc", "1x", "1.2.3", "e5", "1e", "--1", "1 2"}) {
        EXPECT_FALSE(parseNumberText(bad)) << bad;
    }
    EXPECT_EQ(formatNumber(12.5, false), "12.5");
    EXPECT_EQ(formatNumber(3.0, false), "3");
    EXPECT_EQ(formatNumber(static_cast<double>(12.3f), true), "12.3");
    EXPECT_EQ(formatNumber(1e20, false), "1E+20");
    EXPECT_EQ(formatDecimal(-0.001, 2), "0.00");
    EXPECT_EQ(formatDecimal(1234.5599999999999, 2), "1234.56");
    EXPECT_EQ(utf16Length("a午😀"), 4u);
}

TEST(JetStore, IntegersRoundToEvenAndRespectTheirRange) {
    ColumnSchema column;
    column.type = JetType::Long;
    StoredValue out;
    Value value;
    value.kind = Value::Kind::Text;
    for (auto [text, expected] : {std::pair{"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"2147483647", 2147483647}}) {
        value.text = text;
        ASSERT_EQ(toStored(column, value, out), StoreFailure::None) << text;
        EXPECT_EQ(out.integer, expected) << text;
    }
    value.text = "2147483648";
    EXPECT_EQ(toStored(column, value, out), StoreFailure::Overflow);
    column.type = JetType::Short;
    value.text = "-32769";
    EXPECT_EQ(toStored(column, value, out), StoreFailure::Overflow);
    column.type = JetType::Byte;
    Value flag;
    flag.kind = Value::Kind::Boolean;
    flag.boolean = true;
    EXPECT_EQ(toStored(column, flag, out), StoreFailure::Overflow);  // True is -1
    column.type = JetType::Text;
    column.size = 2;
    EXPECT_EQ(toStored(column, flag, out), StoreFailure::TooLong);  // "True"
    column.size = 4;
    ASSERT_EQ(toStored(column, flag, out), StoreFailure::None);
    EXPECT_EQ(out.text, "True");
    column.required = true;
    EXPECT_EQ(toStored(column, Value{}, out), StoreFailure::NullRequired);  // Empty counts as Null
}

TEST(JetLike, WildcardsListsAndBacktracking) {
    auto matches = [](std::string_view pattern, std::string_view text) {
        auto parsed = LikePattern::parse(pattern);
        if (!parsed) throw std::runtime_error("refused: " + std::string(pattern));
        return parsed->matches(text);
    };
    EXPECT_TRUE(matches("%b%b", "abcbxb"));  // the first b is not the one that ends the match
    EXPECT_TRUE(matches("a_c", "a午c"));     // _ is one character, not one byte
    EXPECT_FALSE(matches("a_c", "ac"));
    EXPECT_TRUE(matches("[午晚]餐", "晚餐"));
    EXPECT_TRUE(matches("[!0-9]1", "x1"));
    EXPECT_FALSE(matches("[!0-9]1", "71"));
    EXPECT_TRUE(matches("%[%]%", "100%"));
    EXPECT_TRUE(matches("A%", "apple"));
    EXPECT_TRUE(matches("", ""));
    EXPECT_FALSE(matches("", "a"));
    EXPECT_TRUE(LikePattern::parse("%a%")->plain());
    EXPECT_FALSE(LikePattern::parse("[a]")->plain());
    EXPECT_FALSE(LikePattern::parse("ab[c"));
    EXPECT_FALSE(LikePattern::parse("[]"));
}

}  // namespace
}  // namespace tabulon::preview::ado
