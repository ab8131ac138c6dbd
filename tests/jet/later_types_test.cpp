// The column types added after the first eleven: Currency (a count of ten-thousandths) and
// LongBinary (raw bytes as a long value), through every layer a file passes.
#include <gtest/gtest.h>

#include <filesystem>

#include "jet/byte_io.h"
#include "jet/database.h"
#include "jet/error.h"
#include "jet/parser.h"
#include "jet/table_data.h"
#include "jet/table_layout.h"
#include "jet/values.h"

namespace tabulon::jet {
namespace {

ColumnLayout layoutOf(const Column& design) { return userTableLayout(TableDefinition{"t", {design}}).columns.at(1); }

std::int64_t storedUnits(const std::string& bytes) {
    return static_cast<std::int64_t>(std::uint64_t{getU32(bytes, 0)} | (std::uint64_t{getU32(bytes, 4)} << 32));
}

TEST(Currency, IsAFixedEightByteCountOfTenThousandths) {
    const ColumnLayout column = layoutOf({"金额", ColumnType::Currency});
    EXPECT_EQ(column.type, JetType::Currency);
    EXPECT_FALSE(column.isVariable());
    EXPECT_EQ(column.length, 8);
    EXPECT_EQ(storedUnits(encodeValue(column, std::string("12.3456"))), 123456);
    EXPECT_EQ(storedUnits(encodeValue(column, std::string("-0.0001"))), -1);
    EXPECT_EQ(storedUnits(encodeValue(column, std::int64_t{7})), 70000);
    EXPECT_EQ(storedUnits(encodeValue(column, 2.5)), 25000);
    // Rounded half away from zero at the fifth decimal, as the decimal writer rounds.
    EXPECT_EQ(storedUnits(encodeValue(column, std::string("0.00005"))), 1);
    EXPECT_EQ(storedUnits(encodeValue(column, std::string("-0.00005"))), -1);
}

TEST(Currency, ReachesBothEndsOfItsRangeAndNoFurther) {
    const ColumnLayout column = layoutOf({"金额", ColumnType::Currency});
    for (const std::string text : {"922337203685477.5807", "-922337203685477.5808", "0.0000", "1.5"}) {
        const Value back = decodeValue(column, encodeValue(column, text));
        const std::string expected = text == "1.5" ? "1.5000" : text;
        EXPECT_EQ(std::get<std::string>(back), expected) << text;
    }
    for (const std::string text :
         {"922337203685477.5808", "-922337203685477.5809", "99999999999999999999", "1e3", "12,5", "abc", ""})
        EXPECT_THROW(encodeValue(column, text), Error) << text;
}

TEST(LongBinary, KeepsEveryByteInlineAndAcrossPages) {
    std::string small("\0\x01\xff\x80", 4);
    std::string large;
    for (int i = 0; i < 20000; ++i) large += static_cast<char>((i * 131) & 0xff);
    Database db = Database::createEmpty();
    db.createTable(
        {"附件", {{"名称", ColumnType::Text}, {"内容", ColumnType::LongBinary}, {"价", ColumnType::Currency}}});
    db.insert("附件", {{"名称", std::string("小")}, {"内容", small}, {"价", std::string("3.14")}});
    db.insert("附件", {{"名称", std::string("大")}, {"内容", large}, {"价", std::monostate{}}});
    db.insert("附件", {{"名称", std::string("空")}});
    const std::string bytes = db.bytes();

    const Database reopened = Database::fromBytes(bytes);
    EXPECT_EQ(reopened.table("附件"), db.table("附件"));
    const auto rows = reopened.rows("附件");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(std::get<std::string>(rows[0].values[1]), small);
    EXPECT_EQ(std::get<std::string>(rows[1].values[1]), large);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(rows[2].values[1]));
    EXPECT_EQ(std::get<std::string>(rows[0].values[2]), "3.1400");
    EXPECT_EQ(reopened.bytes(), bytes);  // written again, byte for byte

    // The general reader sees the file's own types.
    const FileData data = readFileData(bytes);
    ASSERT_EQ(data.tables.size(), 1u);
    EXPECT_EQ(data.tables[0].columns[2].type, JetType::Ole);
    EXPECT_EQ(data.tables[0].columns[3].type, JetType::Currency);
    EXPECT_EQ(std::get<std::string>(data.tables[0].rows[1][2]), large);
}

TEST(LongBinary, TakesOnlyBytes) {
    const ColumnLayout column = layoutOf({"内容", ColumnType::LongBinary});
    EXPECT_EQ(column.type, JetType::Ole);
    EXPECT_TRUE(column.isLongValue());
    EXPECT_FALSE(column.compressible());
    EXPECT_THROW(encodeValue(column, std::int64_t{1}), Error);
    EXPECT_THROW(encodeValue(column, DateTime{}), Error);
}

TEST(LaterTypes, ReadAndWriteTheirCreateStatementWords) {
    const TableDefinition definition{"T", {{"a", ColumnType::Currency}, {"b", ColumnType::LongBinary}}};
    const std::string statement = createTableStatement(definition);
    EXPECT_NE(statement.find("[a]  Currency"), std::string::npos) << statement;
    EXPECT_NE(statement.find("[b]  LongBinary"), std::string::npos) << statement;
    EXPECT_EQ(parseCreateTable(statement), definition);
    EXPECT_EQ(parseCreateTable("create table T([id] counter primary key,[a] CURRENCY,[b] image)"), definition);
}

}  // namespace
}  // namespace tabulon::jet
