// Rows waiting for the file in an unnamed temporary file: read back exactly, in any order,
// nothing left in the folder, and the database file the same as one kept in memory.
#include <gtest/gtest.h>

#include <random>

#include "jet/database.h"
#include "jet/spilled_bytes.h"
#include "sample_data.h"

namespace tabulon::jet {
namespace {

std::size_t entriesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

// Files this process holds open in `folder`, named or not.
std::size_t openFilesIn(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto target = std::filesystem::read_symlink(fd.path(), error);
        if (!error && target.string().starts_with(folder.string())) ++count;
    }
    return count;
}

TEST(SpilledBytes, ReadsBackWhatWasAppendedInAnyOrder) {
    testing::ScratchFolder folder;
    SpilledBytes bytes;
    bytes.spillTo(folder.path());
    std::mt19937 random(3);
    std::vector<std::pair<std::uint64_t, std::string>> pieces;
    while (bytes.size() < 12u << 20) {
        std::string piece(1 + random() % 9000, '\0');
        for (char& c : piece) c = static_cast<char>(random());
        pieces.emplace_back(bytes.size(), piece);
        bytes.append(piece);
    }
    EXPECT_TRUE(bytes.spilled());
    EXPECT_EQ(entriesIn(folder.path()), 0u) << "the temporary file has no name";
    for (const auto& [start, piece] : pieces) ASSERT_EQ(bytes.read(start, piece.size()), piece);
    for (int i = 0; i < 2000; ++i) {
        const auto& [start, piece] = pieces[random() % pieces.size()];
        ASSERT_EQ(bytes.read(start, piece.size()), piece) << "at " << start;
    }
    SpilledBytes moved = std::move(bytes);
    EXPECT_EQ(moved.read(pieces[7].first, pieces[7].second.size()), pieces[7].second);
}

TEST(SpilledBytes, WithoutAUsableFolderTheBytesStayInMemory) {
    testing::ScratchFolder folder;
    SpilledBytes bytes;
    bytes.spillTo(folder.path() / "missing");
    const std::string piece(1 << 20, 'p');
    for (int i = 0; i < 6; ++i) bytes.append(piece);
    EXPECT_FALSE(bytes.spilled());
    EXPECT_EQ(bytes.read(5u << 20, piece.size()), piece);
}

// Tables of every column type, long memos among them, with their rows spilled: the file
// and the rows read back are those of the same database held in memory.
TEST(SpilledBytes, ADatabaseWithSpilledRowsWritesTheSameFile) {
    testing::ScratchFolder folder;
    auto fill = [](Database& db) {
        db.setCreationTime({2026, 12, 7, 20, 0, 0});
        for (const auto& table : testing::handWrittenSample()) {
            db.createTable(table.definition);
            for (const auto& row : table.rows) db.insertValues(table.definition.name, row);
        }
        db.execute("create Table 流水([id] Counter PRIMARY KEY,[摘要]  VarChar(50),[附注]  memo,[金额]  double)");
        for (int i = 1; i <= 60000; ++i)
            db.insertValues("流水",
                            {"第" + std::to_string(i) + "笔",
                             i % 50 == 0 ? std::string(4000 + i % 5000, 'z') : "附注" + std::to_string(i), i * 0.5});
    };
    Database memory = Database::createEmpty();
    fill(memory);
    Database spilled = Database::createEmpty();
    spilled.spillRowsTo(folder.path());
    fill(spilled);
    EXPECT_GE(openFilesIn(folder.path()), 1u) << "the rows should have outgrown memory";
    const auto rows = spilled.rows("流水"), expected = memory.rows("流水");
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].id, expected[i].id);
        ASSERT_EQ(rows[i].values, expected[i].values) << "id " << rows[i].id;
    }
    const auto path = folder.path() / "data.mdb";
    spilled.save(path);
    EXPECT_EQ(entriesIn(folder.path()), 1u);
    EXPECT_EQ(spilled.bytes(), memory.bytes());
    EXPECT_EQ(Database::open(path).bytes(), memory.bytes());
}

}  // namespace
}  // namespace tabulon::jet
