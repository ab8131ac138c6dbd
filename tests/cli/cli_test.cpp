// The command line as a user runs it: real process, real folders.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sys/wait.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <vector>

#include "catalogue/catalogue.h"
#include "tests/support/temp_folder.h"

namespace tabulon {
namespace {

using testing::readFile;
using testing::TempFolder;

struct Run {
    int exitCode;
    std::string output;
};

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

Run runProgram(const char* program, const std::filesystem::path& runDir, const std::string& arguments) {
    const std::string command =
        std::string(program) + " --run-dir " + quoted(runDir.string()) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

Run tabulon(const std::filesystem::path& runDir, const std::string& arguments) {
    return runProgram(TABULON_EXECUTABLE, runDir, arguments);
}

TEST(CommandLine, GenerateAddPagesOfTheSampleProject) {
    TempFolder run;
    const auto result = tabulon(run.path(), "generate 记账 --kinds add");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "生成完毕\n");
    for (const char* page : {"YH24_Add.asp", "SZ25_Add.asp", "XFLX26_Add.asp", "LSZ27_Add.asp"})
        EXPECT_TRUE(std::filesystem::exists(run.path() / "记账" / "manage" / page)) << page;
}

TEST(CommandLine, ProjectByIdAndSingleTableMessages) {
    TempFolder run;
    const auto result = tabulon(run.path(), "generate 4 --tables 26 --kinds add");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "Create add ok\n生成完毕\n");
}

TEST(CommandLine, DesignCheckReportsNamesTheSiteCannotUse) {
    TempFolder run;
    const auto sound = tabulon(run.path(), "check 记账");
    EXPECT_EQ(sound.exitCode, 0) << sound.output;
    EXPECT_EQ(sound.output, "设计检查通过：项目 记账 的设计都能用于生成网站。\n");
    {
        auto catalogue = catalogue::Catalogue::openInRunFolder(run.path());
        catalogue::Field field;
        field.tableId = 25;
        field.name = "user]";
        field.type = "文本";
        field.inputType = "文本框";
        field.order = 9;
        catalogue.addField(field);
    }
    const auto broken = tabulon(run.path(), "check 记账");
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(broken.output, "项目 记账 / 表 收支 / 字段 user]：名称含有不能用的字符“]”\n");
    // Generation leaves that table's pages out and says why.
    const auto generated = tabulon(run.path(), "generate 记账 --kinds add");
    EXPECT_EQ(generated.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(run.path() / "记账" / "manage" / "SZ25_Add.asp"));
    EXPECT_TRUE(std::filesystem::exists(run.path() / "记账" / "manage" / "LSZ27_Add.asp"));
}

TEST(CommandLine, ListsProjectsAndTables) {
    TempFolder run;
    EXPECT_EQ(tabulon(run.path(), "projects").output, "4\t记账\n");
    EXPECT_EQ(tabulon(run.path(), "tables 记账").output, "24\t用户\n25\t收支\n26\t消费类型\n27\t流水帐\n");
}

TEST(CommandLine, MistakesAndFailuresHaveTheirExitCodes) {
    TempFolder run;
    EXPECT_EQ(tabulon(run.path(), "generate 记账 --kinds add,bogus").exitCode, 2);
    EXPECT_EQ(tabulon(run.path(), "generate").exitCode, 2);
    EXPECT_EQ(tabulon(run.path(), "frobnicate").exitCode, 2);

    const auto missing = tabulon(run.path(), "generate 没有这个项目");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("没有这个项目"), std::string::npos);
}

TEST(CommandLine, ForeignCatalogueIsAnErrorAndStaysUntouched) {
    TempFolder run;
    const auto file = run.path() / catalogue::kFileName;
    std::ofstream(file) << "not a catalogue";
    const auto result = tabulon(run.path(), "generate 记账");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find(file.string()), std::string::npos) << result.output;
    EXPECT_EQ(readFile(file), "not a catalogue");
    EXPECT_FALSE(std::filesystem::exists(run.path() / "记账"));
}

