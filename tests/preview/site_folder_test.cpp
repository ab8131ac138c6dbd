// URL paths to site files: nothing outside the folder, names in any case, default documents.
#include <gtest/gtest.h>

#include <fstream>

#include "base/error.h"
#include "preview/server/site_folder.h"
#include "tests/support/temp_folder.h"

namespace tabulon::preview {
namespace {

namespace fs = std::filesystem;
using Outcome = SiteLookup::Outcome;
using testing::TempFolder;

void write(const fs::path& file, const std::string& text = "x") {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// A site folder inside a run folder that also holds a secret beside it.
class SiteFolderTest : public ::testing::Test {
protected:
    SiteFolderTest() {
        write(run.path() / "secret.txt", "secret");
        write(site() / "index.asp");
        write(site() / "Default.asp");
        write(site() / "manage" / "YH24_List.asp");
        write(site() / "style" / "Style.css");
        write(site() / "images" / "a b.gif");
        write(site() / "data" / "data.mdb");
        fs::create_directories(site() / "empty");
        write(site() / "docs" / "Index.htm");
    }
    fs::path site() const { return run.path() / "site"; }
    SiteLookup lookup(std::string_view path) const { return SiteFolder(site()).lookup(path); }

    TempFolder run;
};

TEST_F(SiteFolderTest, NamesMatchWhateverTheirCase) {
    const auto found = lookup("/MANAGE/yh24_list.ASP");
    ASSERT_EQ(found.outcome, Outcome::Found);
    EXPECT_EQ(found.sitePath, "/manage/YH24_List.asp");
    EXPECT_EQ(found.file, fs::canonical(site() / "manage" / "YH24_List.asp"));
    EXPECT_EQ(lookup("/style/style.css").sitePath, "/style/Style.css");
    EXPECT_EQ(lookup("/images/a%20b.gif").sitePath, "/images/a b.gif");
    EXPECT_EQ(lookup("//manage/./YH24_List.asp").outcome, Outcome::Found);
}

TEST_F(SiteFolderTest, ExactNameWinsOverOtherCases) {
    write(site() / "manage" / "yh24_list.asp");
    EXPECT_EQ(lookup("/manage/yh24_list.asp").sitePath, "/manage/yh24_list.asp");
    EXPECT_EQ(lookup("/manage/YH24_List.asp").sitePath, "/manage/YH24_List.asp");
    // Neither exact: the first in name order, every time.
    EXPECT_EQ(lookup("/manage/Yh24_LIST.asp").sitePath, "/manage/YH24_List.asp");
}

TEST_F(SiteFolderTest, DefaultDocumentsAndFolderRedirects) {
    EXPECT_EQ(lookup("/").sitePath, "/index.asp");
    fs::remove(site() / "index.asp");
    EXPECT_EQ(lookup("/").sitePath, "/Default.asp");
    EXPECT_EQ(lookup("/docs/").sitePath, "/docs/Index.htm");
    const auto redirect = lookup("/DOCS");
    EXPECT_EQ(redirect.outcome, Outcome::Redirect);
    EXPECT_EQ(redirect.sitePath, "/docs/");
    EXPECT_EQ(lookup("/empty/").outcome, Outcome::Forbidden);  // no listing of folders
    EXPECT_EQ(lookup("/manage/YH24_List.asp/").outcome, Outcome::NotFound);
    EXPECT_EQ(lookup("/manage/none.asp").outcome, Outcome::NotFound);
    EXPECT_EQ(lookup("/index.asp/x").outcome, Outcome::NotFound);
}

TEST_F(SiteFolderTest, NothingOutsideTheFolderIsReached) {
    const char* attempts[] = {
        "/../secret.txt",         "/manage/../../secret.txt",
        "/%2e%2e/secret.txt",     "/%2E%2E/secret.txt",
        "/.%2e/secret.txt",       "/..%2fsecret.txt",
        "/..%2Fsecret.txt",       "/..%5csecret.txt",
        "/..\\secret.txt",        "/manage\\..\\..\\secret.txt",
        "/index.asp%00.htm",      "/...",
        "/index.asp::$DATA",      "/c:/windows/win.ini",
        "/%252e%252e/secret.txt",
    };
    for (const char* attempt : attempts) {
        const auto found = lookup(attempt);
        EXPECT_NE(found.outcome, Outcome::Found) << attempt;
        EXPECT_NE(found.outcome, Outcome::Redirect) << attempt;
        EXPECT_EQ(found.file, fs::path()) << attempt;
    }
    EXPECT_EQ(lookup("/../secret.txt").outcome, Outcome::Forbidden);
    EXPECT_EQ(lookup("/%2e%2e/secret.txt").outcome, Outcome::Forbidden);
    EXPECT_EQ(lookup("/..%2fsecret.txt").outcome, Outcome::Forbidden);
    EXPECT_EQ(lookup("/a%zz.asp").outcome, Outcome::BadRequest);
    EXPECT_EQ(lookup("/a%4").outcome, Outcome::BadRequest);
    EXPECT_EQ(lookup("relative.asp").outcome, Outcome::BadRequest);
}

TEST_F(SiteFolderTest, SymbolicLinksMayNotLeadOut) {
    fs::create_symlink(run.path() / "secret.txt", site() / "leak.txt");
    fs::create_directory_symlink(run.path(), site() / "up");
    fs::create_symlink(site() / "style" / "Style.css", site() / "alias.css");
    EXPECT_EQ(lookup("/leak.txt").outcome, Outcome::Forbidden);
    EXPECT_EQ(lookup("/LEAK.TXT").outcome, Outcome::Forbidden);
    EXPECT_EQ(lookup("/up/secret.txt").outcome, Outcome::Forbidden);
    EXPECT_EQ(lookup("/alias.css").outcome, Outcome::Found);  // a link that stays inside is fine
}

TEST_F(SiteFolderTest, TheFolderMayItselfBeALink) {
    fs::create_directory_symlink(site(), run.path() / "linked");
    const SiteFolder folder(run.path() / "linked");
    EXPECT_EQ(folder.lookup("/manage/yh24_list.asp").outcome, Outcome::Found);
    EXPECT_EQ(folder.lookup("/../secret.txt").outcome, Outcome::Forbidden);
}

TEST_F(SiteFolderTest, FindFileForErrorReports) {
    const SiteFolder folder(site());
    EXPECT_EQ(folder.findFile("MANAGE/yh24_list.asp"), fs::canonical(site() / "manage" / "YH24_List.asp"));
    EXPECT_FALSE(folder.findFile("manage"));
    EXPECT_FALSE(folder.findFile(""));
    EXPECT_FALSE(folder.findFile("../secret.txt"));
}

TEST_F(SiteFolderTest, MissingFolderIsAClearError) {
    try {
        SiteFolder folder(run.path() / "none");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("none"), std::string::npos);
    }
}

}  // namespace
}  // namespace tabulon::preview
