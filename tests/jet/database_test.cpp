// The Database facade: creating, inserting, reopening, saving, and whole-file
// invariants checked with the page walkers.
#include <gtest/gtest.h>

#include <fstream>

#include "jet/byte_io.h"
#include "jet/data_page.h"
#include "jet/database.h"
#include "jet/page_size.h"
#include "jet/long_value.h"
#include "jet/row.h"
#include "jet/system_tables.h"
#include "jet/tdef.h"
#include "jet/usage_map.h"
#include "tests/jet/sample_data.h"

namespace tabulon::jet {
namespace {

using testing::buildDatabase;
using testing::handWrittenSample;
using testing::randomDesign;

void expectSameRows(const Database& db, const std::vector<testing::SampleTable>& tables) {
    for (const auto& table : tables) {
        const auto rows = db.rows(table.definition.name);
        ASSERT_EQ(rows.size(), table.rows.size()) << table.definition.name;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            EXPECT_EQ(rows[r].id, static_cast<std::int32_t>(r + 1));
            for (std::size_t c = 0; c < table.definition.columns.size(); ++c) {
                const Column& column = table.definition.columns[c];
                Value expected = table.rows[r][c];
                if (column.type == ColumnType::Single && std::holds_alternative<double>(expected)) {
                    expected = static_cast<double>(static_cast<float>(std::get<double>(expected)));
                }
                EXPECT_EQ(rows[r].values.at(c), expected)
                    << table.definition.name << "." << column.name << " row " << r;
            }
        }
    }
}

// Structural facts a reader relies on, checked over the whole file.
void expectConsistentFile(const std::string& file) {
    ASSERT_EQ(file.size() % kPageSize, 0u);
    const auto pages = static_cast<std::uint32_t>(file.size() / kPageSize);
    // Page 1: free pages are exactly those past the end of the file.
    const std::string_view globalPage(file.data() + kPageSize, kPageSize);
    const auto free = readPageMap(*data_page::row(globalPage, 0), file);
    ASSERT_FALSE(free.empty());
    EXPECT_EQ(free.front(), pages);

    const TableLayout objects = decodeTdef(readTdefBytes(file, catalog::kObjectsTdef));
    std::size_t catalogRows = 0;
    for (std::uint32_t page : readPageMap(data_page::rowAt(file, objects.ownedPages), file)) {
        EXPECT_EQ(getU32(file, page * kPageSize + 4), catalog::kObjectsTdef);
        catalogRows += data_page::rowCount(std::string_view(file).substr(page * kPageSize, kPageSize));
    }
    EXPECT_EQ(catalogRows, objects.rowCount);
}

TEST(Database, EmptyDatabaseHasOnlyTheSixteenSystemPages) {
    const Database db = Database::createEmpty();
    EXPECT_EQ(db.bytes().size(), 16 * kPageSize);
    EXPECT_TRUE(db.tableNames().empty());
    expectConsistentFile(db.bytes());
}

TEST(Database, KeepsRowsOfEveryTypeAndNumbersThem) {
    const auto sample = handWrittenSample();
    const Database db = buildDatabase(sample);
    EXPECT_EQ(db.tableNames(), (std::vector<std::string>{"产品信息", "Users", "空表"}));
    EXPECT_EQ(db.rowCount("产品信息"), 4u);
    expectSameRows(db, sample);
    expectConsistentFile(db.bytes());
}

TEST(Database, ReopenedFileGivesBackTheSameTablesRowsAndBytes) {
    for (std::uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        const auto design = randomDesign(seed);
        const Database db = buildDatabase(design);
        const Database reopened = Database::fromBytes(db.bytes());
        EXPECT_EQ(reopened.tableNames(), db.tableNames());
        for (const auto& table : design) EXPECT_EQ(reopened.table(table.definition.name), table.definition);
        expectSameRows(reopened, design);
        expectConsistentFile(db.bytes());
    }
}

TEST(Database, RewritingAReopenedFileReproducesItExactly) {
    const Database db = buildDatabase(handWrittenSample());
    Database reopened = Database::fromBytes(db.bytes());
    reopened.setCreationTime({2024, 5, 6, 7, 8, 9});
    reopened.createTable({"Later", {}});
    Database fresh = buildDatabase(handWrittenSample());
    fresh.createTable({"Later", {}});
    EXPECT_EQ(reopened.bytes(), fresh.bytes());
}

TEST(Database, InsertsIntoAReopenedFileTwiceContinuingTheIds) {
    testing::ScratchFolder folder;
    const auto path = folder.path() / "site.mdb";
    {
        Database db = Database::createEmpty();
        db.execute("create Table 用户([id] Counter PRIMARY KEY,[帐号]  VarChar(50),[密码]  VarChar(50))");
        db.save(path);
    }
    for (const char* account : {"admin", "admin2"}) {
        Database db = Database::open(path);
        db.insert("用户", {{"帐号", std::string(account)}, {"密码", std::string("secret")}});
        db.save(path);
    }
    const Database db = Database::open(path);
    const auto rows = db.rows("用户");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].id, 1);
    EXPECT_EQ(rows[1].id, 2);
    EXPECT_EQ(rows[0].values[0], Value(std::string("admin")));
    EXPECT_EQ(rows[1].values[0], Value(std::string("admin2")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "temporary file left behind";
}

TEST(Database, LongTablesSpillIntoNodePagesAndReferenceMaps) {
    Database db = Database::createEmpty();
    db.execute("create Table 流水([id] Counter PRIMARY KEY,[摘要]  VarChar(50),[金额]  double,[说明]  memo)");
    for (int i = 0; i < 20000; ++i) {
        db.insert("流水", {{"摘要", "第" + std::to_string(i) + "笔，" + std::string(40, '-')},
                           {"金额", i * 0.25},
                           {"说明", i % 500 == 0 ? std::string(6000, 'L') : std::string("ok")}});
    }
    const std::string& file = db.bytes();
    const TableLayout layout = decodeTdef(readTdefBytes(file, 16));
    EXPECT_EQ(data_page::rowAt(file, layout.ownedPages)[0], 0x01) << "owned pages need a reference map";
    EXPECT_EQ(file[layout.realIndexes[0].rootPage * kPageSize], 0x03) << "the key root is a node page";

    const Database reopened = Database::fromBytes(file);
    const auto rows = reopened.rows("流水");
    ASSERT_EQ(rows.size(), 20000u);
    EXPECT_EQ(rows.back().id, 20000);
    EXPECT_EQ(rows[19999].values[0], Value("第19999笔，" + std::string(40, '-')));
    EXPECT_EQ(rows[500].values[2], Value(std::string(6000, 'L')));
    expectConsistentFile(db.bytes());
}

TEST(Database, RefusalsLeaveTheFileUnchanged) {
    Database db = buildDatabase(handWrittenSample());
    const std::string before = db.bytes();
    auto refused = [&](const std::function<void()>& action, const std::string& fragment) {
        try {
            action();
            ADD_FAILURE() << "accepted: " << fragment;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
        }
        EXPECT_EQ(db.bytes(), before);
    };
    refused([&] { db.execute("create Table users([id] Counter PRIMARY KEY)"); }, "已有表 Users");
    refused([&] { db.execute("create Table ＵＳＥＲＳ([id] Counter PRIMARY KEY)"); }, "已有表 Users");
    refused([&] { db.execute("create Table msysobjects([id] Counter PRIMARY KEY)"); }, "系统表 MSysObjects");
    refused([&] { db.execute("create Table 新表([id] Counter PRIMARY KEY,[a]  foo)"); }, "类型“foo”");
    refused([&] { db.execute("create Table 新表([id] Counter PRIMARY KEY,[a!]  memo)"); }, "表 新表 / 字段 a!");
    refused([&] { db.insert("没有", {}); }, "表 没有: 数据库中没有这个表");
    refused([&] { db.insert("Users", {{"Nope", std::string("x")}}); }, "没有字段 Nope");
    refused([&] { db.insert("Users", {{"id", std::int64_t{5}}}); }, "自动编号");
    refused([&] { db.insert("Users", {{"UserName", std::string(21, 'x')}}); }, "表 Users / 字段 UserName: 文本长度 21");
    refused([&] { db.insert("产品信息", {{"等级", std::int64_t{256}}}); }, "表 产品信息 / 字段 等级: 值 256 超出字节");
    refused([&] { db.insert("产品信息", {{"名称", std::string("a")}, {"名称", std::string("b")}}); }, "重复赋值");
    EXPECT_EQ(db.insert("Users", {{"username", std::string("second")}}), 2);
}

TEST(Database, LooksUpTablesAndColumnsIgnoringCase) {
    Database db = buildDatabase(handWrittenSample());
    EXPECT_TRUE(db.hasTable("USERS"));
    EXPECT_FALSE(db.hasTable("User"));
    EXPECT_EQ(db.table("users").name, "Users");
    EXPECT_EQ(db.insert("USERS", {{"USERNAME", std::string("x")}}), 2);
}

TEST(Database, ShortMemosLeaveRowsThatWouldGrowTooWideButWideTextIsRefused) {
    TableDefinition wide{"宽", {}};
    for (int i = 0; i < 12; ++i) wide.columns.push_back({"t" + std::to_string(i), ColumnType::Text, 255});
    for (int i = 0; i < 40; ++i) wide.columns.push_back({"m" + std::to_string(i), ColumnType::Memo});
    Database db = Database::createEmpty();
    db.createTable(wide);
    // 12 x 152 bytes of text plus 40 inline memos of 62 bytes would pass 4060.
    std::vector<std::pair<std::string, Value>> row;
    for (int i = 0; i < 12; ++i) row.emplace_back("t" + std::to_string(i), std::string(150, 'x'));
    for (int i = 0; i < 40; ++i) row.emplace_back("m" + std::to_string(i), std::string(60, 'm'));
    EXPECT_EQ(db.insert("宽", row), 1);
    EXPECT_EQ(Database::fromBytes(db.bytes()).rows("宽").at(0).values.at(51), Value(std::string(60, 'm')));

    std::string chinese;
    for (int i = 0; i < 255; ++i) chinese += "中";
    row.resize(12);
    for (auto& cell : row) cell.second = chinese;  // 12 x 510 bytes
    try {
        db.insert("宽", row);
        ADD_FAILURE() << "accepted a row over 4060 bytes";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("4060"), std::string::npos);
    }
    EXPECT_EQ(db.rowCount("宽"), 1u);
}

