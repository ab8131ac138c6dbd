// The disk sink: whole files or none, new ones included, and nothing left under other names.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/resource.h>

#include "base/error.h"
#include "generator/site_sink.h"
#include "tests/support/temp_folder.h"

namespace tabulon::generator {
namespace {

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// Writes past the file size limit fail (EFBIG) instead of stopping the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(FileSink, ANewFileThatCannotBeWrittenWholeLeavesNothing) {
    testing::TempFolder folder;
    FileSink sink;
    const std::string page(200000, 'x');
    {
        FileSizeLimit limit(65536);
        EXPECT_THROW(sink.writeBytes(folder.path() / "新.asp", page), Error);
        sink.writeBytes(folder.path() / "small.asp", "fits");
    }
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"small.asp"}) << "no part of the page, no temporary";
}

TEST(FileSink, AnExistingFileKeepsItsOldBytesWhenTheNewOnesCannotBeWritten) {
    testing::TempFolder folder;
    FileSink sink;
    const auto path = folder.path() / "页.asp";
    sink.writeBytes(path, "old");
    {
        FileSizeLimit limit(65536);
        EXPECT_THROW(sink.writeBytes(path, std::string(200000, 'n')), Error);
    }
    EXPECT_EQ(sink.readBack(path), "old");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"页.asp"});
}

TEST(FileSink, WritesThroughNoLinkAndAgainOnlyWhatChanged) {
    testing::TempFolder folder;
    FileSink sink;
    const auto outside = folder.path() / "outside.txt";
    const auto link = folder.path() / "link.asp";
    std::filesystem::create_symlink(outside, link);
    sink.writeBytes(link, "page");
    EXPECT_FALSE(std::filesystem::exists(outside)) << "the link is replaced, not followed";
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(sink.readBack(link), "page");

    const auto before = std::filesystem::last_write_time(link);
    sink.writeBytes(link, "page");
    EXPECT_EQ(std::filesystem::last_write_time(link), before) << "the same bytes leave the file alone";
}

// Files are written relative to their opened folder; in a folder the sink made itself there
// is nothing older to compare with, in one it found an unchanged file keeps its time.
TEST(FileSink, ComparesOnlyInFoldersItFoundAndLeavesNoTemporaries) {
    namespace fs = std::filesystem;
    testing::TempFolder folder;
    const auto manage = folder.path() / "站点" / "manage";
    const auto page = manage / "页.asp";
    {
        FileSink sink;
        sink.makeFolders(manage);
        sink.writeBytes(page, "一");
        sink.writeBytes(page, "二");  // the same run may write a file twice: the last bytes stay
        // The same folder spelled another way is the same folder.
        sink.writeBytes(folder.path() / "站点" / "." / "manage" / "表.asp", "表");
        EXPECT_EQ(sink.readBack(page), "二");
    }
    EXPECT_EQ(namesIn(manage), (std::vector<std::string>{"表.asp", "页.asp"}));

    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(page, old);
    FileSink again;
    again.makeFolders(manage);  // already there: found, not made
    again.writeBytes(page, "二");
    EXPECT_EQ(fs::last_write_time(page), old) << "unchanged bytes leave the file alone";
    again.writeBytes(page, "三");
    EXPECT_EQ(again.readBack(page), "三");
    EXPECT_EQ(namesIn(manage), (std::vector<std::string>{"表.asp", "页.asp"}));
}

TEST(FileSink, AFolderThatIsNotThereYetIsNamedAndUsableOnceMade) {
    testing::TempFolder folder;
    FileSink sink;
    const auto later = folder.path() / "后来" / "页.asp";
    try {
        sink.writeBytes(later, "x");
        ADD_FAILURE() << "written into a missing folder";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("后来/页.asp"), std::string::npos) << e.what();
    }
    sink.makeFolders(later.parent_path());
    sink.writeBytes(later, "x");
    EXPECT_EQ(sink.readBack(later), "x");
}

TEST(DryRunSink, TakesANameOnceAndTouchesNothing) {
    testing::TempFolder folder;
    DryRunSink sink;
    const auto path = folder.path() / "data" / "copy.mdb";
    EXPECT_TRUE(sink.writeBytesIfAbsent(path, "a"));
    EXPECT_FALSE(sink.writeBytesIfAbsent(path, "b"));
    EXPECT_EQ(sink.readBack(path), "a");
    EXPECT_TRUE(namesIn(folder.path()).empty());
    EXPECT_EQ(sink.paths(), std::vector<std::filesystem::path>{path});
}

}  // namespace
}  // namespace tabulon::generator
