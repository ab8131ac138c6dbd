// Wine's side of the preview: finding it, the prefix's place and environment, and the
// names Wine is given.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sys/stat.h>
#include <thread>

#include "base/error.h"

#include "preview/server/child_process.h"
#include "preview/server/wine.h"
#include "tests/support/temp_folder.h"

namespace tabulon::preview {
namespace {

namespace fs = std::filesystem;

// Running and not a zombie waiting for a parent that is not us.
bool alive(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

void executable(const fs::path& file) {
    std::ofstream(file) << "#!/bin/sh\n";
    chmod(file.c_str(), 0755);
}

TEST(Wine, FoundOnlyWithAllThreeTools) {
    testing::TempFolder bin, other;
    EXPECT_FALSE(findWine(""));
    EXPECT_FALSE(findWine(bin.path().string()));
    executable(bin.path() / "wine");
    executable(bin.path() / "wineserver");
    std::ofstream(bin.path() / "wineboot") << "not executable";
    EXPECT_FALSE(findWine(bin.path().string()));
    executable(other.path() / "wineboot");
    const auto tools = findWine("/nonexistent::" + bin.path().string() + ":" + other.path().string());
    ASSERT_TRUE(tools);
    EXPECT_EQ(tools->wine, bin.path() / "wine");
    EXPECT_EQ(tools->wineboot, other.path() / "wineboot");
    const auto message = missingWineMessage();
    EXPECT_NE(message.find("wine wine64"), std::string::npos);
}

TEST(Wine, PrefixInTheUsersCache) {
    EXPECT_EQ(previewPrefix({"HOME=/home/u", "XDG_CACHE_HOME=/c"}), fs::path("/c/tabulon/wine-preview"));
    EXPECT_EQ(previewPrefix({"HOME=/home/u"}), fs::path("/home/u/.cache/tabulon/wine-preview"));
    EXPECT_EQ(previewPrefix({"HOME=/home/u", "XDG_CACHE_HOME=relative"}),
              fs::path("/home/u/.cache/tabulon/wine-preview"));
}

TEST(Wine, EnvironmentOfEveryWineCommand) {
    const auto environment =
        wineEnvironment({"PATH=/usr/bin", "DISPLAY=:0", "WAYLAND_DISPLAY=w", "WINEDEBUG=+all"}, "/p");
    EXPECT_EQ(variable(environment, "WINEPREFIX"), "/p");
    EXPECT_EQ(variable(environment, "WINEDEBUG"), "-all");
    EXPECT_EQ(variable(environment, "WINEDLLOVERRIDES"), "mscoree,mshtml=");
    EXPECT_EQ(variable(environment, "PATH"), "/usr/bin");
    EXPECT_EQ(variable(environment, "LC_ALL"), "zh_CN.UTF-8");  // dates as a Chinese server writes them
    EXPECT_FALSE(variable(environment, "DISPLAY"));
    EXPECT_FALSE(variable(environment, "WAYLAND_DISPLAY"));
    EXPECT_EQ(std::count_if(environment.begin(), environment.end(),
                            [](const std::string& e) { return e.starts_with("WINEDEBUG="); }),
              1);
}

TEST(Wine, RegionalSettingsOfThePreview) {
    for (const auto& [locale, unix] :
         {std::pair{"zh-CN", "zh_CN.UTF-8"}, {"en-US", "en_US.UTF-8"}, {"de-DE", "de_DE.UTF-8"}}) {
        const auto environment = wineEnvironment({"LANG=C", "LC_ALL=C.UTF-8"}, "/p", locale);
        EXPECT_EQ(variable(environment, "LC_ALL"), unix) << locale;
        EXPECT_EQ(variable(environment, "LANG"), unix) << locale;
    }
}

TEST(Wine, WindowsNamesOfLinuxPaths) {
    EXPECT_EQ(windowsPath("/tmp/run/.preview/4/site"), "Z:\\tmp\\run\\.preview\\4\\site");
    EXPECT_EQ(windowsPath("/tmp/a/../b/"), "Z:\\tmp\\b\\");
}

TEST(Wine, PlainNamesForFoldersWineMightMisread) {
    testing::TempFolder run;
    const auto plainFolder = run.path() / "site";
    fs::create_directories(plainFolder);
    EXPECT_EQ(plainPathTo(plainFolder), plainFolder);

    const auto chinese = run.path() / "记账 站点";
    fs::create_directories(chinese);
    std::ofstream(chinese / "index.asp") << "page";
    const auto link = plainPathTo(chinese);
    for (const char c : link.string()) EXPECT_TRUE(c > 0x20 && c < 0x7f) << link;
    EXPECT_EQ(fs::canonical(link), fs::canonical(chinese));
    EXPECT_TRUE(fs::exists(link / "index.asp"));
    EXPECT_EQ(plainPathTo(chinese), link);  // the same link next time
}

TEST(ChildProcess, StartsWaitsAndKillsAWholeGroup) {
    testing::TempFolder run;
    ProcessSpec spec;
    spec.argv = {"sh", "-c", "echo out; echo err >&2; exit 3"};
    spec.environment = currentEnvironment();
    spec.output = run.path() / "log";
    const auto pid = startProcess(spec);
    EXPECT_EQ(waitForExit(pid, std::chrono::seconds(10)), 3);
    std::ifstream log(spec.output);
    std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "out\nerr\n");

    // A child of the started program goes with it.
    spec.argv = {"sh", "-c", "sleep 30 & echo $! ; wait"};
    const auto parent = startProcess(spec);
    std::string grandchild;
    for (int i = 0; i < 200 && grandchild.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(spec.output);
        std::getline(in, grandchild);
    }
    ASSERT_FALSE(grandchild.empty());
    EXPECT_TRUE(isRunning(parent));
    killProcessGroup(parent);
    EXPECT_FALSE(isRunning(parent));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(alive(grandchild));

    spec.argv = {"/nonexistent/program"};
    EXPECT_THROW(startProcess(spec), Error);
    spec.argv = {"no-such-program-anywhere"};
    EXPECT_THROW(startProcess(spec), Error);
}

}  // namespace
}  // namespace tabulon::preview
