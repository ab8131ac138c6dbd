// The data type and widget tables: the words the window lists, parsing when the snapshot is
// made, and every row's column agreeing with the words Jet's statements use.
#include <gtest/gtest.h>

#include <set>

#include "catalogue/data_type.h"
#include "catalogue/snapshot.h"
#include "catalogue/widget_kind.h"
#include "jet/parser.h"

namespace tabulon::catalogue {
namespace {

TEST(DataTypes, ListTheElevenOriginalWordsFirstAndTheLaterOnesAfter) {
    const std::vector<std::string_view> words(kDataTypes.begin(), kDataTypes.end());
    EXPECT_EQ(words,
              (std::vector<std::string_view>{"自动编号", "文本", "长整型", "整型", "双精度", "单精度", "字节型", "小数",
                                             "备注", "日期时间", "逻辑", "货币", "长文本", "二进制", "隐藏备注"}));
    std::set<DataType> types;
    for (const DataTypeRow& row : kDataTypeRows) {
        EXPECT_TRUE(types.insert(row.type).second) << row.word;
        EXPECT_EQ(dataTypeOf(row.word), row.type) << row.word;
        EXPECT_EQ(dataTypeRow(row.type), &row) << row.word;
    }
    EXPECT_EQ(dataTypeRow(DataType::Unknown), nullptr);
}

TEST(DataTypes, WordsAreComparedByteForByte) {
    for (std::string_view word : std::initializer_list<std::string_view>{"", "文本 ", " 文本", "TEXT", "text", "文",
                                                                         std::string_view("长整型\0", 10)})
        EXPECT_EQ(dataTypeOf(word), DataType::Unknown) << word;
}

TEST(DataTypes, EachColumnReadsBackFromTheStatementItsWordMakes) {
    for (const DataTypeRow& row : kDataTypeRows) {
        if (row.sqlWord.empty()) continue;  // 自动编号: only `id` counts
        const jet::Column column = *columnOf(row.type, "列");
        const std::string statement =
            "create Table [T]([id] Counter PRIMARY KEY,[列]  " + std::string(row.sqlWord) + ")";
        const jet::TableDefinition parsed = jet::parseCreateTable(statement);
        ASSERT_EQ(parsed.columns.size(), 1u) << row.word;
        EXPECT_EQ(parsed.columns[0].type, column.type) << row.word;
        if (column.type == jet::ColumnType::Text) {
            EXPECT_EQ(parsed.columns[0].length, column.length) << row.word;
        }
        if (column.type == jet::ColumnType::Numeric) {
            EXPECT_EQ(parsed.columns[0].precision, column.precision) << row.word;
            EXPECT_EQ(parsed.columns[0].scale, column.scale) << row.word;
        }
        // The statement the writer logs spells the column with the row's own word.
        EXPECT_EQ(jet::createTableStatement({"T", {column}}), statement) << row.word;
        // And the column leads back to its row (隐藏备注 is a memo column like 备注, the first).
        EXPECT_EQ(dataTypeOfColumn(column), row.type == DataType::HiddenMemo ? dataTypeRow(DataType::Memo) : &row)
            << row.word;
    }
}

TEST(DataTypes, LaterTypesHaveTheColumnsTheImportReliesOn) {
    const jet::Column currency = *columnOf(DataType::Currency, "价");
    EXPECT_EQ(currency.type, jet::ColumnType::Currency);
    const jet::Column longText = *columnOf(DataType::LongText, "说明");
    EXPECT_EQ(longText.type, jet::ColumnType::Text);
    EXPECT_EQ(longText.length, 255);
    EXPECT_EQ(columnOf(DataType::Binary, "图")->type, jet::ColumnType::LongBinary);
    // 二进制 never reaches a page; the number checks cover 货币 and not 长文本.
    EXPECT_FALSE(onPages(DataType::Binary));
    // 隐藏备注 holds text in a memo column, never on a page either.
    EXPECT_EQ(columnOf(DataType::HiddenMemo, "附件")->type, jet::ColumnType::Memo);
    EXPECT_FALSE(onPages(DataType::HiddenMemo));
    EXPECT_TRUE(onPages(DataType::Memo));
    EXPECT_TRUE(onPages(DataType::Unknown));
    EXPECT_TRUE(checkedAsNumber(DataType::Currency));
    EXPECT_FALSE(checkedAsNumber(DataType::LongText));
    EXPECT_FALSE(checkedAsNumber(DataType::Byte));  // as generated sites always had it
    EXPECT_EQ(dataTypeRow(DataType::Currency)->valueKind, "currency");
    EXPECT_EQ(dataTypeRow(DataType::LongText)->valueKind, "longtext");
    // A text column of a length no row has is still text.
    jet::Column odd = longText;
    odd.length = 20;
    EXPECT_EQ(dataTypeOfColumn(odd)->type, DataType::Text);
}

TEST(WidgetKinds, WordsInTheWindowsOrderParsedByteForByte) {
    EXPECT_EQ(std::vector<std::string_view>(kInputTypes.begin(), kInputTypes.end()),
              (std::vector<std::string_view>{"文本框", "时间框", "组合框", "文本域"}));
    for (const WidgetKindRow& row : kWidgetKindRows) {
        EXPECT_EQ(widgetKindOf(row.word), row.kind);
        EXPECT_EQ(widgetWord(row.kind), row.word);
    }
    for (std::string_view word : {"", "文本框 ", "下拉框", "textbox"}) EXPECT_EQ(widgetKindOf(word), WidgetKind::Other);
}

TEST(Snapshot, ParsesEachFieldsWordsOnceWhenMade) {
    Field money{1, 1, "金额", "货币", "", 3, "文本框", "", "", "", "", "", ""};
    Field note{2, 1, "说明", "长文本 ", "", 6, "文本域", "", "", "", "", "", ""};
    Field picture{3, 1, "图片", "二进制", "", 9, "", "", "", "", "", "", ""};
    // Whatever a caller left in the parsed members is replaced.
    note.dataType = DataType::Long;
    note.widget = WidgetKind::DropDown;
    const Snapshot model({{1, "P", ""}}, {{1, 1, "T", ""}}, {money, note, picture}, {});
    EXPECT_EQ(model.field(1)->dataType, DataType::Currency);
    EXPECT_EQ(model.field(1)->widget, WidgetKind::TextBox);
    EXPECT_EQ(model.field(2)->dataType, DataType::Unknown);  // the stored word keeps its space
    EXPECT_EQ(model.field(2)->type, "长文本 ");
    EXPECT_EQ(model.field(2)->widget, WidgetKind::RichText);
    EXPECT_EQ(model.field(3)->dataType, DataType::Binary);
    EXPECT_EQ(model.field(3)->widget, WidgetKind::Other);
}

}  // namespace
}  // namespace tabulon::catalogue
