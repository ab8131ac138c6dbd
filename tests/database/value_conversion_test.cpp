// Values moving from an old column into a column of another type: only where the new
// type holds them exactly.
#include <gtest/gtest.h>

#include "generator/database/value_conversion.h"
#include "jet/table_layout.h"

namespace tabulon::generator {
namespace {

using jet::ColumnType;
using jet::Value;

jet::ColumnLayout column(ColumnType type, int length = 50, int precision = 6, int scale = 2) {
    jet::Column design{"c", type, length, precision, scale};
    return jet::userTableLayout({"t", {design}}).columns.at(1);
}

struct Case {
    ColumnType from;
    Value value;
    ColumnType to;
    Value expected;  // monostate: not carried
};

TEST(ValueConversion, ExactValuesComeOverAndOthersAreRefusedWithAReason) {
    const jet::DateTime noon{2024, 2, 29, 12, 0, 5};
    const Case cases[] = {
        {ColumnType::Text, std::string("12"), ColumnType::Long, std::int64_t{12}},
        {ColumnType::Text, std::string("012"), ColumnType::Long, {}},  // would come back as "12"
        {ColumnType::Text, std::string("abc"), ColumnType::Short, {}},
        {ColumnType::Long, std::int64_t{300}, ColumnType::Byte, {}},
        {ColumnType::Long, std::int64_t{255}, ColumnType::Byte, std::int64_t{255}},
        {ColumnType::Long, std::int64_t{-40000}, ColumnType::Short, {}},
        {ColumnType::Long, std::int64_t{123456789}, ColumnType::Text, std::string("123456789")},
        {ColumnType::Double, 1.5, ColumnType::Long, {}},
        {ColumnType::Double, 2.0, ColumnType::Long, std::int64_t{2}},
        {ColumnType::Double, 0.1, ColumnType::Single, {}},
        {ColumnType::Double, 0.375, ColumnType::Single, 0.375},
        {ColumnType::Double, 1.005, ColumnType::Numeric, {}},
        {ColumnType::Double, 12.25, ColumnType::Numeric, std::string("12.25")},
        {ColumnType::Single, static_cast<double>(1.1f), ColumnType::Text, std::string("1.1")},
        {ColumnType::Single, static_cast<double>(1.1f), ColumnType::Double, static_cast<double>(1.1f)},
        {ColumnType::Numeric, std::string("1234.56"), ColumnType::Double, 1234.56},
        {ColumnType::Numeric, std::string("12.00"), ColumnType::Long, std::int64_t{12}},
        {ColumnType::Numeric, std::string("12.50"), ColumnType::Long, {}},
        {ColumnType::Numeric, std::string("-0.50"), ColumnType::Text, std::string("-0.5")},
        {ColumnType::DateTime, noon, ColumnType::Text, std::string("2024-02-29 12:00:05")},
        {ColumnType::Text, std::string("2024-02-29 12:00:05"), ColumnType::DateTime, noon},
        {ColumnType::Text, std::string("2024-02-30"), ColumnType::DateTime, {}},
        {ColumnType::Boolean, true, ColumnType::Long, std::int64_t{-1}},
        {ColumnType::Boolean, true, ColumnType::Byte, {}},  // Jet's True is -1
        {ColumnType::Boolean, false, ColumnType::Text, std::string("False")},
        {ColumnType::Long, std::int64_t{-1}, ColumnType::Boolean, true},
        {ColumnType::Long, std::int64_t{0}, ColumnType::Boolean, false},
        {ColumnType::Long, std::int64_t{5}, ColumnType::Boolean, {}},
        {ColumnType::Memo, std::string(51, 'x'), ColumnType::Text, {}},
        {ColumnType::Memo, std::string("短"), ColumnType::Text, std::string("短")},
        {ColumnType::Text, std::string("长文本"), ColumnType::Memo, std::string("长文本")},
    };
    for (const Case& c : cases) {
        const auto result = convertValue(column(c.from), c.value, column(c.to));
        SCOPED_TRACE(typeName(column(c.from)) + " -> " + typeName(column(c.to)));
        EXPECT_EQ(result.value, c.expected);
        EXPECT_EQ(result.problem.has_value(), std::holds_alternative<std::monostate>(c.expected));
    }
}

TEST(ValueConversion, NumericScaleAndTextLengthDecideWhetherEveryValueFits) {
    EXPECT_TRUE(holdsEveryValue(column(ColumnType::Text, 50), column(ColumnType::Text, 50)));
    EXPECT_TRUE(holdsEveryValue(column(ColumnType::Text, 20), column(ColumnType::Text, 50)));
    EXPECT_FALSE(holdsEveryValue(column(ColumnType::Text, 50), column(ColumnType::Text, 20)));
    EXPECT_FALSE(holdsEveryValue(column(ColumnType::Numeric, 50, 6, 2), column(ColumnType::Numeric, 50, 6, 1)));
    EXPECT_FALSE(holdsEveryValue(column(ColumnType::Long), column(ColumnType::Short)));
    EXPECT_TRUE(holdsEveryValue(column(ColumnType::Memo), column(ColumnType::Memo)));
    const auto narrowed =
        convertValue(column(ColumnType::Numeric, 50, 6, 2), std::string("1.25"), column(ColumnType::Numeric, 50, 6, 1));
    EXPECT_TRUE(narrowed.problem);
    EXPECT_EQ(typeName(column(ColumnType::Numeric)), "小数(6,2)");
    EXPECT_EQ(typeName(column(ColumnType::Text, 20)), "文本(20)");
}

}  // namespace
}  // namespace tabulon::generator
