// The release of the site skeleton into a site folder: layout, encoding, keeping generated
// pages, failures and staying inside the site folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/gbk.h"
#include "generator/skeleton/skeleton_release.h"
#include "resources/embedded.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;
using tabulon::Error;
using tabulon::resources::EmbeddedFile;
using tabulon::testing::readFile;
using tabulon::testing::TempFolder;
namespace gen = tabulon::generator;

namespace {

// The release writes through the sink that writes to disk.
gen::FileSink disk;

fs::path u8path(std::string_view text) { return fs::path(std::u8string(text.begin(), text.end())); }

void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Every entry below `folder`, relative and '/'-separated, sorted.
std::vector<std::string> tree(const fs::path& folder) {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        entries.push_back(fs::relative(entry.path(), folder).generic_string());
    std::sort(entries.begin(), entries.end());
    return entries;
}

// The text a source file should have in the site: its line ends made CR LF, read
// without the release's own helper.
std::string withWindowsLineEnds(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\r') continue;
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    ADD_FAILURE() << "no tabulon::Error thrown";
    return {};
}

class SkeletonRelease : public ::testing::Test {
protected:
    TempFolder run;
};

TEST_F(SkeletonRelease, FreshSiteFolderGetsTheWholeSkeleton) {
    const auto written = gen::releaseSkeletonForProject(run.path(), "记账 系统", disk);
    const fs::path site = run.path() / u8path("记账 系统");

    for (const char* folder : {"manage", "inc", "images", "editor", "date", "style", "data"})
        EXPECT_TRUE(fs::is_directory(site / folder)) << folder;
    EXPECT_TRUE(fs::is_empty(site / "data"));
    for (const char* page : {"index.asp",
                             "top.asp",
                             "menu.asp",
                             "main.asp",
                             "desk.asp",
                             "bottom.asp",
                             "about.html",
                             "exit.asp",
                             "conn.asp",
                             "Getclass.asp",
                             "manage/conn.asp",
                             "manage/GetClass.asp",
                             "inc/MyFunction.asp",
                             "inc/function.asp",
                             "inc/md5.asp",
                             "inc/SF_Sql.asp",
                             "inc/verifycode.asp",
                             "style/style.css",
                             "editor/ewebeditor.htm",
                             "date/WdatePicker.js"})
        EXPECT_TRUE(fs::is_regular_file(site / page)) << page;

    // The answer names every carried file once, in the carried order, and each is there.
    const auto carried = tabulon::resources::skeletonFiles();
    ASSERT_EQ(written.size(), carried.size());
    for (std::size_t i = 0; i < carried.size(); ++i) {
        EXPECT_EQ(written[i], carried[i].path);
        EXPECT_TRUE(fs::is_regular_file(site / u8path(written[i]))) << written[i];
    }
    // Nothing else: no archive, no temporary file, only the files and their folders.
    for (const auto& entry : tree(site)) {
        if (fs::is_directory(site / u8path(entry))) continue;
        EXPECT_NE(std::find(written.begin(), written.end(), entry), written.end()) << "unexpected " << entry;
    }
}

TEST_F(SkeletonRelease, TextFilesAreGbkWithCrLfAndBinariesUnchanged) {
    const fs::path site = run.path() / "site";
    gen::releaseSkeleton(run.path(), site, disk);
    std::size_t textFiles = 0, binaries = 0;
    for (const EmbeddedFile& file : tabulon::resources::skeletonFiles()) {
        const std::string bytes = readFile(site / u8path(file.path));
        if (gen::isSkeletonTextFile(file.path)) {
            ++textFiles;
            EXPECT_FALSE(bytes.starts_with("\xEF\xBB\xBF")) << file.path << " starts with a byte-order mark";
            EXPECT_EQ(tabulon::gbk::decode(bytes), withWindowsLineEnds(file.bytes)) << file.path;
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                if (bytes[i] == '\n') {
                    ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << file.path << " has a bare LF";
                }
            }
        } else {
            ++binaries;
            EXPECT_EQ(bytes, file.bytes) << file.path;
        }
    }
    EXPECT_GT(textFiles, 15u);
    EXPECT_GT(binaries, 15u);

