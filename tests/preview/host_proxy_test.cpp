// The link to the ASP host against a fake host that can hang, crash or fail on demand:
// the watchdog, restarts and the template row added to error pages.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <signal.h>

#include "base/gbk.h"
#include "preview/server/child_process.h"
#include "base/error.h"
#include "preview/server/host_proxy.h"
#include "preview/server/socket_io.h"
#include "tests/support/temp_folder.h"

namespace tabulon::preview {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string pidIn(const std::string& body) {
    const auto start = body.find("pid=") + 4;
    return body.substr(start, body.find('\n', start) - start);
}

class HostProxyTest : public ::testing::Test {
protected:
    HostCommand command(const std::vector<std::string>& extraEnvironment = {}) {
        HostCommand host;
        host.argv = {FAKE_ASPHOST, "--site", (run.path() / "site").string(), "--db", "copy.sqlite", "--port", "0"};
        host.environment = currentEnvironment();
        for (const auto& entry : extraEnvironment) host.environment.push_back(entry);
        host.log = run.path() / "host.log";
        host.startLimit = 3s;
        return host;
    }
    HttpRequest request(const std::string& method, const std::string& target, const std::string& body = "") {
        RequestParser parser;
        std::string wire = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1:9\r\nConnection: keep-alive\r\n" +
                           "X-Forwarded-For: 10.9.9.9\r\nX-Tabulon-Client: 10.8.8.8\r\n" +
                           "X-Tabulon-Host-Key: 0123456789abcdef0123456789abcdef\r\nCookie: ASPSESSIONID=1\r\n";
        if (method == "POST") wire += "Content-Length: " + std::to_string(body.size()) + "\r\n";
        parser.feed(wire + "\r\n" + body);
        return parser.request();
    }

