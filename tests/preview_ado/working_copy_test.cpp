// Seeding the working copy from a Jet file, and the connection strings that name it.
#include <gtest/gtest.h>

#include <fstream>

#include "base/error.h"
#include "tests/preview_ado/working_copy_fixture.h"

namespace tabulon::testing {
namespace {

std::vector<std::int64_t> ids(ado::Connection& conn, const std::string& table) {
    auto rs = conn.open("select id from " + table + " order by id", ado::adOpenStatic, ado::adLockReadOnly);
    std::vector<std::int64_t> result;
    for (; !rs->eof(); rs->moveNext()) result.push_back(rs->value(0).integer);
    return result;
}

TEST(WorkingCopySeed, KeepsEveryTableRowAndId) {
    WorkingCopy copy;
    auto conn = copy.connect();
    EXPECT_EQ(ids(*conn, "流水帐"), (std::vector<std::int64_t>{1, 2, 3, 4}));
    EXPECT_EQ(ids(*conn, "用户"), (std::vector<std::int64_t>{1, 2}));
    auto empty = conn->open("select * from 空表", ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(empty->recordCount(), 0);
    ASSERT_EQ(empty->fields().size(), 2u);
    EXPECT_EQ(empty->fields()[1].name, "说明");

    auto rs = conn->open("select * from 流水帐 where id=3", ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(at(*rs, "名称").text, "午餐");
    EXPECT_EQ(at(*rs, "备注").text, "备注 午餐");
    EXPECT_EQ(at(*rs, "总数").integer, 2000);
    EXPECT_EQ(at(*rs, "已付").kind, ado::Value::Kind::Boolean);
    EXPECT_TRUE(at(*rs, "已付").boolean);
}

TEST(WorkingCopySeed, RecordsEachColumnsJetType) {
    WorkingCopy copy;
    auto conn = copy.connect();
    auto rs = conn->open("select * from 流水帐", ado::adOpenStatic, ado::adLockReadOnly);
    const auto& fields = rs->fields();
    ASSERT_EQ(fields.size(), 11u);
    EXPECT_EQ(fields[0].type, ado::JetType::Counter);
    EXPECT_FALSE(fields[0].nullable);
    EXPECT_EQ(fields[1].type, ado::JetType::Text);
    EXPECT_EQ(fields[1].definedSize, 10);
    EXPECT_EQ(fields[2].type, ado::JetType::Single);
    EXPECT_EQ(fields[3].type, ado::JetType::Short);
    EXPECT_EQ(fields[4].type, ado::JetType::Byte);
    EXPECT_EQ(fields[5].type, ado::JetType::Long);
    EXPECT_EQ(fields[6].type, ado::JetType::Double);
    EXPECT_EQ(fields[7].type, ado::JetType::Numeric);
    EXPECT_EQ(fields[8].type, ado::JetType::DateTime);
    EXPECT_EQ(fields[9].type, ado::JetType::Memo);
    EXPECT_EQ(fields[10].type, ado::JetType::Boolean);
}

// 货币, 长文本 and 二进制 columns: a currency reads back with four decimals and takes a
// page's value; bytes stay in the copy, a page never gets them and cannot write them.
TEST(WorkingCopySeed, LaterColumnTypesSeedAndBehaveLikeJet) {
    jet::Database db = jet::Database::createEmpty();
    db.createTable({"商品",
                    {{"单价", jet::ColumnType::Currency},
                     {"说明", jet::ColumnType::Text, 255},
                     {"照片", jet::ColumnType::LongBinary}}});
    db.insert(
        "商品",
        {{"单价", std::string("12.3456")}, {"说明", std::string(255, 'x')}, {"照片", std::string("\x89PNG\0", 5)}});
    WorkingCopy copy(db);
    auto conn = copy.connect();
    auto rs = conn->open("select * from 商品", ado::adOpenStatic, ado::adLockOptimistic);
    const auto& fields = rs->fields();
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[1].type, ado::JetType::Currency);
    EXPECT_EQ(fields[2].type, ado::JetType::Text);
    EXPECT_EQ(fields[2].definedSize, 255);
    EXPECT_EQ(fields[3].type, ado::JetType::Binary);
    EXPECT_EQ(at(*rs, "单价").kind, ado::Value::Kind::Decimal);
    EXPECT_EQ(at(*rs, "单价").text, "12.3456");
    EXPECT_EQ(at(*rs, "说明").text.size(), 255u);
    EXPECT_EQ(at(*rs, "照片").kind, ado::Value::Kind::Null);

    rs->setValue(rs->fieldIndex("单价"), text("7.12349"));
    rs->update();
    auto again = conn->open("select 单价 from 商品", ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(at(*again, "单价").text, "7.1235");
    EXPECT_THROW(rs->setValue(rs->fieldIndex("照片"), text("bytes")), ado::AdoError);
}

TEST(WorkingCopySeed, CounterContinuesAfterTheHighestId) {
    WorkingCopy copy;
    auto conn = copy.connect();
    conn->execute("delete from 流水帐 where id=4");
    auto rs = conn->open("select * from 流水帐", ado::adOpenStatic, ado::adLockOptimistic);
    rs->addNew();
    rs->setValue(rs->fieldIndex("名称"), text("新"));
    rs->update();
    EXPECT_EQ(at(*rs, "id").integer, 5);  // an id once given is never given again, as in Jet
}

TEST(WorkingCopySeed, UnreadableFileNamesItAndLeavesTheOldCopy) {
    WorkingCopy copy;
    const auto before = readFile(copy.copy());
    const auto broken = copy.folder() / "broken.mdb";
    std::ofstream(broken) << "this is no Jet file";
    try {
        preview::seedWorkingCopy(broken, copy.copy());
        FAIL() << "a broken file was seeded";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find(broken.string()), std::string::npos) << error.what();
    }
    try {
        preview::seedWorkingCopy(copy.folder() / "missing.mdb", copy.copy());
        FAIL() << "a missing file was seeded";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("missing.mdb"), std::string::npos) << error.what();
    }
    EXPECT_EQ(readFile(copy.copy()), before);
    for (const auto& entry : std::filesystem::directory_iterator(copy.copy().parent_path())) {
        EXPECT_EQ(entry.path(), copy.copy()) << "left behind: " << entry.path();
    }
}

TEST(WorkingCopySeed, ReseedingReplacesTheUsersChanges) {
    WorkingCopy copy;
    copy.connect()->execute("delete from 用户");
    preview::seedWorkingCopy(copy.mdb(), copy.copy());
    EXPECT_EQ(ids(*copy.connect(), "用户").size(), 2u);
}

TEST(WorkingCopyOpen, MissingOrForeignFilesFailLikeJet) {
    TempFolder folder;
    const auto missing = (folder.path() / "none.sqlite").string();
    EXPECT_EQ(hresultOf([&] { ado::openWorkingCopy(missing); }), 0x80004005u);
    EXPECT_FALSE(std::filesystem::exists(missing)) << "opening must not create the file";
    const auto foreign = folder.path() / "foreign.sqlite";
    std::ofstream(foreign) << "not a database";
    EXPECT_EQ(hresultOf([&] { ado::openWorkingCopy(foreign.string()); }), 0x80004005u);
}

TEST(DataSource, ReadsTheSkeletonsConnectionStrings) {
    EXPECT_EQ(ado::dataSourceOf("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\data\\data.mdb"),
              "C:\\site\\data\\data.mdb");
    EXPECT_EQ(ado::dataSourceOf("provider=microsoft.jet.oledb.4.0; data source = Z:\\a b\\data.mdb ;Persist "
                                "Security Info=False"),
              "Z:\\a b\\data.mdb");
    EXPECT_EQ(ado::dataSourceOf("Driver={Microsoft Access Driver (*.mdb)};DBQ=C:\\x\\data.mdb;Uid=;Pwd="),
              "C:\\x\\data.mdb");
    EXPECT_EQ(ado::dataSourceOf("Data Source=\"C:\\odd;name\\data.mdb\";Mode=Share Deny None"),
              "C:\\odd;name\\data.mdb");
    EXPECT_EQ(ado::dataSourceOf("Provider=Microsoft.Jet.OLEDB.4.0"), "");
    EXPECT_EQ(ado::dataSourceOf(""), "");
}

}  // namespace
}  // namespace tabulon::testing
