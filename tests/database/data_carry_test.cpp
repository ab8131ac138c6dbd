// ② on a site whose data.mdb already holds rows: the old file is kept as a dated copy,
// its rows come over into the new design, and what cannot come over is reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "generator/database/database_generator.h"
#include "generator/login/login_generator.h"
#include "generator/site_sink.h"
#include "jet/database.h"
#include "jet/table_data.h"
#include "tests/jet/jet_edits.h"
#include "tests/support/design_builder.h"
#include "tests/support/disk_database.h"
#include "tests/support/temp_folder.h"

namespace tabulon::generator {
namespace {

namespace fs = std::filesystem;
using testing::DesignBuilder;
using testing::generateDatabase;
using testing::makeField;
using testing::readFile;
using testing::TempFolder;

std::tm at(int hour, int minute, int second) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 7;
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = second;
    return when;
}

DatabaseOptions fixedClock(ExistingRows rows = ExistingRows::Keep) {
    DatabaseOptions options;
    options.existingRows = rows;
    options.now = [] { return at(15, 30, 0); };
    return options;
}

// Version 1 of a design: 用户 (帐号, 密码, 年龄, 备注) and 旧表 (名称).
struct FirstDesign {
    DesignBuilder design;
    catalogue::Id project = design.project("网站");
    FirstDesign() {
        const auto users = design.table(project, "用户");
        design.field(users, makeField("帐号"));
        design.field(users, makeField("密码"));
        design.field(users, makeField("年龄", "长整型"));
        design.field(users, makeField("备注"));
        design.field(design.table(project, "旧表"), makeField("名称"));
    }
};

class CarryOver : public ::testing::Test {
protected:
    fs::path site() const { return run.path() / "网站"; }
    fs::path file() const { return site() / "data" / "data.mdb"; }

    DatabaseResult generate(DesignBuilder& design, catalogue::Id project, const DatabaseOptions& options) {
        messages.clear();
        return generateDatabase(design.snapshot(), run.path(), project, messages, options);
    }
    std::string allMessages() const {
        std::string text;
        for (const auto& m : messages.texts()) text += m + "\n";
        return text;
    }
    // The first design, written and given rows the way the site's pages add them.
    void siteInUse() {
        FirstDesign first;
        generate(first.design, first.project, fixedClock());
        auto db = jet::Database::open(file());
        db.insert("用户", {{"帐号", std::string("甲")},
                           {"密码", std::string("1")},
                           {"年龄", std::int64_t{30}},
                           {"备注", std::string("老用户")}});
        db.insert("用户", {{"帐号", std::string("乙")}, {"密码", std::string("2")}, {"年龄", std::int64_t{300}}});
        db.insert("用户", {{"帐号", std::string("丙")}, {"年龄", std::int64_t{-5}}});
        db.insert("旧表", {{"名称", std::string("留在副本中")}});
        db.save(file());
    }

    TempFolder run;
    RecordedMessages messages;
};

TEST_F(CarryOver, SameDesignKeepsEveryRowAndADatedCopy) {
    siteInUse();
    const std::string before = readFile(file());
    FirstDesign again;
    const auto result = generate(again.design, again.project, fixedClock());
    EXPECT_EQ(result.problems, 0u) << allMessages();
    EXPECT_EQ(result.keptCopy, site() / "data" / "data-20261207-153000.mdb");
    EXPECT_EQ(readFile(result.keptCopy), before);
    EXPECT_EQ(messages.texts().back(), "生成完毕");
    EXPECT_NE(allMessages().find("原数据库已保留为 " + result.keptCopy.string()), std::string::npos);
    EXPECT_NE(allMessages().find("表 用户：带入 3 行。"), std::string::npos) << allMessages();
    EXPECT_FALSE(result.carried->leftSomethingBehind());

    const auto db = jet::Database::open(file());
    const auto rows = db.rows("用户");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].id, 3);
    EXPECT_EQ(rows[0].values,
              (std::vector<jet::Value>{std::string("甲"), std::string("1"), std::int64_t{30}, std::string("老用户")}));
    EXPECT_EQ(db.rows("旧表").size(), 1u);

    // A second run in the same second keeps a second copy and leaves the first alone.
    const auto second = generate(again.design, again.project, fixedClock());
    EXPECT_EQ(second.keptCopy, site() / "data" / "data-20261207-153000-2.mdb");
    EXPECT_EQ(readFile(result.keptCopy), before);
    EXPECT_EQ(jet::Database::open(file()).rows("用户").size(), 3u);
}