// A file with table T (id, 名称) holding rows 1..3, and T's single data page.
struct Edited {
    std::string file;
    std::size_t dataPage = 0;

    Edited() {
        Database db = Database::createEmpty();
        db.execute("create Table T([id] Counter PRIMARY KEY,[名称]  VarChar(20))");
        for (const char* name : {"一", "二", "三"}) db.insert("T", {{"名称", std::string(name)}});
        file = db.bytes();
        const TableLayout layout = decodeTdef(readTdefBytes(file, 16));
        dataPage = readPageMap(data_page::rowAt(file, layout.ownedPages), file).at(0);
    }
    char* page() { return file.data() + dataPage * kPageSize; }
    std::string_view view() const { return std::string_view(file).substr(dataPage * kPageSize, kPageSize); }
    void flagSlot(unsigned row, std::uint16_t flag) {
        setU16(page() + 14 + 2 * row, getU16(view(), 14 + 2 * row) | flag);
    }
};

std::vector<std::string> names(const Database& db) {
    std::vector<std::string> out;
    for (const Row& row : db.rows("T")) out.push_back(std::to_string(row.id) + std::get<std::string>(row.values[0]));
    return out;
}

TEST(Database, FollowsRowsJetMovedAndSkipsDeletedOnes) {
    Edited moved;
    // Jet moves a grown row: the new copy is added flagged deleted, the old
    // slot keeps a pointer to it and is flagged as moved.
    const std::string copy(data_page::rowBytes(moved.view(), 1));
    const std::uint8_t at = data_page::addRow(moved.page(), copy);
    moved.flagSlot(at, 0x8000);
    setU32(moved.page() + data_page::rowStart(moved.view(), 1),
           rowPointer(static_cast<std::uint32_t>(moved.dataPage), at));
    moved.flagSlot(1, 0x4000);
    EXPECT_EQ(names(Database::fromBytes(moved.file)), (std::vector<std::string>{"1一", "2二", "3三"}));

    Edited deleted;
    deleted.flagSlot(2, 0x8000);
    Database db = Database::fromBytes(deleted.file);
    EXPECT_EQ(names(db), (std::vector<std::string>{"1一", "2二"}));
    EXPECT_EQ(db.insert("T", {{"名称", std::string("四")}}), 4) << "the id of a deleted row is not reused";
}

TEST(Database, RefusesToOpenFilesWithContentItCouldNotSaveAgain) {
    Edited query;
    // Turn T's catalogue row into a query (type 5).
    const std::string_view catalogue =
        std::string_view(query.file).substr(catalog::kObjectsData * kPageSize, kPageSize);
    const std::size_t lastRow = data_page::rowCount(catalogue) - 1u;
    setU16(query.file.data() + catalog::kObjectsData * kPageSize + data_page::rowStart(catalogue, lastRow) + 2 + 8, 5);
    try {
        Database::fromBytes(query.file);
        ADD_FAILURE() << "opened a file with a query";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("对象 T，类型 5"), std::string::npos) << e.what();
    }
}

TEST(Database, RefusesFilesItDidNotWrite) {
    EXPECT_THROW(Database::fromBytes(std::string(100, 'x')), Error);
    EXPECT_THROW(Database::fromBytes(std::string(16 * kPageSize, '\0')), Error);
    testing::ScratchFolder folder;
    EXPECT_THROW(Database::open(folder.path() / "missing.mdb"), Error);
}

}  // namespace
}  // namespace tabulon::jet
