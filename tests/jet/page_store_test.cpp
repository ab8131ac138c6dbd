// The writer's pages held in memory or backed by a file through a small cache: the same
// bytes either way, and a file written whole or not at all.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

#include "jet/database.h"
#include "jet/page_store.h"
#include "sample_data.h"

namespace tabulon::jet {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Pages touched out of order, written again after they left the cache, appended whole and
// copied back: the file ends up as the pages held in memory.
TEST(PageStore, AFileBehindASmallCacheHoldsWhatMemoryHolds) {
    testing::ScratchFolder folder;
    const auto path = folder.path() / "pages";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    PageStore memory;
    PageStore file(fd, 8, path.string());
    std::mt19937 random(7);
    for (int step = 0; step < 3000; ++step) {
        const bool grow = memory.count() == 0 || random() % 4 == 0;
        if (grow) {
            ASSERT_EQ(memory.allocate(), file.allocate());
            continue;
        }
        const std::uint32_t page = random() % memory.count();
        const std::size_t at = random() % kPageSize;
        const char byte = static_cast<char>(random());
        memory.page(page)[at] = byte;
        file.page(page)[at] = byte;
        ASSERT_EQ(file.view(page), memory.view(page)) << "page " << page << " read back differs";
    }
    const std::string run(3 * kPageSize, 'r');
    memory.append(run);
    file.append(run);
    EXPECT_EQ(file.copyFrom(memory.count() - 5), memory.copyFrom(memory.count() - 5));
    file.flush();
    ::close(fd);
    EXPECT_EQ(file.count(), memory.count());
    EXPECT_EQ(readFile(path), std::move(memory).release());
}

// A database of several thousand pages, more than the writer caches or keeps for reuse: saved
// to a file it is byte for byte the file built in memory, and after a change it still is.
TEST(PageStore, ASavedDatabaseIsTheFileBuiltInMemory) {
    Database db = Database::createEmpty();
    db.execute("create Table 商品([id] Counter PRIMARY KEY,[名称]  VarChar(50),[备注]  memo,[数量]  integer)");
    for (int i = 1; i <= 80000; ++i) {
        db.insertValues(
            "商品", {"商品" + std::to_string(i),
                     i % 200 == 0 ? std::string(5000 + i % 3000, 'N') : "备注" + std::to_string(i), std::int64_t{i}});
    }
    db.execute("create Table 小表([id] Counter PRIMARY KEY,[名称]  VarChar(50))");
    db.insertValues("小表", {std::string("一")});
    testing::ScratchFolder folder;
    const auto path = folder.path() / "data.mdb";
    db.save(path);
    const std::string saved = readFile(path);
    ASSERT_GT(saved.size(), 2048 * kPageSize) << "the file should outgrow the page cache";
    EXPECT_EQ(saved, db.bytes());

    db.insertValues("小表", {std::string("二")});
    db.save(path);
    const std::string again = readFile(path);
    EXPECT_NE(again, saved);
    EXPECT_EQ(again, Database::fromBytes(std::string(db.bytes())).bytes());
    EXPECT_EQ(again, db.bytes());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "temporary file left behind";
}

// A write that fails halfway (the file size limit here, a full disk in life) leaves the file
// already there as it was, and no temporary; so does a target that cannot be replaced.
TEST(PageStore, AFailedSaveLeavesTheOldFile) {
    testing::ScratchFolder folder;
    const auto path = folder.path() / "data.mdb";
    Database db = Database::createEmpty();
    db.execute("create Table 表一([id] Counter PRIMARY KEY,[名称]  memo)");
    db.save(path);
    const std::string before = readFile(path);
    for (int i = 0; i < 200; ++i) db.insertValues("表一", {std::string(3000, 'x')});

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(db.save(path), Error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "temporary file left behind";

    const auto folderInTheWay = folder.path() / "in-the-way.mdb";
    std::filesystem::create_directories(folderInTheWay / "x");
    EXPECT_THROW(db.save(folderInTheWay), Error);
    EXPECT_THROW(db.save(folder.path() / "missing" / "data.mdb"), Error);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2) << "temporary file left behind";
    db.save(path);
    EXPECT_EQ(readFile(path), db.bytes());
}

}  // namespace
}  // namespace tabulon::jet