// The site's login lock is not part of the design: its counts go along with every
// regeneration without a line in the report, and a file from before it existed gets it.
TEST_F(CarryOver, TheLoginLockIsCarriedWithoutAWord) {
    siteInUse();
    {
        auto db = jet::Database::open(file());
        db.insert("kovel_login_lock", {{"account", std::string("甲")},
                                       {"failures", std::int64_t{5}},
                                       {"last_failure", jet::DateTime{2026, 12, 7, 15, 0, 0}}});
        db.save(file());
    }
    FirstDesign again;
    const auto result = generate(again.design, again.project, fixedClock());
    EXPECT_EQ(result.problems, 0u) << allMessages();
    EXPECT_EQ(allMessages().find("kovel_login_lock"), std::string::npos) << allMessages();
    const auto rows = jet::Database::open(file()).rows("kovel_login_lock");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].values[0], jet::Value{std::string("甲")});
    EXPECT_EQ(rows[0].values[1], jet::Value{std::int64_t{5}});
}

TEST_F(CarryOver, DesignChangesAreReportedTableByTableAndColumnByColumn) {
    siteInUse();
    // Version 2: 年龄 narrowed to a byte, 密码 renamed 口令, 备注 removed, 电话 added,
    // 旧表 removed, 新表 added.
    DesignBuilder design;
    const auto project = design.project("网站");
    const auto users = design.table(project, "用户");
    design.field(users, makeField("帐号"));
    design.field(users, makeField("年龄", "字节型"));
    design.field(users, makeField("口令"));
    design.field(users, makeField("电话"));
    design.field(design.table(project, "新表"), makeField("x"));
    const auto result = generate(design, project, fixedClock());
    const std::string text = allMessages();

    EXPECT_NE(text.find("表 用户：带入 3 行。"), std::string::npos) << text;
    EXPECT_NE(text.find("表 用户 / 字段 密码：设计中已没有此字段，2 个值未带入（例如 id=1）。"), std::string::npos)
        << text;
    EXPECT_NE(text.find("表 用户 / 字段 备注：设计中已没有此字段，1 个值未带入（例如 id=1）。"), std::string::npos)
        << text;
    EXPECT_NE(text.find("表 用户 / 字段 年龄：2 个值不能准确转换为新类型，在新文件中为空（例如 id=2："),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("表 用户 / 字段 口令：新字段"), std::string::npos) << text;
    EXPECT_NE(text.find("表 用户 / 字段 电话：新字段"), std::string::npos) << text;
    EXPECT_NE(text.find("表 旧表：设计中已没有此表，其 1 行未带入。"), std::string::npos) << text;
    EXPECT_NE(text.find("未带入的数据仍在保留的副本中。"), std::string::npos);

    const auto db = jet::Database::open(file());
    EXPECT_FALSE(db.hasTable("旧表"));
    EXPECT_EQ(db.rows("新表").size(), 0u);
    const auto rows = db.rows("用户");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].values, (std::vector<jet::Value>{std::string("甲"), std::int64_t{30}, {}, {}}));
    EXPECT_EQ(rows[1].values[1], jet::Value{});  // 300 does not fit a byte
    EXPECT_EQ(rows[2].values[1], jet::Value{});  // nor does -5

    // What did not come over is still in the kept copy.
    const auto kept = jet::readFileData(readFile(result.keptCopy));
    ASSERT_EQ(kept.tables.size(), 3u) << "the two designed tables and the site's login lock";
    EXPECT_EQ(kept.tables[0].rows[1][2], jet::Value{std::string("2")});
    EXPECT_EQ(kept.tables[1].rows[0][1], jet::Value{std::string("留在副本中")});
}