    // Chinese text of a page is in GBK bytes, not in the UTF-8 of the source.
    const std::string conn = readFile(site / "manage/conn.asp");
    const std::string message = "时间参数错误--GetDate--[";
    EXPECT_NE(conn.find(tabulon::gbk::encode(message).bytes), std::string::npos);
    EXPECT_EQ(conn.find(message), std::string::npos);
}

TEST_F(SkeletonRelease, SecondReleaseKeepsGeneratedPagesAndRestoresSkeletonFiles) {
    const fs::path site = run.path() / "site";
    gen::releaseSkeleton(run.path(), site, disk);
    writeBytes(site / "manage/X1_Add.asp", "generated add page\r\n");
    writeBytes(site / "manage/X1_List.asp", "generated list page\r\n");
    writeBytes(site / "index.asp", "generated login page\r\n");
    writeBytes(site / "manage/conn.asp", "damaged");
    writeBytes(site / "data/data.mdb", "database");
    const std::string freshStyle = readFile(site / "style/style.css");
    fs::remove(site / "style/style.css");

    gen::releaseSkeleton(run.path(), site, disk);

    EXPECT_EQ(readFile(site / "manage/X1_Add.asp"), "generated add page\r\n");
    EXPECT_EQ(readFile(site / "manage/X1_List.asp"), "generated list page\r\n");
    EXPECT_EQ(readFile(site / "data/data.mdb"), "database");
    EXPECT_EQ(readFile(site / "style/style.css"), freshStyle);
    EXPECT_NE(readFile(site / "manage/conn.asp"), "damaged");
    // The skeleton only carries a stand-in login page: a release keeps the generated one.
    EXPECT_EQ(readFile(site / "index.asp"), "generated login page\r\n");
    EXPECT_TRUE(fs::exists(site / "top.asp")) << "the stand-ins still come with a first release";
}

TEST_F(SkeletonRelease, FoldersAreCreatedOnlyBelowTheRunFolder) {
    const fs::path deep = run.path() / "a" / "b" / "site";
    gen::releaseSkeleton(run.path(), deep, disk);
    EXPECT_TRUE(fs::is_regular_file(deep / "manage/conn.asp"));

    const fs::path missingRun = run.path() / "no-such-run";
    const std::string missing = messageOf([&] { gen::releaseSkeleton(missingRun, missingRun / "site", disk); });
    EXPECT_NE(missing.find(missingRun.string()), std::string::npos) << missing;
    EXPECT_FALSE(fs::exists(missingRun));

    const fs::path runDir = run.path() / "run";
    fs::create_directory(runDir);
    const fs::path outside = run.path() / "elsewhere";
    const std::string escaped = messageOf([&] { gen::releaseSkeleton(runDir, outside, disk); });
    EXPECT_NE(escaped.find(outside.string()), std::string::npos) << escaped;
    EXPECT_FALSE(fs::exists(outside));
    EXPECT_FALSE(messageOf([&] { gen::releaseSkeleton(runDir, runDir / ".." / "elsewhere", disk); }).empty());
    EXPECT_FALSE(messageOf([&] { gen::releaseSkeleton(runDir, runDir, disk); }).empty());
    EXPECT_TRUE(fs::is_empty(runDir));
}

TEST_F(SkeletonRelease, NothingIsWrittenOutsideTheSiteFolder) {
    const fs::path runDir = run.path() / "run";
    fs::create_directory(runDir);
    const auto written = gen::releaseSkeleton(runDir, runDir / "site", disk);
    EXPECT_EQ(tree(run.path()).front(), "run");
    for (const auto& entry : tree(run.path())) EXPECT_TRUE(entry == "run" || entry.starts_with("run/site")) << entry;

    // Carried names that would leave the site folder stop the release before any write.
    const EmbeddedFile files[] = {{"ok.txt", "fine"}, {"../escape.txt", "no"}};
    EXPECT_FALSE(messageOf([&] { gen::releaseFiles(runDir, runDir / "other", files, disk); }).empty());
    EXPECT_FALSE(fs::exists(runDir / "other"));
    EXPECT_FALSE(fs::exists(runDir / "escape.txt"));
    for (std::string_view bad : {"/abs.txt", "a/./b.txt", "a//b.txt", "C:x.txt", "a\\b.txt", ""}) {
        const EmbeddedFile one[] = {{bad, "x"}};
        EXPECT_FALSE(messageOf([&] { gen::releaseFiles(runDir, runDir / "other", one, disk); }).empty()) << bad;
    }
    EXPECT_FALSE(fs::exists(runDir / "other"));
}

