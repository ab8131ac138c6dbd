// The types added for imported databases (货币, 长文本, 二进制) through the database step and
// every page kind: one table row each, and nothing else to change.
#include <gtest/gtest.h>

#include "base/gbk.h"
#include "generator/driver.h"
#include "jet/database.h"
#include "tests/support/design_builder.h"
#include "tests/support/disk_database.h"
#include "tests/support/temp_folder.h"

namespace tabulon::generator {
namespace {

using testing::DesignBuilder;
using testing::makeField;

struct Design {
    DesignBuilder builder;
    catalogue::Id project = builder.project("导入");
    catalogue::Id table = builder.table(project, "商品");
    Design() {
        builder.field(table, makeField("名称"));
        builder.field(table, makeField("单价", "货币"));
        builder.field(table, makeField("说明", "长文本"));
        builder.field(table, makeField("照片", "二进制", "文本框"));
    }
};

TEST(LaterTypes, DatabaseStepCreatesTheirColumns) {
    Design design;
    testing::TempFolder run;
    RecordedMessages messages;
    const auto result = testing::generateDatabase(design.builder.snapshot(), run.path(), design.project, messages);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"生成完毕"});
    EXPECT_EQ(result.statementLog.substr(0, result.statementLog.find("\r\n")),
              "create Table 商品([id] Counter PRIMARY KEY,[名称]  VarChar(50),[单价]  Currency,[说明]  VarChar(255),"
              "[照片]  LongBinary)");
    const auto db = jet::Database::open(result.file);
    const auto& columns = db.table("商品").columns;
    ASSERT_EQ(columns.size(), 4u);
    EXPECT_EQ(columns[1].type, jet::ColumnType::Currency);
    EXPECT_EQ(columns[2].length, 255);
    EXPECT_EQ(columns[3].type, jet::ColumnType::LongBinary);
}

TEST(LaterTypes, RowsComeAlongWhenATypeChangesToALaterOne) {
    // First 单价 is a decimal and 说明 text of 50; then they become 货币 and 长文本.
    DesignBuilder builder;
    const auto project = builder.project("改型");
    const auto table = builder.table(project, "商品");
    builder.field(table, makeField("单价", "小数"));
    builder.field(table, makeField("说明"));
    builder.field(table, makeField("照片", "二进制"));
    testing::TempFolder run;
    RecordedMessages messages;
    const auto first = testing::generateDatabase(builder.snapshot(), run.path(), project, messages);
    {
        auto db = jet::Database::open(first.file);
        db.insert("商品",
                  {{"单价", std::string("12.5")}, {"说明", std::string("短")}, {"照片", std::string("\x89PNG", 4)}});
        db.save(first.file);
    }
    for (const auto& [name, type] : {std::pair{"单价", "货币"}, std::pair{"说明", "长文本"}}) {
        auto field = *builder.catalogue().fieldByName(table, name);
        field.type = type;
        builder.catalogue().updateField(field);
    }
    messages = {};
    const auto second =
        testing::generateDatabase(builder.snapshot(), run.path(), project, messages, {ExistingRows::Keep, [] {
                                                                                          std::tm noon{};
                                                                                          noon.tm_hour = 12;
                                                                                          noon.tm_mday = 1;
                                                                                          noon.tm_year = 126;
                                                                                          return noon;
                                                                                      }});
    ASSERT_TRUE(second.carried);
    EXPECT_FALSE(second.carried->leftSomethingBehind()) << messages.texts().back();
    const auto rows = jet::Database::open(second.file).rows("商品");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::get<std::string>(rows[0].values[0]), "12.5000");
    EXPECT_EQ(std::get<std::string>(rows[0].values[1]), "短");
    EXPECT_EQ(std::get<std::string>(rows[0].values[2]), std::string("\x89PNG", 4));
}

std::string page(const MemorySink& sink, const std::string& suffix) {
    for (const auto& file : sink.files())
        if (file.path.filename().string().ends_with(suffix)) return gbk::decode(file.bytes);
    return {};
}

TEST(LaterTypes, PagesCheckTheNewValuesAndNeverShowBinaryFields) {
    Design design;
    const auto model = design.builder.snapshot();
    MemorySink sink;
    RecordedMessages messages;
    auto request = PagesStep::everyPage(model, design.project);
    const auto result = generatePages(model, "/run", request, sink, messages);
    ASSERT_EQ(result.failures, 0u) << messages.texts().front();
    ASSERT_EQ(result.written.size(), 5u);
    for (const auto* suffix : {"_Add.asp", "_Modify.asp", "_List.asp", "_Display.asp", "_Delete.asp"}) {
        const std::string text = page(sink, suffix);
        ASSERT_FALSE(text.empty()) << suffix;
        EXPECT_EQ(text.find("照片"), std::string::npos) << suffix;
    }
    for (const auto* suffix : {"_Add.asp", "_Modify.asp"}) {
        const std::string text = page(sink, suffix);
        EXPECT_NE(text.find("S_2=SiteValue(S_2,\"currency\",\"单价\")"), std::string::npos) << suffix;
        EXPECT_NE(text.find("S_3=SiteValue(S_3,\"longtext\",\"说明\")"), std::string::npos) << suffix;
        EXPECT_NE(text.find("if S_2<>\"\" and not myIsNumeric(S_2) then"), std::string::npos) << suffix;
        EXPECT_NE(text.find("refuse(e,\"单价必须是数字\")"), std::string::npos) << suffix;
    }
}

}  // namespace
}  // namespace tabulon::generator