TEST_F(CarryOver, CountersContinueAfterTheHighestIdEvenOfDeletedRows) {
    siteInUse();
    jet::testing::JetEdits edits(readFile(file()));
    edits.deleteRow("用户", 3);
    edits.moveRow("用户", 1);
    std::ofstream(file(), std::ios::binary) << edits.bytes();

    FirstDesign again;
    generate(again.design, again.project, fixedClock());
    auto db = jet::Database::open(file());
    const auto rows = db.rows("用户");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].id, 1);
    EXPECT_EQ(rows[0].values[0], jet::Value{std::string("甲")});
    EXPECT_EQ(rows[1].id, 2);
    EXPECT_EQ(db.insert("用户", {{"帐号", std::string("丁")}}), 4);
}

TEST_F(CarryOver, ADamagedFileIsRefusedAndLeftAsItWas) {
    siteInUse();
    std::string damaged = readFile(file());
    // Every data page claims a row count far past its end.
    for (std::uint32_t page = 16; page < damaged.size() / 4096; ++page) {
        if (damaged[page * 4096] == 0x01) {
            damaged[page * 4096 + 12] = '\x7F';
            damaged[page * 4096 + 13] = '\x7F';
        }
    }
    std::ofstream(file(), std::ios::binary) << damaged;

    FirstDesign again;
    const auto result = generate(again.design, again.project, fixedClock());
    EXPECT_EQ(result.problems, 1u);
    EXPECT_TRUE(result.file.empty());
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_NE(messages.texts()[0].find("无法读取"), std::string::npos);
    EXPECT_NE(messages.texts()[0].find("页"), std::string::npos) << messages.texts()[0];
    EXPECT_EQ(readFile(file()), damaged);
    EXPECT_FALSE(fs::exists(site() / "data" / "data-20261207-153000.mdb"));

    // Regenerating empty is the way out; the damaged file is kept as the copy.
    const auto empty = generate(again.design, again.project, fixedClock(ExistingRows::Discard));
    EXPECT_EQ(empty.problems, 0u);
    EXPECT_EQ(readFile(empty.keptCopy), damaged);
    EXPECT_EQ(jet::Database::open(file()).rows("用户").size(), 0u);
}

TEST_F(CarryOver, InspectionCountsRowsForTheQuestion) {
    EXPECT_FALSE(inspectExistingDatabase(run.path(), "网站").exists);
    siteInUse();
    const auto existing = inspectExistingDatabase(run.path(), "网站");
    EXPECT_TRUE(existing.exists);
    EXPECT_EQ(existing.rows, 4u);
    EXPECT_FALSE(existing.problem);
    std::ofstream(file(), std::ios::binary) << "not a database";
    EXPECT_TRUE(inspectExistingDatabase(run.path(), "网站").problem);
}

TEST_F(CarryOver, TheLoginStepFindsACarriedAccount) {
    DesignBuilder design;  // the sample project 记账 with its login marks
    messages.clear();
    generateDatabase(design.snapshot(), run.path(), 4, messages, fixedClock());
    FileSink sink;
    EXPECT_TRUE(generateLogin(design.snapshot(), run.path(), 4, sink, messages).accountAdded);
    generateDatabase(design.snapshot(), run.path(), 4, messages, fixedClock());
    EXPECT_FALSE(generateLogin(design.snapshot(), run.path(), 4, sink, messages).accountAdded);
    const auto users = jet::Database::open(run.path() / "记账" / "data" / "data.mdb").rows("用户");
    EXPECT_EQ(users.size(), 1u);
}

TEST_F(CarryOver, TheStatementLogLeavesTheWebRoot) {
    FirstDesign first;
    const auto result = generate(first.design, first.project, fixedClock());
    EXPECT_EQ(schemaLogPath(run.path(), "网站"), run.path() / "网站-schema.sql");
    EXPECT_TRUE(fs::exists(run.path() / "网站-schema.sql"));
    EXPECT_FALSE(fs::exists(site() / "data" / "schema.sql"));
    EXPECT_FALSE(result.statementLog.empty());
}

}  // namespace
}  // namespace tabulon::generator
