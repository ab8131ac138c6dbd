// `tabulon serve` as a user runs it: a real process on a fresh run folder, with a native
// stand-in for the ASP host (TABULON_PREVIEW_HOST), or with Wine and the real host when
// both are there.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <thread>

#include <SQLiteCpp/SQLiteCpp.h>

#include "base/gbk.h"
#include "catalogue/catalogue.h"
#include "jet/table_data.h"
#include "preview/server/child_process.h"
#include "preview/server/wine.h"
#include "tests/preview/http_client.h"
#include "tests/support/temp_folder.h"

namespace tabulon::preview {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One run of the command in the background, its output in a file.
class Serve {
public:
    Serve(const fs::path& runDir, const std::vector<std::string>& arguments, std::vector<std::string> environment)
        : output_(runDir.parent_path() / (runDir.filename().string() + "-serve.out")) {
        ProcessSpec spec;
        spec.argv = {TABULON_EXECUTABLE, "--run-dir", runDir.string(), "serve"};
        spec.argv.insert(spec.argv.end(), arguments.begin(), arguments.end());
        spec.environment = std::move(environment);
        spec.output = output_;
        pid_ = startProcess(spec);
    }
    ~Serve() {
        if (pid_ > 0) killProcessGroup(pid_);
        fs::remove(output_);
    }

    // The port of the printed address, or 0 when the command ended or `limit` passed first.
    std::uint16_t port(std::chrono::milliseconds limit = 30s) {
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            const auto text = output();
            const auto at = text.find("\nhttp://127.0.0.1:");
            if (at != std::string::npos && text.find("/\n", at) != std::string::npos)
                return static_cast<std::uint16_t>(std::stoi(text.substr(at + 18)));
            if (!isRunning(pid_)) return 0;
            std::this_thread::sleep_for(20ms);
        }
        return 0;
    }
    // Sends `signal` and returns the exit status.
    std::optional<int> stop(int signal = SIGINT) {
        kill(pid_, signal);
        const auto status = waitForExit(pid_, 20s);
        if (status) pid_ = -1;
        return status;
    }
    std::optional<int> exitStatus(std::chrono::milliseconds limit) {
        const auto status = waitForExit(pid_, limit);
        if (status) pid_ = -1;
        return status;
    }
    std::string output() const { return readAll(output_); }

private:
    fs::path output_;
    pid_t pid_ = -1;
};

std::vector<std::string> withStandIn() {
    auto environment = currentEnvironment();
    setVariable(environment, "TABULON_PREVIEW_HOST", FAKE_ASPHOST);
    return environment;
}

std::string field(const std::string& body, const std::string& name) {
    const auto at = body.find(name + "=");
    if (at == std::string::npos) return "";
    const auto start = at + name.size() + 1;
    return body.substr(start, body.find('\n', start) - start);
}

TEST(ServeCommand, WithoutWineSaysWhatToInstall) {
    testing::TempFolder run, emptyBin;
    auto environment = currentEnvironment();
    setVariable(environment, "PATH", emptyBin.path().string());
    setVariable(environment, "TABULON_PREVIEW_HOST", std::nullopt);
    Serve serve(run.path(), {"记账", "--no-browser"}, environment);
    EXPECT_EQ(serve.exitStatus(20s), 1);
    const auto output = serve.output();
    EXPECT_NE(output.find("wine wine64"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(run.path() / "记账"));  // nothing built for a preview that cannot run
}

TEST(ServeCommand, MistakesInTheCommandLine) {
    testing::TempFolder run;
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{},
                                                      {"记账", "--port", "70000"},
                                                      {"记账", "--port", "x"},
                                                      {"记账", "--page-timeout", "0"},
                                                      {"记账", "--locale", "fr-FR"},
                                                      {"记账", "--locale", "zh_CN"},
                                                      {"记账", "--bogus"}}) {
        Serve serve(run.path(), arguments, withStandIn());
        EXPECT_EQ(serve.exitStatus(20s), 2) << serve.output();
    }
    Serve unknown(run.path(), {"没有这个项目", "--no-browser"}, withStandIn());
    EXPECT_EQ(unknown.exitStatus(20s), 1);
    EXPECT_NE(unknown.output().find("没有这个项目"), std::string::npos);
}

