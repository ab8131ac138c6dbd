// Where the catalogue lives when no --run-dir is given.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "cli/run_folder.h"
#include "tests/support/temp_folder.h"

namespace tabulon::cli {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

TEST(RunFolder, ABuildTreeKeepsItsDataBesideTheProgram) {
    TempFolder build;
    const RunFolderPlaces places{build.path(), {"/usr/bin"}, "/home/u/.data", "/home/u"};
    EXPECT_EQ(defaultRunFolder(places), build.path());
}

TEST(RunFolder, AnInstalledProgramUsesTheUsersDataFolder) {
    TempFolder bin;  // writable, as /usr/bin is for root: being the bin folder decides
    RunFolderPlaces places{bin.path(), {"/usr/local/bin", bin.path()}, "/home/u/.data", "/home/u"};
    EXPECT_EQ(defaultRunFolder(places), fs::path("/home/u/.data/tabulon"));
    places.xdgDataHome.reset();
    EXPECT_EQ(defaultRunFolder(places), fs::path("/home/u/.local/share/tabulon"));
    places.xdgDataHome = "relative/data";  // not absolute: ignored
    EXPECT_EQ(defaultRunFolder(places), fs::path("/home/u/.local/share/tabulon"));
    places.home.reset();
    EXPECT_EQ(defaultRunFolder(places), fs::temp_directory_path() / "tabulon");
}

TEST(RunFolder, AProgramFolderThatCannotBeWrittenIsNotUsed) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write to any folder";
    TempFolder locked;
    ASSERT_EQ(::chmod(locked.path().c_str(), 0555), 0);
    const RunFolderPlaces places{locked.path(), {"/usr/bin"}, "/home/u/.data", "/home/u"};
    EXPECT_EQ(defaultRunFolder(places), fs::path("/home/u/.data/tabulon"));
    ::chmod(locked.path().c_str(), 0755);
}

}  // namespace
}  // namespace tabulon::cli