TEST_F(SkeletonRelease, FailuresNameThePath) {
    // The site folder's name is taken by a file: the folder cannot be made.
    writeBytes(run.path() / "taken", "a file");
    const std::string folderMessage = messageOf([&] { gen::releaseSkeleton(run.path(), run.path() / "taken", disk); });
    EXPECT_NE(folderMessage.find((run.path() / "taken").string()), std::string::npos) << folderMessage;

    // A folder stands where a page goes: the page cannot be written.
    const fs::path site = run.path() / "site";
    fs::create_directories(site / "manage" / "conn.asp");
    const std::string fileMessage = messageOf([&] { gen::releaseSkeleton(run.path(), site, disk); });
    EXPECT_NE(fileMessage.find((site / "manage" / "conn.asp").string()), std::string::npos) << fileMessage;

    // A folder of the skeleton is taken by a file.
    const fs::path second = run.path() / "second";
    fs::create_directory(second);
    writeBytes(second / "images", "a file");
    const std::string imagesMessage = messageOf([&] { gen::releaseSkeleton(run.path(), second, disk); });
    EXPECT_NE(imagesMessage.find((second / "images").string()), std::string::npos) << imagesMessage;
}

TEST_F(SkeletonRelease, ReadOnlySiteFolderGivesErrorWithItsPath) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    const fs::path site = run.path() / "locked";
    fs::create_directory(site);
    fs::permissions(site, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string message = messageOf([&] { gen::releaseSkeleton(run.path(), site, disk); });
    fs::permissions(site, fs::perms::owner_all);
    EXPECT_NE(message.find(site.string()), std::string::npos) << message;
}

TEST(SkeletonTextBytes, ConvertsToGbkWithCrLfAndNoByteOrderMark) {
    EXPECT_EQ(gen::skeletonText("\xEF\xBB\xBF中文\n"), "中文\r\n");
    EXPECT_EQ(gen::skeletonText("a\r\nb\rc\n\nd"), "a\r\nb\r\nc\r\n\r\nd");
    TempFolder run;
    const EmbeddedFile files[] = {{"a.asp", "\xEF\xBB\xBF中文\n"}, {"inc/x.asp", "ok 😀"}, {"z.asp", "z"}};
    gen::MemorySink memory;
    const std::string message = messageOf([&] { gen::releaseFiles(run.path(), run.path() / "site", files, memory); });
    EXPECT_EQ(message, "网站骨架文件 inc/x.asp 中的字符“😀”无法用 GBK 编码，未释放。");
    ASSERT_EQ(memory.files().size(), 1u) << "the release stops at the file it cannot encode";
    EXPECT_EQ(memory.files()[0].bytes, "\xD6\xD0\xCE\xC4\r\n");
}

TEST(SkeletonTextBytes, TextFilesAreKnownByExtensionInAnyCase) {
    for (std::string_view text :
         {"conn.asp", "a/b/Page.ASP", "x.htm", "x.HTML", "s/style.css", "d/WdatePicker.js", "readme.txt", "part.inc"})
        EXPECT_TRUE(gen::isSkeletonTextFile(text)) << text;
    for (std::string_view binary : {"images/r_0.gif", "images/print.jpg", "Aws.Exe", "asp", "dir.asp/file", "x.aspx"})
        EXPECT_FALSE(gen::isSkeletonTextFile(binary)) << binary;
}

}  // namespace