TEST(ServeCommand, BuildsServesAndStopsWithTheHost) {
    testing::TempFolder run;
    Serve serve(run.path(), {"记账", "--no-browser", "--port", "0", "--test-hooks"}, withStandIn());
    const auto port = serve.port();
    ASSERT_NE(port, 0) << serve.output();
    const auto output = serve.output();
    EXPECT_NE(output.find("不存在，先生成网站"), std::string::npos) << output;
    EXPECT_TRUE(fs::exists(run.path() / "记账" / "manage" / "YH24_List.asp"));
    const auto copy = run.path() / ".preview" / "4" / "data.sqlite";
    EXPECT_TRUE(fs::exists(copy));

    // "/" runs the login page through the host, with the working copy and the test hooks.
    const auto login = wire::exchange(port, wire::get("/"));
    ASSERT_EQ(login.status, 200);
    EXPECT_EQ(field(login.body, "line"), "GET /index.asp HTTP/1.1");
    const auto args = field(login.body, "args");
    EXPECT_NE(args.find("|--db|" + copy.string() + "|"), std::string::npos) << args;
    // Sessions are kept beside the working copy, so a restarted host keeps them.
    EXPECT_NE(
        args.find("|--port|0|--state|" + (run.path() / ".preview" / "4" / "host-state.bin").string() + "|--test-hooks"),
        std::string::npos)
        << args;
    const auto hostPid = std::stoi(field(login.body, "pid"));

    const auto css = wire::exchange(port, wire::get("/STYLE/style.css"));
    EXPECT_EQ(css.status, 200);
    EXPECT_EQ(css.response.header("Content-Type").value_or(""), "text/css");
    EXPECT_EQ(css.body, readAll(run.path() / "记账" / "style" / "style.css"));
    EXPECT_EQ(wire::exchange(port, wire::get("/data/data.mdb")).status, 404);
    EXPECT_EQ(wire::exchange(port, wire::get("/%2e%2e/tabulon-catalogue.db")).status, 403);

    EXPECT_EQ(serve.stop(SIGINT), 0);
    EXPECT_NE(serve.output().find("预览已停止。"), std::string::npos);
    EXPECT_NE(kill(hostPid, 0), 0);  // the host went with it
}

TEST(ServeCommand, WorkingCopyOutlivesRestartsUntilFresh) {
    testing::TempFolder run;
    const auto copy = run.path() / ".preview" / "4" / "data.sqlite";
    const auto inode = [&] {
        struct stat info {};
        stat(copy.c_str(), &info);
        return info.st_ino;
    };
    {
        Serve first(run.path(), {"4", "--no-browser"}, withStandIn());
        ASSERT_NE(first.port(), 0) << first.output();
        EXPECT_EQ(first.stop(SIGTERM), 0);
    }
    const auto seeded = inode();
    std::ofstream(run.path() / "记账" / "hang.asp") << "<% Do : Loop %>";
    {
        Serve again(run.path(), {"记账", "--no-browser", "--page-timeout", "0.5"}, withStandIn());
        const auto port = again.port();
        ASSERT_NE(port, 0) << again.output();
        EXPECT_EQ(again.output().find("建立工作副本"), std::string::npos);
        EXPECT_EQ(inode(), seeded);
        const auto hung = wire::exchange(port, wire::get("/hang.asp"));
        EXPECT_EQ(hung.status, 500);
        EXPECT_EQ(hung.response.header("X-Tabulon-Watchdog").value_or(""), "timeout");
        EXPECT_EQ(wire::exchange(port, wire::get("/index.asp")).status, 200);
        EXPECT_EQ(again.stop(), 0);
    }
    // The host's kept sessions stay across restarts, and go with a fresh working copy.
    const auto state = run.path() / ".preview" / "4" / "host-state.bin";
    std::ofstream(state) << "kept";
    {
        Serve fresh(run.path(), {"记账", "--no-browser", "--fresh"}, withStandIn());
        ASSERT_NE(fresh.port(), 0) << fresh.output();
        EXPECT_NE(fresh.output().find("建立工作副本"), std::string::npos);
        EXPECT_NE(inode(), seeded);
        EXPECT_FALSE(fs::exists(state));
        EXPECT_EQ(fresh.stop(), 0);
    }
}