    testing::TempFolder run;
};

TEST_F(HostProxyTest, ForwardsTheRequestAsTheHostExpectsIt) {
    HostProcess host(command());
    HostProxy proxy(host, nullptr);
    const auto answer =
        proxy.forward(request("POST", "/manage/X_Add.asp?act=1", "S_1=%D6%D0"), "/manage/X_Add.asp?act=1", "127.0.0.1");
    ASSERT_EQ(answer.status, 200) << answer.body;
    EXPECT_EQ(answer.header("X-Fake-Host").value_or(""), "yes");
    const auto& body = answer.body;
    EXPECT_NE(body.find("line=POST /manage/X_Add.asp?act=1 HTTP/1.1\n"), std::string::npos) << body;
    EXPECT_NE(body.find("args=--site|" + (run.path() / "site").string() + "|--db|copy.sqlite|--port|0\n"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find("Cookie: ASPSESSIONID=1\r\n"), std::string::npos);
    // The host learns the browser's address and its own key from the front alone.
    EXPECT_NE(body.find("X-Tabulon-Client: 127.0.0.1\r\n"), std::string::npos);
    EXPECT_NE(body.find("X-Tabulon-Host-Key: " + host.key() + "\r\n"), std::string::npos);
    EXPECT_EQ(host.key().size(), 64u);
    EXPECT_EQ(body.find("10.9.9.9"), std::string::npos);
    EXPECT_EQ(body.find("10.8.8.8"), std::string::npos);
    EXPECT_EQ(body.find("0123456789abcdef0123456789abcdef"), std::string::npos);
    EXPECT_EQ(body.find("X-Forwarded-For"), std::string::npos);
    EXPECT_NE(body.find("Connection: close\r\n"), std::string::npos);
    EXPECT_EQ(body.find("keep-alive"), std::string::npos);
    EXPECT_TRUE(body.ends_with("\r\n\r\nS_1=%D6%D0")) << body;
    // One host serves request after request.
    const auto again = proxy.forward(request("GET", "/a.asp"), "/a.asp", "127.0.0.1");
    EXPECT_EQ(pidIn(again.body), pidIn(body));
    EXPECT_EQ(host.starts(), 1);
}

TEST_F(HostProxyTest, TheHostsPortRefusesAnyoneWithoutItsKey) {
    HostProcess host(command());
    const auto port = host.ensureRunning();
    const auto firstKey = host.key();
    auto ask = [port](const std::string& extra) {
        auto connection = connectToLoopback(port, Clock::now() + 2s);
        EXPECT_TRUE(connection);
        sendAll(connection->fd(), "GET /a.asp HTTP/1.1\r\nHost: x\r\n" + extra + "Connection: close\r\n\r\n",
                Clock::now() + 2s);
        std::string answer;
        readUntilClosed(connection->fd(), answer, Clock::now() + 2s, 1 << 20);
        return parseResponse(answer).value_or(HttpResponse{}).status;
    };
    EXPECT_EQ(ask(""), 403);
    EXPECT_EQ(ask("X-Tabulon-Host-Key: " + std::string(64, '0') + "\r\n"), 403);
    EXPECT_EQ(ask("X-Tabulon-Host-Key: " + firstKey + "\r\n"), 200);
    // Each start has a key of its own: an old one opens nothing.
    host.restart();
    EXPECT_NE(host.key(), firstKey);
}

TEST_F(HostProxyTest, WatchdogStopsAnEndlessPageAndStartsAFreshHost) {
    HostProcess host(command());
    ProxyOptions options;
    options.pageLimit = 400ms;
    HostProxy proxy(host, nullptr, options);
    const auto first = pidIn(proxy.forward(request("GET", "/a.asp"), "/a.asp", "127.0.0.1").body);
    const pid_t hungPid = host.pid();

    const auto started = Clock::now();
    const auto timeout = proxy.forward(request("GET", "/hang.asp"), "/hang.asp", "127.0.0.1");
    const auto took = Clock::now() - started;
    EXPECT_EQ(timeout.status, 500);
    EXPECT_EQ(timeout.header("X-Tabulon-Watchdog").value_or(""), "timeout");
    EXPECT_NE(timeout.body.find("页面运行时间过长"), std::string::npos);
    EXPECT_NE(timeout.body.find("/hang.asp"), std::string::npos);
    EXPECT_GE(took, 400ms);
    EXPECT_LT(took, 5s);
    EXPECT_NE(kill(hungPid, 0), 0);  // the hung host is gone

    const auto after = proxy.forward(request("GET", "/a.asp"), "/a.asp", "127.0.0.1");
    EXPECT_EQ(after.status, 200);
    EXPECT_NE(pidIn(after.body), first);
    EXPECT_EQ(host.starts(), 2);
}

TEST_F(HostProxyTest, AHostThatDiesIsStartedAgain) {
    HostProcess host(command());
    HostProxy proxy(host, nullptr);
    const auto crashed = proxy.forward(request("GET", "/crash.asp"), "/crash.asp", "127.0.0.1");
    EXPECT_EQ(crashed.status, 502);
    EXPECT_EQ(crashed.header("X-Tabulon-Watchdog").value_or(""), "host-died");
    EXPECT_EQ(proxy.forward(request("GET", "/a.asp"), "/a.asp", "127.0.0.1").status, 200);

    // Killed from outside between two requests: the next request finds it gone.
    killProcessGroup(host.pid());
    EXPECT_EQ(proxy.forward(request("GET", "/a.asp"), "/a.asp", "127.0.0.1").status, 200);
    EXPECT_EQ(host.starts(), 3);
}

TEST_F(HostProxyTest, RequestsThatMeetTheSameDeadHostRestartItOnce) {
    HostProcess host(command());
    const auto first = host.ensureInstance();
    EXPECT_EQ(first.start, 1);
    EXPECT_EQ(first.key, host.key());
    host.restartUnlessSince(first.start);  // the first to notice restarts it
    host.restartUnlessSince(first.start);  // the others find it restarted already
    EXPECT_EQ(host.starts(), 2);
    const auto second = host.ensureInstance();
    EXPECT_EQ(second.start, 2);
    EXPECT_NE(second.key, first.key);
}

TEST_F(HostProxyTest, PagesBeyondThePlacesWaitTheirTurn) {
    HostProcess host(command());
    ProxyOptions options;
    options.pagesAtOnce = 1;
    options.pageLimit = 600ms;
    HostProxy proxy(host, nullptr, options);
    // One place, taken by a page that hangs until the watchdog ends it: the next request
    // waits for the place instead of reaching the host, then is served by the fresh host.
    std::thread hung([&] { proxy.forward(request("GET", "/hang.asp"), "/hang.asp", "127.0.0.1"); });
    std::this_thread::sleep_for(100ms);
    const auto started = Clock::now();
    const auto next = proxy.forward(request("GET", "/a.asp"), "/a.asp", "127.0.0.1");
    const auto waited = Clock::now() - started;
    hung.join();
    EXPECT_EQ(next.status, 200) << next.body;
    EXPECT_GE(waited, 400ms);
    EXPECT_EQ(host.starts(), 2);  // the watchdog's restart; the waiting request met no dead host
}

TEST_F(HostProxyTest, AHostThatCannotStartIsReportedWithItsOutput) {
    HostProcess failing(command({"FAKE_HOST_MODE=fail"}));
    HostProxy proxy(failing, nullptr);
    const auto answer = proxy.forward(request("GET", "/a.asp"), "/a.asp", "127.0.0.1");
    EXPECT_EQ(answer.status, 503);
    EXPECT_NE(answer.body.find("told to fail"), std::string::npos) << answer.body;

    auto silentCommand = command({"FAKE_HOST_MODE=silent"});
    silentCommand.startLimit = 300ms;
    HostProcess silent(silentCommand);
    try {
        silent.ensureRunning();
        FAIL() << "a silent host counted as started";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("fake host starting"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(silent.running());
}

TEST_F(HostProxyTest, ErrorPagesNameTheTemplateRow) {
    fs::create_directories(run.path() / "site" / "manage");
    std::ofstream(run.path() / "site" / "manage" / "X1_List.asp", std::ios::binary)
        << gbk::encode("<%\r\nrs.open sql,conn,1,1\r\n%>\r\n").bytes;
    const SiteFolder site(run.path() / "site");
    const ErrorAnnotator annotator(site, {{77, "列表", "<html>\r\nrs.open sql,conn,1,1\r\n", 3}});
    HostProcess host(command());
    HostProxy proxy(host, &annotator);
    const auto answer =
        proxy.forward(request("GET", "/error.asp"), "/error.asp?file=manage/X1_List.asp&line=2", "127.0.0.1");
    EXPECT_EQ(answer.status, 500);
    EXPECT_EQ(answer.header("X-Tabulon-Error-Template").value_or(""), "77:2");
    EXPECT_NE(answer.body.find(gbk::encode("模板 列表 第2行 (ID 77)").bytes), std::string::npos);
}

TEST(HostOutput, ListeningLine) {
    EXPECT_EQ(listeningPort("LISTENING 8123\n"), 8123);
    EXPECT_EQ(listeningPort("wine: starting\r\nLISTENING 40000\r\n"), 40000);
    EXPECT_FALSE(listeningPort("LISTENING 8123"));  // not complete yet
    EXPECT_FALSE(listeningPort("NOT LISTENING 1\n"));
    EXPECT_FALSE(listeningPort("LISTENING 0\n"));
    EXPECT_FALSE(listeningPort("LISTENING 70000\n"));
    EXPECT_FALSE(listeningPort("LISTENING x\n"));
}

}  // namespace
}  // namespace tabulon::preview
