// The site database: statements, the log, design problems and what the file holds.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "base/gbk.h"
#include "generator/database/database_generator.h"
#include "jet/database.h"
#include "tests/support/design_builder.h"
#include "tests/support/disk_database.h"
#include "tests/support/temp_folder.h"

namespace tabulon::generator {
namespace {

using testing::DesignBuilder;
using testing::makeField;
using testing::readFile;
using testing::TempFolder;

const std::string kFiveLineEnds = "\r\n\r\n\r\n\r\n\r\n";

using testing::generateDatabase;

// The designed columns (the `id` key is implied by every table).
std::vector<std::string> columnNames(const jet::Database& db, const std::string& table) {
    std::vector<std::string> names;
    for (const auto& column : db.table(table).columns) names.push_back(column.name);
    return names;
}

TEST(TypeWords, EveryDataTypeButAutoNumber) {
    const std::pair<const char*, const char*> expected[] = {
        {"文本", "VarChar(50)"}, {"长整型", "integer"}, {"整型", "short"},        {"双精度", "double"},
        {"单精度", "real"},      {"字节型", "byte"},    {"小数", "NUMERIC(6,2)"}, {"日期时间", "datetime"},
        {"备注", "memo"},        {"逻辑", "bit"}};
    for (const auto& [type, word] : expected) EXPECT_EQ(typeWord(type), word) << type;
    EXPECT_FALSE(typeWord("自动编号"));
    EXPECT_FALSE(typeWord(""));
    EXPECT_FALSE(typeWord("文本 "));
}

TEST(DatabaseGenerator, StatementsAndLogInTheirExactForm) {
    DesignBuilder design;
    const auto project = design.project("示例");
    const auto users = design.table(project, "用户");
    design.field(users, makeField("帐号"));
    design.field(users, makeField("密码"));
    const auto money = design.table(project, "收支");
    design.field(money, makeField("金额", "单精度"));
    design.table(project, "空表");

    TempFolder run;
    RecordedMessages messages;
    const auto result = generateDatabase(design.snapshot(), run.path(), project, messages);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"生成完毕"});
    EXPECT_EQ(result.statementLog,
              "create Table [用户]([id] Counter PRIMARY KEY,[帐号]  VarChar(50),[密码]  VarChar(50))" + kFiveLineEnds +
                  "create Table [收支]([id] Counter PRIMARY KEY,[金额]  real)" + kFiveLineEnds +
                  "create Table [空表]([id] Counter PRIMARY KEY)" + kFiveLineEnds);
    EXPECT_EQ(readFile(run.path() / "示例-schema.sql"), gbk::encode(result.statementLog).bytes);

    const auto db = jet::Database::open(result.file);
    EXPECT_EQ(db.tableNames(), (std::vector<std::string>{"用户", "收支", "空表", "kovel_login_lock"}));
    EXPECT_EQ(columnNames(db, "用户"), (std::vector<std::string>{"帐号", "密码"}));
}

TEST(DatabaseGenerator, ColumnsFollowTheOrderFieldsWereAddedNotTheirPosition) {
    DesignBuilder design;
    const auto project = design.project("顺序");
    const auto table = design.table(project, "表一");
    auto late = makeField("后");
    late.order = 1;
    design.field(table, makeField("先"));
    design.field(table, late);
    TempFolder run;
    RecordedMessages messages;
    const auto result = generateDatabase(design.snapshot(), run.path(), project, messages);
    EXPECT_EQ(result.statementLog.substr(0, result.statementLog.find("\r\n")),
              "create Table [表一]([id] Counter PRIMARY KEY,[先]  VarChar(50),[后]  VarChar(50))");
}