// Runs the tabulon command on `runDir` and waits for it.
int tabulon(const fs::path& runDir, const std::vector<std::string>& arguments) {
    ProcessSpec spec;
    spec.argv = {TABULON_EXECUTABLE, "--run-dir", runDir.string()};
    spec.argv.insert(spec.argv.end(), arguments.begin(), arguments.end());
    spec.environment = currentEnvironment();
    spec.output = runDir.parent_path() / (runDir.filename().string() + "-cmd.out");
    const auto status = waitForExit(startProcess(spec), 60s);
    return status.value_or(-1);
}

// What the pages would read: one value of the working copy.
std::string workingCopyValue(const fs::path& copy, const std::string& sql) {
    SQLite::Database db(copy.string(), SQLite::OPEN_READONLY);
    SQLite::Statement query(db, sql);
    return query.executeStep() ? query.getColumn(0).getString() : std::string("<none>");
}

// ② adds a column while the preview runs: before the next page the working copy takes the
// new design with the rows entered in the preview, and --save writes them into data.mdb.
TEST(ServeCommand, TheWorkingCopyFollowsTheDesignAndIsSavedOnStop) {
    testing::TempFolder run;
    const auto copy = run.path() / ".preview" / "4" / "data.sqlite";
    Serve serve(run.path(), {"记账", "--no-browser", "--save"}, withStandIn());
    const auto port = serve.port();
    ASSERT_NE(port, 0) << serve.output();
    {
        // A row entered on the preview's add page.
        SQLite::Database db(copy.string(), SQLite::OPEN_READWRITE);
        db.exec("INSERT INTO 消费类型 (类型名称) VALUES ('预览里加的')");
    }
    {
        auto catalogue = catalogue::Catalogue::openInRunFolder(run.path());
        catalogue::Field phone;
        phone.tableId = 26;
        phone.name = "备注";
        phone.type = "文本";
        phone.inputType = "文本框";
        phone.order = 30;
        catalogue.addField(phone);
    }
    ASSERT_EQ(tabulon(run.path(), {"database", "记账"}), 0);
    EXPECT_EQ(wire::exchange(port, wire::get("/index.asp")).status, 200);
    // The new column is there for the add page, and the preview's row survived.
    EXPECT_EQ(workingCopyValue(copy,
                               "SELECT name FROM \"tabulon.columns\" WHERE table_position = "
                               "(SELECT position FROM \"tabulon.tables\" WHERE name = '消费类型') "
                               "ORDER BY position DESC LIMIT 1"),
              "备注");
    EXPECT_EQ(workingCopyValue(copy, "SELECT 类型名称 FROM 消费类型 WHERE 类型名称 = '预览里加的'"), "预览里加的");

    EXPECT_EQ(serve.stop(SIGINT), 0);
    const auto output = serve.output();
    EXPECT_NE(output.find("预览数据已写回"), std::string::npos) << output;
    const auto data = jet::readFileData(readAll(run.path() / "记账" / "data" / "data.mdb"));
    bool found = false;
    for (const auto& table : data.tables)
        for (const auto& row : table.rows)
            for (const auto& value : row)
                if (const auto* text = std::get_if<std::string>(&value); text && *text == "预览里加的") found = true;
    EXPECT_TRUE(found);
}