// A drop-down fed by a table that is gone is refused before any page is built, in the words
// of the design check.
TEST(CommandLine, ADanglingDropDownIsRefusedAsTheCheckSaysIt) {
    TempFolder run;
    {
        auto catalogue = catalogue::Catalogue::openInRunFolder(run.path());
        auto field = *catalogue.field(160);  // 名称 of 流水帐 becomes a drop-down fed by nothing
        field.inputType = "组合框";
        field.linkTable = "0";
        field.linkField = "7";
        catalogue.updateField(field);
    }
    const auto result = tabulon(run.path(), "generate 记账 --tables 27 --kinds add");
    const std::string refusal = "项目 记账 / 表 流水帐 / 字段 名称：组合框的关联表（编号 0）已不存在";
    EXPECT_EQ(result.output, refusal + "，该表的页面未生成。\n生成完毕\n");
    EXPECT_FALSE(std::filesystem::exists(run.path() / "记账" / "manage" / "LSZ27_Add.asp"));
    EXPECT_EQ(tabulon(run.path(), "check 记账").output, refusal + "\n");
}

}  // namespace
}  // namespace tabulon

namespace tabulon {
namespace {

TEST(CommandLineVersion, VersionIsPrintedWithoutTouchingTheRunFolder) {
    testing::TempFolder run;
    const auto result = tabulon(run.path() / "absent", "--version");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output.rfind("tabulon ", 0), 0u) << result.output;
    EXPECT_NE(result.output.find('.'), std::string::npos) << "a dotted version number";
    EXPECT_FALSE(std::filesystem::exists(run.path() / "absent"));
}

// Every file of the tree below `folder`, relative, sorted.
std::vector<std::string> filesBelow(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files.push_back(std::filesystem::relative(entry.path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(CommandLine, DryRunListsWhatTheBuildWritesAndTouchesNothing) {
    TempFolder dry;
    const auto listed = tabulon(dry.path(), "build 记账 --dry-run");
    EXPECT_EQ(listed.exitCode, 0) << listed.output;
    EXPECT_TRUE(std::filesystem::is_empty(dry.path())) << "not even the catalogue is created";
    EXPECT_EQ(listed.output.find("默认帐号"), std::string::npos) << "the login step sees the database of the dry run";

    TempFolder real;
    const auto built = tabulon(real.path(), "build 记账");
    ASSERT_EQ(built.exitCode, 0) << built.output;
    // The messages come first, then one path a line.
    ASSERT_TRUE(listed.output.starts_with(built.output)) << listed.output;
    std::vector<std::string> paths;
    std::istringstream lines(listed.output.substr(built.output.size()));
    for (std::string line; std::getline(lines, line);) {
        const std::string prefix = dry.path().string() + "/";
        ASSERT_TRUE(line.starts_with(prefix)) << line;
        paths.push_back(line.substr(prefix.size()));
    }
    std::sort(paths.begin(), paths.end());
    std::vector<std::string> written = filesBelow(real.path());
    std::erase(written, std::string(catalogue::kFileName));
    EXPECT_EQ(paths, written);
}

// Every file below `folder` with its bytes, the site database left out (it carries the
// time it was made).
std::map<std::string, std::string> siteBytes(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& name : filesBelow(folder))
        if (!name.ends_with(".mdb") && name != catalogue::kFileName) files[name] = readFile(folder / name);
    return files;
}

// One thread or several, the same files and the same messages in the same order; a count
// that is not one is refused before anything is written.
TEST(CommandLine, BuildThreadsChangeNothingButTheTime) {
    TempFolder one, many;
    const auto single = tabulon(one.path(), "build 记账 --threads 1");
    ASSERT_EQ(single.exitCode, 0) << single.output;
    const auto several = tabulon(many.path(), "build 记账 --threads 3");
    ASSERT_EQ(several.exitCode, 0) << several.output;
    EXPECT_EQ(several.output, single.output);
    const auto files = siteBytes(one.path());
    EXPECT_GT(files.size(), 50u);
    EXPECT_TRUE(siteBytes(many.path()) == files);

    TempFolder refused;
    const auto bad = tabulon(refused.path(), "build 记账 --threads x");
    EXPECT_EQ(bad.exitCode, 2) << bad.output;
    EXPECT_FALSE(std::filesystem::exists(refused.path() / "记账"));
}

// A site database that cannot be read is left as it is; the login step, which would add
// the default account to it, does not run and says why, in its place; the pages are built.
TEST(CommandLine, ADamagedSiteDatabaseHoldsBackOnlyTheLoginStep) {
    TempFolder run;
    ASSERT_EQ(tabulon(run.path(), "build 记账").exitCode, 0);
    const auto site = run.path() / "记账";
    const auto data = site / "data" / "data.mdb";
    const std::string damaged = readFile(data).substr(0, 5000);
    std::ofstream(data, std::ios::binary | std::ios::trunc) << damaged;
    std::filesystem::remove(site / "manage" / "YH24_Add.asp");

    const auto again = tabulon(run.path(), "build 记账");
    EXPECT_EQ(again.exitCode, 1) << again.output;
    EXPECT_NE(again.output.find("无法读取"), std::string::npos) << again.output;
    EXPECT_EQ(again.output.find("请先生成数据库文件"), std::string::npos) << "the file is there, only damaged";
    EXPECT_NE(again.output.find("生成完毕\n④生成登录代码没有运行：它需要的网站数据库没有生成。\n"), std::string::npos)
        << again.output;
    EXPECT_EQ(again.output.find("登陆生成完毕"), std::string::npos) << again.output;
    EXPECT_EQ(readFile(data), damaged);
    EXPECT_EQ(again.output.find("默认帐号"), std::string::npos) << "no account is tried on the damaged file";
    EXPECT_TRUE(std::filesystem::exists(site / "manage" / "YH24_Add.asp"));
}

#ifdef TABULON_CLI_EXECUTABLE
// The window-less program runs the same commands and says so when asked for the window.
TEST(CommandLine, TheProgramWithoutWindowBuildsTheSameSite) {
    TempFolder full, bare;
    const auto built = tabulon(full.path(), "build 记账");
    ASSERT_EQ(built.exitCode, 0) << built.output;
    const auto run = [&](const std::string& arguments) {
        return runProgram(TABULON_CLI_EXECUTABLE, bare.path(), arguments);
    };
    const auto cli = run("build 记账");
    ASSERT_EQ(cli.exitCode, 0) << cli.output;
    EXPECT_EQ(cli.output, built.output);
    EXPECT_TRUE(siteBytes(bare.path()) == siteBytes(full.path()));
    const auto window = run("");
    EXPECT_EQ(window.exitCode, 2);
    EXPECT_NE(window.output.find("no window"), std::string::npos) << window.output;
}
#endif

// The real build makes a run folder that is not there yet; the dry run lists the same
// files and makes nothing.
TEST(CommandLine, DryRunIntoARunFolderNotYetMade) {
    TempFolder parent;
    const auto missing = parent.path() / "新运行";
    const auto listed = tabulon(missing, "build 记账 --dry-run");
    EXPECT_EQ(listed.exitCode, 0) << listed.output;
    EXPECT_FALSE(std::filesystem::exists(missing));
    const auto built = tabulon(missing, "build 记账");
    ASSERT_EQ(built.exitCode, 0) << built.output;
    EXPECT_TRUE(listed.output.starts_with(built.output)) << listed.output;
}

TEST(CommandLine, EveryWritingCommandTakesDryRun) {
    TempFolder run;
    ASSERT_EQ(tabulon(run.path(), "skeleton 记账").exitCode, 0);
    ASSERT_EQ(tabulon(run.path(), "database 记账").exitCode, 0);
    const auto before = filesBelow(run.path());
    // With a database there, a real run would keep a dated copy of it: the dry run names it.
    const auto database = tabulon(run.path(), "database 记账 --dry-run");
    EXPECT_NE(database.output.find("原数据库已保留为 " + run.path().string() + "/记账/data/data-"), std::string::npos)
        << database.output;
    for (const char* command : {"skeleton 记账", "database 记账", "generate 记账 --tables 27", "login 记账"}) {
        const auto result = tabulon(run.path(), std::string(command) + " --dry-run");
        EXPECT_NE(result.output.find(run.path().string() + "/记账/"), std::string::npos) << command << result.output;
        EXPECT_EQ(filesBelow(run.path()), before) << command;
    }
}

}  // namespace
}  // namespace tabulon