TEST(DatabaseGenerator, TypesWithoutAWordNeverBorrowTheirNeighbours) {
    DesignBuilder design;
    const auto project = design.project("类型");
    const auto table = design.table(project, "物品");
    design.field(table, makeField("数量", "整型"));
    design.field(table, makeField("序号", "自动编号"));
    auto untyped = makeField("备用", "");
    design.field(table, untyped);
    auto updated = *design.catalogue().fieldByName(table, "备用");
    updated.type = "";
    design.catalogue().updateField(updated);

    TempFolder run;
    RecordedMessages messages;
    const auto result = generateDatabase(design.snapshot(), run.path(), project, messages);
    EXPECT_EQ(result.statementLog.substr(0, result.statementLog.find("\r\n")),
              "create Table [物品]([id] Counter PRIMARY KEY,[数量]  short,[序号]  integer,[备用]  VarChar(50))");
    ASSERT_EQ(messages.texts().size(), 3u);
    EXPECT_NE(messages.texts()[0].find("字段 序号"), std::string::npos) << messages.texts()[0];
    EXPECT_NE(messages.texts()[1].find("字段 备用"), std::string::npos) << messages.texts()[1];
    EXPECT_EQ(messages.texts()[2], "生成完毕");
}

TEST(DatabaseGenerator, DesignedIdAndBadNamesAreReportedAndLeftOut) {
    DesignBuilder design;
    const auto project = design.project("名称");
    const auto table = design.table(project, "订单");
    design.field(table, makeField("ID", "长整型"));
    design.field(table, makeField("a!b"));
    design.field(table, makeField("金额", "双精度"));
    design.field(table, makeField("金额", "文本"));
    const auto spaced = design.table(project, "a b");
    design.field(spaced, makeField("x"));
    const auto fine = design.table(project, "客户");

    TempFolder run;
    RecordedMessages messages;
    const auto result = generateDatabase(design.snapshot(), run.path(), project, messages);
    EXPECT_EQ(result.problems, 4u);
    ASSERT_EQ(messages.texts().size(), 5u);
    EXPECT_NE(messages.texts()[0].find("表 订单 / 字段 ID"), std::string::npos) << messages.texts()[0];
    EXPECT_NE(messages.texts()[1].find("字段 a!b"), std::string::npos) << messages.texts()[1];
    EXPECT_NE(messages.texts()[2].find("字段 金额"), std::string::npos) << messages.texts()[2];
    EXPECT_NE(messages.texts()[3].find("表 a b"), std::string::npos) << messages.texts()[3];
    EXPECT_EQ(messages.texts()[4], "生成完毕");

    const auto db = jet::Database::open(result.file);
    EXPECT_EQ(db.tableNames(), (std::vector<std::string>{"订单", "客户", "kovel_login_lock"}));
    EXPECT_EQ(columnNames(db, "订单"), (std::vector<std::string>{"金额"}));
    EXPECT_EQ(result.statementLog.find("a b"), std::string::npos) << "the log holds what the file holds";
    (void)fine;
}

TEST(DatabaseGenerator, RepeatedNamesAreReportedInFieldOrderAgainstTheFirstKeptField) {
    DesignBuilder design;
    const auto project = design.project("P");
    const auto table = design.table(project, "T");
    design.field(table, makeField("Name"));
    design.field(table, makeField("a!"));
    design.field(table, makeField("NAME", "长整型"));
    design.field(table, makeField("id"));
    design.field(table, makeField("ｎａｍｅ", "自动编号"));
    design.field(table, makeField("备注1", "未知类型"));
    design.field(table, makeField("a!", "长整型"));

    TempFolder run;
    RecordedMessages messages;
    const auto result = generateDatabase(design.snapshot(), run.path(), project, messages);
    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{
                  "项目 P / 表 T / 字段 a!：名称含有 Jet 不允许的字符“!”，该字段未建立。",
                  "项目 P / 表 T / 字段 NAME：与字段 Name 在数据库中同名（不区分大小写），该字段未建立。",
                  "项目 P / 表 T / 字段 id：“id”是每个表已有的自动编号主键，只能用字段类型“自动编号”，该字段未建立。",
                  "项目 P / 表 T / 字段 ｎａｍｅ：与字段 Name 在数据库中同名（不区分大小写），该字段未建立。",
                  "项目 P / 表 T / 字段 备注1：字段类型“未知类型”没有对应的数据库类型，按文本 "
                  "VarChar(50) 建立。",
                  "项目 P / 表 T / 字段 a!：名称含有 Jet 不允许的字符“!”，该字段未建立。",
                  "生成完毕",
              }));
    EXPECT_EQ(result.statementLog,
              "create Table [T]([id] Counter PRIMARY KEY,[Name]  VarChar(50),[备注1]  VarChar(50))" + kFiveLineEnds);
    EXPECT_EQ(columnNames(jet::Database::open(result.file), "T"), (std::vector<std::string>{"Name", "备注1"}));
}

