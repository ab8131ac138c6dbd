// Value encodings: dates, decimals, integer ranges, text limits.
#include <gtest/gtest.h>

#include <random>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/table_layout.h"
#include "jet/decimal.h"
#include "jet/ole_date.h"
#include "jet/values.h"

namespace tabulon::jet {
namespace {

ColumnLayout columnOf(const Column& design) { return userTableLayout(TableDefinition{"t", {design}}).columns.at(1); }

std::string encode(ColumnType type, const Value& value) { return encodeValue(columnOf({"c", type}), value); }

TEST(OleDate, FollowsJetsRuleForDatesBeforeAndAfterTheEpoch) {
    EXPECT_EQ(toOleDate({1899, 12, 30}), 0.0);
    EXPECT_EQ(toOleDate({1899, 12, 31, 12}), 1.5);
    EXPECT_EQ(toOleDate({1899, 12, 29, 6}), -1.25);  // the time still counts forward
    EXPECT_EQ(toOleDate({1900, 1, 1}), 2.0);
    EXPECT_EQ(fromOleDate(-1.25), (DateTime{1899, 12, 29, 6}));
}

TEST(OleDate, RoundTripsWholeSecondsAcrossJetsRange) {
    std::mt19937 random(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int i = 0; i < 2000; ++i) {
        const DateTime when{pick(100, 9999), pick(1, 12), pick(1, 28), pick(0, 23), pick(0, 59), pick(0, 59)};
        EXPECT_EQ(fromOleDate(toOleDate(when)), when);
    }
}

TEST(OleDate, ExplainsInvalidDates) {
    EXPECT_FALSE(dateProblem({2024, 2, 29}));
    EXPECT_TRUE(dateProblem({2023, 2, 29}));
    EXPECT_TRUE(dateProblem({1900, 2, 29}));
    EXPECT_TRUE(dateProblem({99, 1, 1}));
    EXPECT_TRUE(dateProblem({2000, 13, 1}));
    EXPECT_TRUE(dateProblem({2000, 1, 1, 24}));
    EXPECT_THROW(encode(ColumnType::DateTime, DateTime{2023, 2, 30}), Error);
}

TEST(OleDate, ParsesDateText) {
    EXPECT_EQ(encode(ColumnType::DateTime, std::string("2023-01-02 03:04:05")),
              encode(ColumnType::DateTime, DateTime{2023, 1, 2, 3, 4, 5}));
    EXPECT_EQ(encode(ColumnType::DateTime, std::string("2023/1/2")),
              encode(ColumnType::DateTime, DateTime{2023, 1, 2}));
    EXPECT_EQ(encode(ColumnType::DateTime, std::string("2023-01-02 03:04")),
              encode(ColumnType::DateTime, DateTime{2023, 1, 2, 3, 4}));
    EXPECT_THROW(encode(ColumnType::DateTime, std::string("2023-01")), Error);
    EXPECT_THROW(encode(ColumnType::DateTime, std::string("2023-01-02x")), Error);
}

TEST(Decimal, StoresTheUnscaledValueAsFourWordsMostSignificantFirst) {
    const ColumnLayout numeric = columnOf({"n", ColumnType::Numeric, 50, 6, 2});
    const std::string bytes = encodeValue(numeric, std::string("1234.56"));
    ASSERT_EQ(bytes.size(), 17u);
    EXPECT_EQ(getU8(bytes, 0), 0x00);
    EXPECT_EQ(getU32(bytes, 1), 0u);
    EXPECT_EQ(getU32(bytes, 13), 123456u);
    EXPECT_EQ(getU8(encodeValue(numeric, -1.5), 0), 0x80);
}

TEST(Decimal, RoundTripsAndRoundsHalfAwayFromZero) {
    const ColumnLayout numeric = columnOf({"n", ColumnType::Numeric, 50, 6, 2});
    auto stored = [&](const Value& v) { return std::get<std::string>(decodeValue(numeric, encodeValue(numeric, v))); };
    EXPECT_EQ(stored(std::string("1234.56")), "1234.56");
    EXPECT_EQ(stored(std::string("-0.5")), "-0.50");
    EXPECT_EQ(stored(std::string("0.005")), "0.01");
    EXPECT_EQ(stored(std::string("-0.004")), "0.00");
    EXPECT_EQ(stored(std::string("9999.994")), "9999.99");
    EXPECT_EQ(stored(std::int64_t{42}), "42.00");
    EXPECT_EQ(stored(0.1), "0.10");
    EXPECT_THROW(stored(std::string("9999.995")), Error);  // rounds to 7 digits
    EXPECT_THROW(stored(std::string("12345")), Error);
    EXPECT_THROW(stored(std::string("1.2.3")), Error);
    EXPECT_THROW(stored(std::string("")), Error);

    const ColumnLayout wide = columnOf({"w", ColumnType::Numeric, 50, 28, 4});
    const std::string big = "999999999999999999999999.9999";
    EXPECT_EQ(std::get<std::string>(decodeValue(wide, encodeValue(wide, big))), big);
}

TEST(Integers, EnforceEachTypesRange) {
    EXPECT_EQ(encode(ColumnType::Byte, std::int64_t{255}), "\xFF");
    EXPECT_THROW(encode(ColumnType::Byte, std::int64_t{256}), Error);
    EXPECT_THROW(encode(ColumnType::Byte, std::int64_t{-1}), Error);
    EXPECT_NO_THROW(encode(ColumnType::Short, std::int64_t{-32768}));
    EXPECT_THROW(encode(ColumnType::Short, std::int64_t{32768}), Error);
    EXPECT_NO_THROW(encode(ColumnType::Long, std::int64_t{-2147483647 - 1}));
    EXPECT_THROW(encode(ColumnType::Long, std::int64_t{2147483648}), Error);
    EXPECT_EQ(encode(ColumnType::Long, std::string(" 17 ")), encode(ColumnType::Long, std::int64_t{17}));
    EXPECT_EQ(encode(ColumnType::Long, 3.0), encode(ColumnType::Long, std::int64_t{3}));
    EXPECT_THROW(encode(ColumnType::Long, 3.5), Error);
    EXPECT_THROW(encode(ColumnType::Long, std::string("12abc")), Error);
    EXPECT_THROW(encode(ColumnType::Long, DateTime{2000, 1, 1}), Error);
}

TEST(Values, RoundTripThroughTheirStoredForm) {
    const std::vector<std::pair<Column, Value>> cases = {
        {{"s", ColumnType::Short}, std::int64_t{-12345}},
        {{"l", ColumnType::Long}, std::int64_t{2147483647}},
        {{"b", ColumnType::Byte}, std::int64_t{200}},
        {{"d", ColumnType::Double}, -1.0e-300},
        {{"f", ColumnType::Single}, 0.25},
        {{"t", ColumnType::DateTime}, DateTime{2001, 9, 9, 1, 46, 40}},
        {{"x", ColumnType::Text, 5}, std::string("中文abc")},
        {{"m", ColumnType::Memo}, std::string(5000, 'z')},
        {{"y", ColumnType::Boolean}, true},
        {{"n", ColumnType::Boolean}, false},
    };
    for (const auto& [design, value] : cases) {
        const ColumnLayout column = columnOf(design);
        EXPECT_EQ(decodeValue(column, encodeValue(column, value)), value) << design.name;
    }
}

TEST(Values, TextLimitCountsCharactersNotBytes) {
    const ColumnLayout text = columnOf({"t", ColumnType::Text, 3});
    EXPECT_NO_THROW(encodeValue(text, std::string("中文字")));
    EXPECT_THROW(encodeValue(text, std::string("中文字符")), Error);
    EXPECT_THROW(encodeValue(text, std::string("bad\xFF")), Error);
    EXPECT_EQ(decodeValue(text, encodeValue(text, std::int64_t{12})), Value(std::string("12")));
}

TEST(Values, SingleRejectsOverflowAndBooleanReadsCommonWords) {
    EXPECT_THROW(encode(ColumnType::Single, 1e39), Error);
    EXPECT_EQ(encode(ColumnType::Boolean, std::string("true")), "\x01");
    EXPECT_EQ(encode(ColumnType::Boolean, std::int64_t{0}), "");
    EXPECT_THROW(encode(ColumnType::Boolean, std::string("maybe")), Error);
}

}  // namespace
}  // namespace tabulon::jet
