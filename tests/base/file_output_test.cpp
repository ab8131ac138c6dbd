// Whole-file replacement that never leaves half a file.
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include "base/error.h"
#include "base/file_output.h"
#include "tests/support/temp_folder.h"

namespace tabulon {
namespace {

using testing::readFile;
using testing::TempFolder;

TEST(WriteFileAtomically, ReplacesTheWholeContentAndLeavesNoTemporary) {
    TempFolder folder;
    const auto path = folder.path() / "页.asp";
    std::ofstream(path) << std::string(10000, 'o');
    writeFileAtomically(path, "short");
    EXPECT_EQ(readFile(path), "short");
    writeFileAtomically(path, "");
    EXPECT_EQ(readFile(path), "");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
    EXPECT_EQ(entries, 1u);

    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u) << "a site is served by other accounts";
}

TEST(WriteFileAtomically, FailureNamesThePathAndKeepsTheOldFile) {
    TempFolder folder;
    EXPECT_THROW(writeFileAtomically(folder.path() / "missing" / "x.asp", "x"), Error);

    const auto blocked = folder.path() / "blocked";
    std::filesystem::create_directories(blocked / "inside");  // a folder where the file should go
    try {
        writeFileAtomically(blocked, "x");
        FAIL() << "a folder was replaced by a file";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(blocked.string()), std::string::npos);
    }
    EXPECT_TRUE(std::filesystem::is_directory(blocked / "inside"));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
    EXPECT_EQ(entries, 1u) << "no temporary left behind";
}

}  // namespace
}  // namespace tabulon
