// Reading files the Jet engine has changed (deleted and moved rows, many data
// pages, long values over several pages, reference page maps) and refusing
// damaged ones with a message that names the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "jet/byte_io.h"
#include "jet/page_size.h"
#include "jet/table_data.h"
#include "tests/jet/jet_edits.h"
#include "tests/jet/sample_data.h"

namespace tabulon::jet {
namespace {

using testing::JetEdits;
using testing::SampleTable;

// The hand-written sample plus a table of 1,500 rows over many data pages,
// every 50th with a memo that takes a chain of long-value pages.
std::vector<SampleTable> manyPagesSample() {
    auto tables = testing::handWrittenSample();
    SampleTable ledger{{"流水",
                        {{"摘要", ColumnType::Text},
                         {"金额", ColumnType::Numeric, 50, 6, 2},
                         {"说明", ColumnType::Memo},
                         {"日期", ColumnType::DateTime}}},
                       {}};
    for (int i = 1; i <= 1500; ++i) {
        ledger.rows.push_back({"第" + std::to_string(i) + "笔", std::to_string(i % 9999) + ".25",
                               i % 50 == 0 ? Value(std::string(9000 + i, static_cast<char>('a' + i % 26))) : Value(),
                               DateTime{2020, 1 + i % 12, 1 + i % 28, i % 24, i % 60, i % 60}});
    }
    tables.push_back(ledger);
    return tables;
}

// The rows of every table by id, as the writer holds them.
std::map<std::string, std::map<std::int32_t, std::vector<Value>>> expectedRows(const Database& db) {
    std::map<std::string, std::map<std::int32_t, std::vector<Value>>> out;
    for (const auto& table : db.tableNames()) {
        out[table];
        for (auto& row : db.rows(table)) out[table][row.id] = row.values;
    }
    return out;
}

std::map<std::string, std::map<std::int32_t, std::vector<Value>>> readRows(const std::string& file) {
    std::map<std::string, std::map<std::int32_t, std::vector<Value>>> out;
    for (const DataTable& table : readFileData(file).tables) {
        auto& rows = out[table.name];
        for (const auto& row : table.rows) {
            const auto id = static_cast<std::int32_t>(std::get<std::int64_t>(row.at(0)));
            EXPECT_TRUE(rows.emplace(id, std::vector<Value>(row.begin() + 1, row.end())).second)
                << "id " << id << " twice";
        }
    }
    return out;
}

TEST(JetChangedFiles, DeletedAndMovedRowsOnManyPagesWithReferenceMaps) {
    const Database db = testing::buildDatabase(manyPagesSample());
    auto expected = expectedRows(db);
    JetEdits edits(db.bytes());
    ASSERT_GT(edits.dataPages("流水").size(), 5u);
    for (std::int32_t id : {1, 2, 700, 1499, 1500}) {
        edits.deleteRow("流水", id);
        expected["流水"].erase(id);
    }
    for (std::int32_t id : {3, 100, 750, 1000}) edits.moveRow("流水", id);  // 100, 1000 carry chained memos
    edits.moveRow("产品信息", 2);
    edits.deleteRow("产品信息", 1);
    expected["产品信息"].erase(1);
    edits.useReferenceMap("流水");

    const auto read = readRows(edits.bytes());
    for (const auto& [table, rows] : expected) {
        ASSERT_TRUE(read.count(table)) << table;
        EXPECT_EQ(read.at(table).size(), rows.size()) << table;
        for (const auto& [id, values] : rows) {
            ASSERT_TRUE(read.at(table).count(id)) << table << " id " << id;
            EXPECT_EQ(read.at(table).at(id), values) << table << " id " << id;
        }
    }
    EXPECT_EQ(read.size(), expected.size());
    std::size_t total = 0;
    for (const auto& [name, rows] : expected) total += rows.size();
    EXPECT_EQ(countRows(edits.bytes()), total);
    // The file this writer keeps as its own reads the same rows.
    const Database reread = Database::fromBytes(edits.bytes());
    EXPECT_EQ(expectedRows(reread), expected);
}

TEST(JetChangedFiles, CounterAndColumnsComeWithTheRows) {
    const Database db = testing::buildDatabase(manyPagesSample());
    JetEdits edits(db.bytes());
    edits.deleteRow("流水", 1500);
    const FileData data = readFileData(edits.bytes());
    const auto ledger = std::find_if(data.tables.begin(), data.tables.end(), [](auto& t) { return t.name == "流水"; });
    ASSERT_NE(ledger, data.tables.end());
    EXPECT_EQ(ledger->counterColumn(), 0);
    EXPECT_EQ(ledger->lastAutoNumber, 1500u);  // the deleted row's id stays used
    EXPECT_EQ(ledger->rows.size(), 1499u);
    ASSERT_EQ(ledger->columns.size(), 5u);
    EXPECT_EQ(ledger->columns[2].type, JetType::Numeric);
    EXPECT_EQ(ledger->columns[2].precision, 6);
    EXPECT_TRUE(data.otherObjects.empty());
}

class DamagedFiles : public ::testing::Test {
protected:
    void SetUp() override {
        db_ = std::make_unique<Database>(testing::buildDatabase(manyPagesSample()));
        edits_ = std::make_unique<JetEdits>(db_->bytes());
    }
    std::string refusal(const std::string& file) {
        try {
            readFileData(file);
        } catch (const Error& e) {
            // The strict reader refuses the same file.
            EXPECT_THROW(Database::fromBytes(file), Error);
            return e.what();
        }
        ADD_FAILURE() << "a damaged file was read";
        return "";
    }
    std::size_t pageStart(std::uint32_t page) const { return static_cast<std::size_t>(page) * kPageSize; }