// Running and not a zombie waiting to be reaped by whoever inherited it.
bool alive(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

TEST(ServeCommand, TheHostDiesWithAKilledServe) {
    testing::TempFolder run;
    Serve serve(run.path(), {"记账", "--no-browser"}, withStandIn());
    const auto port = serve.port();
    ASSERT_NE(port, 0) << serve.output();
    const auto hostPid = std::stoi(field(wire::exchange(port, wire::get("/")).body, "pid"));
    ASSERT_TRUE(alive(hostPid));
    serve.stop(SIGKILL);
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {
        gone = !alive(hostPid);
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(gone);
}

// The whole chain: Wine, the real ASP host, the working copy, the generated login page.
TEST(ServeCommand, LoginPageThroughWine) {
    const auto host = fs::path(TABULON_EXECUTABLE).parent_path() / "preview" / "host" / "asphost.exe";
    if (!findWine(variable(currentEnvironment(), "PATH").value_or("")) || !fs::exists(host))
        GTEST_SKIP() << "needs wine, wineserver and wineboot on PATH and " << host;
    testing::TempFolder run;
    auto environment = currentEnvironment();
    setVariable(environment, "TABULON_PREVIEW_HOST", std::nullopt);
    Serve serve(run.path(), {"记账", "--no-browser", "--port", "0"}, environment);
    const auto port = serve.port(300s);  // the first run makes the Wine prefix
    ASSERT_NE(port, 0) << serve.output();
    const auto login = wire::exchange(port, wire::get("/"), 60s);
    ASSERT_EQ(login.status, 200) << login.body;
    const auto page = gbk::decode(login.body);
    EXPECT_NE(page.find("name=\"username\""), std::string::npos) << page;
    EXPECT_NE(page.find("name=\"verifycode\""), std::string::npos);
    EXPECT_EQ(page.find("<%"), std::string::npos);  // run, not served as text
    EXPECT_EQ(serve.stop(), 0);
}

// Through Wine: a page that runs too long restarts the host, and the visitor stays in the
// same session with the same values (the host keeps them in .preview/<id>/host-state.bin).
TEST(ServeCommand, SessionsOutliveTheWatchdogsRestartThroughWine) {
    const auto host = fs::path(TABULON_EXECUTABLE).parent_path() / "preview" / "host" / "asphost.exe";
    if (!findWine(variable(currentEnvironment(), "PATH").value_or("")) || !fs::exists(host))
        GTEST_SKIP() << "needs wine, wineserver and wineboot on PATH and " << host;
    testing::TempFolder run;
    auto environment = currentEnvironment();
    setVariable(environment, "TABULON_PREVIEW_HOST", std::nullopt);
    {
        Serve build(run.path(), {"记账", "--no-browser", "--port", "0"}, environment);
        ASSERT_NE(build.port(300s), 0) << build.output();
        EXPECT_EQ(build.stop(), 0);
    }
    std::ofstream(run.path() / "记账" / "hang.asp") << "<% Do : Loop %>";
    Serve serve(run.path(), {"记账", "--no-browser", "--port", "0", "--page-timeout", "1", "--test-hooks"},
                environment);
    const auto port = serve.port(120s);
    ASSERT_NE(port, 0) << serve.output();
    const auto image = wire::exchange(port, wire::get("/inc/verifycode.asp"), 60s);
    ASSERT_EQ(image.status, 200) << image.body;
    const std::string cookie(image.response.header("Set-Cookie").value_or(""));
    ASSERT_EQ(cookie.rfind("ASPSESSIONID", 0), 0u) << image.head;
    const auto jar = cookie.substr(0, cookie.find(';'));
    const auto ask = [&] {
        return wire::exchange(
            port, "GET /__tabulon/session/verifycode HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: " + jar + "\r\n\r\n", 60s);
    };
    const auto before = ask();
    ASSERT_EQ(before.status, 200);
    ASSERT_FALSE(before.body.empty());

    const auto hung = wire::exchange(port, wire::get("/hang.asp"), 60s);
    EXPECT_EQ(hung.response.header("X-Tabulon-Watchdog").value_or(""), "timeout");
    const auto after = ask();
    EXPECT_EQ(after.status, 200) << after.body;
    EXPECT_EQ(after.body, before.body);
    EXPECT_EQ(serve.stop(), 0);
}

}  // namespace
}  // namespace tabulon::preview