TEST(DatabaseGenerator, AnEmptyRegenerationStartsFromAnEmptyDatabaseAndKeepsTheOldOne) {
    TempFolder run;
    DesignBuilder design;
    RecordedMessages messages;
    const auto first = generateDatabase(design.snapshot(), run.path(), 4, messages);
    {
        auto db = jet::Database::open(first.file);
        db.insert("用户", {{"帐号", std::string("old")}});
        db.save(first.file);
    }
    DatabaseOptions empty;
    empty.existingRows = ExistingRows::Discard;
    const auto second = generateDatabase(design.snapshot(), run.path(), 4, messages, empty);
    EXPECT_EQ(jet::Database::open(second.keptCopy).rowCount("用户"), 1u);
    const auto db = jet::Database::open(second.file);
    EXPECT_EQ(db.tableNames(), (std::vector<std::string>{"用户", "收支", "消费类型", "流水帐", "kovel_login_lock"}));
    EXPECT_EQ(db.rowCount("用户"), 0u);
    EXPECT_EQ(first.statementLog, second.statementLog);
}

TEST(DatabaseGenerator, ProjectWithoutTablesGivesAnEmptyDatabase) {
    DesignBuilder design;
    const auto project = design.project("空项目");
    TempFolder run;
    RecordedMessages messages;
    const auto result = generateDatabase(design.snapshot(), run.path(), project, messages);
    EXPECT_EQ(result.statementLog, "");
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"生成完毕"});
    // Only the site's own login lock.
    EXPECT_EQ(jet::Database::open(result.file).tableNames(), (std::vector<std::string>{"kovel_login_lock"}));
}

TEST(DatabaseGenerator, UnwritableSiteIsReportedWithoutTheDoneMessage) {
    TempFolder run;
    std::ofstream(run.path() / "记账") << "a file where the site folder should be";
    DesignBuilder design;
    RecordedMessages messages;
    const auto result = generateDatabase(design.snapshot(), run.path(), 4, messages);
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_NE(messages.texts()[0].find("记账"), std::string::npos);
    EXPECT_TRUE(result.file.empty());
}

// The sample project read back by mdbtools, a reader we did not write.
TEST(DatabaseGenerator, SampleProjectAsMdbtoolsSeesIt) {
    if (std::system("command -v mdb-schema > /dev/null 2>&1") != 0) GTEST_SKIP() << "mdbtools is not installed";
    TempFolder run;
    DesignBuilder design;
    RecordedMessages messages;
    const auto result = generateDatabase(design.snapshot(), run.path(), 4, messages);
    const std::string command = "mdb-schema '" + result.file.string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string schema;
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) schema.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << schema;
    for (const char* expected :
         {"CREATE TABLE [用户]", "CREATE TABLE [收支]", "CREATE TABLE [消费类型]", "CREATE TABLE [流水帐]",
          "[排序]\t\t\tInteger", "[金额]\t\t\tSingle", "[日期]\t\t\tDateTime", "[一级分类]\t\t\tText (50)"})
        EXPECT_NE(schema.find(expected), std::string::npos) << expected << "\n" << schema;
}

}  // namespace
}  // namespace tabulon::generator
