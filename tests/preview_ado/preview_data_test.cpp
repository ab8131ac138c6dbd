// The working copy against data.mdb: it follows a new design with its own rows, and its rows
// are written back into data.mdb through our Jet writer, a dated copy kept first.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "base/error.h"
#include "jet/table_data.h"
#include "preview/workcopy/preview_data.h"
#include "preview/workcopy/read_back.h"
#include "working_copy_fixture.h"

namespace tabulon::testing {
namespace {

namespace fs = std::filesystem;

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const jet::DataTable& tableOf(const jet::FileData& data, const std::string& name) {
    for (const auto& table : data.tables)
        if (table.name == name) return table;
    throw std::runtime_error("no table " + name);
}

std::vector<fs::path> keptCopies(const fs::path& folder) {
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("data-")) kept.push_back(entry.path());
    return kept;
}

// A later data.mdb always gets a later file time, also on coarse clocks.
void saveLater(const jet::Database& db, const fs::path& mdb) {
    const auto before = fs::last_write_time(mdb);
    db.save(mdb);
    if (fs::last_write_time(mdb) <= before) fs::last_write_time(mdb, before + std::chrono::seconds(1));
}

class PreviewData : public ::testing::Test {
protected:
    void SetUp() override { preview::reloadWorkingCopy(copy.mdb(), copy.copy()); }
    WorkingCopy copy;
};

TEST_F(PreviewData, RowsEnteredInThePreviewAreWrittenBackWithAKeptCopy) {
    EXPECT_FALSE(preview::holdsNewerData(copy.copy()));
    const std::string before = bytesOf(copy.mdb());
    copy.connect()->execute("insert into 用户 (帐号, 密码) values ('预览里加的', 'p')");
    copy.connect()->execute("update 流水帐 set 金额=99.5 where id=2");
    EXPECT_TRUE(preview::holdsNewerData(copy.copy()));

    const auto result = preview::writeBack(copy.mdb(), copy.copy());
    EXPECT_EQ(result.rows, 7u);
    EXPECT_EQ(bytesOf(result.keptCopy), before);
    EXPECT_FALSE(preview::holdsNewerData(copy.copy()));
    EXPECT_FALSE(preview::designChanged(copy.mdb(), copy.copy()));

    const auto data = jet::readFileData(bytesOf(copy.mdb()));
    const auto& users = tableOf(data, "用户");
    ASSERT_EQ(users.rows.size(), 3u);
    EXPECT_EQ(std::get<std::string>(users.rows[2][1]), "预览里加的");
    EXPECT_EQ(std::get<std::int64_t>(users.rows[2][0]), 3);  // ids kept and counted on
    const auto& ledger = tableOf(data, "流水帐");
    ASSERT_EQ(ledger.rows.size(), 4u);
    // Every type comes back as it went in: text, single, dates, numeric, memo, yes/no.
    const auto original = jet::readFileData(before);
    const auto& old = tableOf(original, "流水帐");
    for (std::size_t row = 0; row < 4; ++row)
        for (std::size_t column = 0; column < old.rows[row].size(); ++column)
            if (!(row == 1 && old.columns[column].name == "金额"))
                EXPECT_EQ(ledger.rows[row][column], old.rows[row][column]) << row << " " << old.columns[column].name;

    // The same write-back twice: nothing doubled, and the first kept copy is not overwritten.
    const auto again = preview::writeBack(copy.mdb(), copy.copy());
    EXPECT_NE(again.keptCopy, result.keptCopy);
    EXPECT_EQ(jet::readFileData(bytesOf(copy.mdb())).rowCount(), data.rowCount());
    EXPECT_EQ(keptCopies(copy.mdb().parent_path()).size(), 2u);
}

TEST_F(PreviewData, WrittenBackRowsAreReadByMdbtools) {
    if (std::system("command -v mdb-export >/dev/null 2>&1") != 0) GTEST_SKIP() << "mdbtools is not installed";
    copy.connect()->execute("insert into 用户 (帐号, 密码) values ('mdbtools', 'x')");
    preview::writeBack(copy.mdb(), copy.copy());
    const fs::path out = copy.folder() / "users.csv";
    const std::string command = "mdb-export '" + copy.mdb().string() + "' 用户 > '" + out.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string csv = bytesOf(out);
    EXPECT_NE(csv.find("\"mdbtools\""), std::string::npos) << csv;
    EXPECT_NE(csv.find("\"vokra\""), std::string::npos) << csv;
}

TEST_F(PreviewData, TheCopyFollowsANewDesignWithItsOwnRows) {
    copy.connect()->execute("insert into 用户 (帐号, 密码) values ('预览', 'p')");
    // ② adds a column to 用户 and drops 空表; the file holds only its old two users.
    auto redesigned = jet::Database::createEmpty();
    redesigned.execute(
        "create Table 流水帐([id] Counter PRIMARY KEY,[名称]  VarChar(10),[金额]  real,[数量]  short,"
        "[等级]  byte,[总数]  integer,[价格]  double,[小计]  NUMERIC(6,2),[日期]  datetime,[备注]  memo,"
        "[已付]  bit)");
    redesigned.execute(
        "create Table 用户([id] Counter PRIMARY KEY,[帐号]  VarChar(50),[密码]  VarChar(50),[电话]  "
        "VarChar(50))");
    saveLater(redesigned, copy.mdb());
    ASSERT_TRUE(preview::designChanged(copy.mdb(), copy.copy()));

    const auto lines = preview::followDesign(copy.mdb(), copy.copy());
    EXPECT_FALSE(preview::designChanged(copy.mdb(), copy.copy()));
    EXPECT_FALSE(lines.empty());
    // The add page's insert with the new column works, and the preview's row is still there.
    copy.connect()->execute("insert into 用户 (帐号, 密码, 电话) values ('新', 'n', '123')");
    const auto data = preview::readWorkingCopy(copy.copy());
    const auto& users = tableOf(data, "用户");
    ASSERT_EQ(users.rows.size(), 4u);
    EXPECT_EQ(std::get<std::string>(users.rows[2][1]), "预览");
    EXPECT_EQ(std::get<std::string>(users.rows[3][3]), "123");
    EXPECT_EQ(tableOf(data, "流水帐").rows.size(), 4u);
    // Rows the pages wrote are still newer than the file until they are written back.
    EXPECT_TRUE(preview::holdsNewerData(copy.copy()));
}

TEST_F(PreviewData, ReloadTakesTheFileAfresh) {
    copy.connect()->execute("delete from 用户");
    preview::reloadWorkingCopy(copy.mdb(), copy.copy());
    EXPECT_EQ(tableOf(preview::readWorkingCopy(copy.copy()), "用户").rows.size(), 2u);
    EXPECT_FALSE(preview::holdsNewerData(copy.copy()));
}

TEST_F(PreviewData, WithoutAWorkingCopyNothingIsTouched) {
    const std::string before = bytesOf(copy.mdb());
    fs::remove(copy.copy());
    EXPECT_THROW(preview::writeBack(copy.mdb(), copy.copy()), Error);
    EXPECT_EQ(bytesOf(copy.mdb()), before);
    EXPECT_TRUE(keptCopies(copy.mdb().parent_path()).empty());
}

}  // namespace
}  // namespace tabulon::testing