    std::unique_ptr<Database> db_;
    std::unique_ptr<JetEdits> edits_;
};

TEST_F(DamagedFiles, RowCountPastThePageNamesThePage) {
    std::string file = edits_->bytes();
    const std::uint32_t page = edits_->dataPages("流水").at(1);
    setU16(&file[pageStart(page) + 12], 0x7FFF);
    EXPECT_NE(refusal(file).find("第 " + std::to_string(page) + " 页"), std::string::npos) << refusal(file);
}

TEST_F(DamagedFiles, SlotOffsetsOutsideThePage) {
    std::string file = edits_->bytes();
    const std::uint32_t page = edits_->dataPages("流水").at(0);
    setU16(&file[pageStart(page) + 14 + 2 * 3], 0x1FF0);  // past the end of the page
    EXPECT_NE(refusal(file).find("第 " + std::to_string(page) + " 页"), std::string::npos);
    file = edits_->bytes();
    setU16(&file[pageStart(page) + 14 + 2 * 3], 0x0004);  // inside the header
    refusal(file);
}

TEST_F(DamagedFiles, LongValueChainThatLoopsBack) {
    // Find a chained memo piece and point it at itself.
    std::string file = edits_->bytes();
    bool looped = false;
    for (std::uint32_t page = 16; page < file.size() / kPageSize && !looped; ++page) {
        const std::size_t at = pageStart(page);
        if (file[at] != 0x01 || getU32(file, at + 4) != 0x4C41564C) continue;
        const std::size_t rowStart = getU16(file, at + 14) & 0x1FFF;
        if (getU32(file, at + rowStart) == 0) continue;  // last piece
        setU32(&file[at + rowStart], rowPointer(page, 0));
        looped = true;
    }
    ASSERT_TRUE(looped);
    EXPECT_NE(refusal(file).find("绕回"), std::string::npos);
}

TEST_F(DamagedFiles, ChainsOfDefinitionPagesAndMapsOutsideTheFile) {
    std::string file = edits_->bytes();
    const std::uint32_t tdef = edits_->tdefPage("流水");
    setU32(&file[pageStart(tdef) + 4], tdef);  // the definition continues on itself
    EXPECT_NE(refusal(file).find("绕回"), std::string::npos);

    file = edits_->bytes();
    edits_->useReferenceMap("流水");
    file = edits_->bytes();
    const std::uint32_t last = static_cast<std::uint32_t>(file.size() / kPageSize - 1);
    file.resize(file.size() - kPageSize);  // the bitmap page is gone
    EXPECT_NE(refusal(file).find("第 " + std::to_string(last) + " 页"), std::string::npos);
}

TEST_F(DamagedFiles, StructuresTheReaderDoesNotKnow) {
    std::string file = edits_->bytes();
    const std::uint32_t tdef = edits_->tdefPage("流水");
    // The first column block starts after the 63-byte header and one 12-byte index count.
    file[pageStart(tdef) + 63 + 12 + 25] = 0x13;
    EXPECT_NE(refusal(file).find("0x13"), std::string::npos);

    file = edits_->bytes();
    file[edits_->ownedMapOffset("流水")] = 0x07;
    EXPECT_NE(refusal(file).find("未知的页面映射类型"), std::string::npos);

    file = edits_->bytes();
    std::string truncated = file.substr(0, file.size() - 100);
    EXPECT_NE(refusal(truncated).find("页长"), std::string::npos);
    file[0x14] = 2;  // an ACE file
    EXPECT_NE(refusal(file).find("Jet 4"), std::string::npos);
}

}  // namespace
}  // namespace tabulon::jet
