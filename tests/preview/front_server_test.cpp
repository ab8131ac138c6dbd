// The front server: static files with their types, what goes to the ASP host, and the
// server over real sockets (limits, idle connections, stopping).
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "preview/server/front_server.h"
#include "preview/server/mime_types.h"
#include "tests/preview/http_client.h"
#include "tests/support/temp_folder.h"

namespace tabulon::preview {
namespace {

namespace fs = std::filesystem;

TEST(MimeTypes, KnownExtensionsOnlyAnyCase) {
    EXPECT_EQ(mimeTypeFor("a.htm"), "text/html");
    EXPECT_EQ(mimeTypeFor("A.HTML"), "text/html");
    EXPECT_EQ(mimeTypeFor("style/Style.css"), "text/css");
    EXPECT_EQ(mimeTypeFor("date/WdatePicker.JS"), "application/javascript");
    EXPECT_EQ(mimeTypeFor("x.gif"), "image/gif");
    EXPECT_EQ(mimeTypeFor("x.jpg"), "image/jpeg");
    EXPECT_EQ(mimeTypeFor("x.png"), "image/png");
    EXPECT_EQ(mimeTypeFor("favicon.ico"), "image/x-icon");
    EXPECT_EQ(mimeTypeFor("readme.txt"), "text/plain");
    EXPECT_EQ(mimeTypeFor("a.xml"), "text/xml");
    EXPECT_EQ(mimeTypeFor("movie.swf"), "application/x-shockwave-flash");
    for (const char* hidden :
         {"data/data.mdb", "inc/x.inc", "global.asa", "web.config", "a.asp", "noext", ".htaccess", "x.ldb", "a.gif/"})
        EXPECT_FALSE(mimeTypeFor(hidden)) << hidden;
    EXPECT_TRUE(isAspPage("/manage/X_List.ASP"));
    EXPECT_FALSE(isAspPage("/x.aspx"));
    EXPECT_FALSE(isAspPage("/asp"));
}

struct RecordedRun {
    std::string target, client;
    int calls = 0;
};

class FrontServerTest : public ::testing::Test {
protected:
    FrontServerTest() {
        fs::create_directories(site.path() / "manage");
        fs::create_directories(site.path() / "data");
        std::ofstream(site.path() / "index.asp") << "<% x %>";
        std::ofstream(site.path() / "manage" / "YH24_List.asp") << "<% x %>";
        // GBK text goes out byte for byte.
        std::ofstream(site.path() / "about.html", std::ios::binary) << "<p>\xbc\xc7\xd5\xcb</p>";
        std::ofstream(site.path() / "data" / "data.mdb") << "jet";
    }

    HttpResponse respond(const std::string& wire) {
        RequestParser parser;
        EXPECT_EQ(parser.feed(wire), RequestParser::State::Complete) << wire;
        return server().respond(parser.request(), "127.0.0.1");
    }
    FrontServer& server() {
        if (!server_) {
            folder_.emplace(site.path());
            server_.emplace(
                *folder_,
                [this](const HttpRequest&, const std::string& target, const std::string& client) {
                    ++run_.calls;
                    run_.target = target;
                    run_.client = client;
                    HttpResponse page;
                    page.body = "ran " + target;
                    return page;
                },
                options);
        }
        return *server_;
    }

    testing::TempFolder site;
    ServerOptions options;
    RecordedRun run_;
    std::optional<SiteFolder> folder_;
    std::optional<FrontServer> server_;
};

TEST_F(FrontServerTest, StaticFilesWithTheirTypeAndBytes) {
    const auto page = respond("GET /ABOUT.HTML HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.header("Content-Type").value_or(""), "text/html");
    EXPECT_EQ(page.body, "<p>\xbc\xc7\xd5\xcb</p>");
    const auto head = respond("HEAD /about.html HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(head.serialize(false).find("Content-Length: 11\r\n") != std::string::npos, true) << head.serialize(false);
    EXPECT_EQ(head.serialize(false).find("<p>"), std::string::npos);
    EXPECT_EQ(respond("POST /about.html HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n").status, 405);
    EXPECT_EQ(respond("GET /data/data.mdb HTTP/1.1\r\nHost: x\r\n\r\n").status, 404);
    EXPECT_EQ(respond("GET /none.htm HTTP/1.1\r\nHost: x\r\n\r\n").status, 404);
    EXPECT_EQ(respond("GET /../etc/passwd HTTP/1.1\r\nHost: x\r\n\r\n").status, 403);
    EXPECT_EQ(respond("GET /a%zz HTTP/1.1\r\nHost: x\r\n\r\n").status, 400);
    EXPECT_EQ(run_.calls, 0);
}

TEST_F(FrontServerTest, OnlyAspPagesRunAsOnDiskWithTheirQuery) {
    EXPECT_EQ(respond("GET /manage/yh24_list.asp?page=2&key=%D6%D0 HTTP/1.1\r\nHost: x\r\n\r\n").body,
              "ran /manage/YH24_List.asp?page=2&key=%D6%D0");
    EXPECT_EQ(run_.client, "127.0.0.1");
    EXPECT_EQ(respond("GET /?x=1 HTTP/1.1\r\nHost: x\r\n\r\n").body, "ran /index.asp?x=1");
    EXPECT_EQ(respond("POST /index.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\na=1").body, "ran /index.asp");
    const auto moved = respond("GET /manage?x=1 HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(moved.status, 301);
    EXPECT_EQ(moved.header("Location").value_or(""), "/manage/?x=1");
    EXPECT_EQ(run_.calls, 3);
}

TEST_F(FrontServerTest, TestHooksReachTheHostOnlyWhenAsked) {
    EXPECT_EQ(respond("GET /__tabulon/session/verifycode HTTP/1.1\r\nHost: x\r\n\r\n").status, 404);
    EXPECT_EQ(run_.calls, 0);
    server_.reset();
    options.testHooks = true;
    EXPECT_EQ(respond("GET /__tabulon/session/verifycode HTTP/1.1\r\nHost: x\r\n\r\n").body,
              "ran /__tabulon/session/verifycode");
    EXPECT_EQ(respond("POST /__tabulon/session/x HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n").status, 404);
    EXPECT_EQ(run_.calls, 1);
}

TEST(EncodePath, OnlyUnsafeBytesAreEscaped) {
    EXPECT_EQ(encodePath("/manage/YH24_List.asp"), "/manage/YH24_List.asp");
    EXPECT_EQ(encodePath("/a b/\xe4\xb8\xad?#%.gif"), "/a%20b/%E4%B8%AD%3F%23%25.gif");
}

TEST_F(FrontServerTest, OverTheWire) {
    options.limits.maxHeaderBytes = 1024;
    options.limits.maxBodyBytes = 100;
    options.readLimit = std::chrono::milliseconds(1500);
    std::vector<std::string> log;
    std::mutex logged;
    options.log = [&](std::string_view line) {
        std::lock_guard lock(logged);
        log.emplace_back(line);
    };
    auto& front = server();
    const auto port = front.listen();
    std::thread serving([&] { front.run(); });

    // A browser's idle, speculative connection holds up nobody.
    auto idle = wire::connectTo(port);
    ASSERT_TRUE(idle);

    auto ok = wire::exchange(port, "GET /about.html HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n");
    EXPECT_EQ(ok.status, 200);
    EXPECT_NE(ok.head.find("Connection: close"), std::string::npos);
    EXPECT_EQ(ok.body, "<p>\xbc\xc7\xd5\xcb</p>");

    EXPECT_EQ(
        wire::exchange(port, "GET / HTTP/1.1\r\nHost: localhost\r\nCookie: " + std::string(2000, 'c') + "\r\n\r\n")
            .status,
        431);
    EXPECT_EQ(wire::exchange(port, "POST /index.asp HTTP/1.1\r\nHost: localhost\r\nContent-Length: 101\r\n\r\n").status,
              413);
    EXPECT_EQ(wire::exchange(port, "OPTIONS / HTTP/1.1\r\nHost: localhost\r\n\r\n").status, 405);
    // A request that never ends is answered when its time is up.
    EXPECT_EQ(wire::exchange(port, "GET / HTTP/1.1\r\nHost: localhost\r\n").status, 408);
    EXPECT_EQ(wire::exchange(port, "GET /index.asp HTTP/1.1\r\nHost: localhost\r\n\r\n").body, "ran /index.asp");
    // A page of another site that rebinds its name to 127.0.0.1 reaches nothing.
    const auto rebound =
        wire::exchange(port, "GET /index.asp HTTP/1.1\r\nHost: evil.example:" + std::to_string(port) + "\r\n\r\n");
    EXPECT_EQ(rebound.status, 421);
    EXPECT_EQ(run_.calls, 1);

    front.stop();
    serving.join();  // returns although the idle connection is still open
    EXPECT_FALSE(wire::connectTo(port));
    std::lock_guard lock(logged);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().rfind("GET /about.html 200 ", 0), 0u) << log.front();
}

TEST(LoopbackHost, OnlyThisMachineAndPort) {
    for (const char* good :
         {"localhost:8080", "LocalHost:8080", "127.0.0.1:8080", "[::1]:8080", "localhost", "127.0.0.1", "[::1]"})
        EXPECT_TRUE(isLoopbackHost(good, 8080)) << good;
    for (const char* bad : {"evil.example:8080", "evil.example", "localhost.evil.example:8080", "127.0.0.1:8081",
                            "127.0.0.1:", "[::1]x", "[::1", "::1", "127.0.0.2:8080", "localhost:8080:8080",
                            "0.0.0.0:8080", "127.0.0.1:08080", "", "localhost :8080"})
        EXPECT_FALSE(isLoopbackHost(bad, 8080)) << bad;
}

TEST_F(FrontServerTest, FormsWithTooManyFieldsAreRefusedBeforeAnyPageRuns) {
    // 40,000 fields in 160 KB: refused at once, the host never asked.
    std::string body;
    for (int i = 0; i < 40000; ++i) body += (i ? "&" : "") + std::string("a=1");
    const auto refused = respond(
        "POST /index.asp HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
        std::to_string(body.size()) + "\r\n\r\n" + body);
    EXPECT_EQ(refused.status, 413);
    EXPECT_NE(refused.body.find("10000"), std::string::npos);
    HttpRequest longQuery;  // longer than the browser's header limit, as a page could be asked for
    longQuery.method = "GET";
    longQuery.target = "/index.asp?";
    for (int i = 0; i < 10001; ++i) longQuery.target += "b&";
    EXPECT_EQ(server().respond(longQuery, "127.0.0.1").status, 413);
    EXPECT_EQ(run_.calls, 0);
    // Up to the limit is a form like any other; a file upload is not counted as fields.
    std::string allowed;
    for (int i = 0; i < 10000; ++i) allowed += (i ? "&" : "") + std::string("a=1");
    EXPECT_EQ(respond("POST /index.asp HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(allowed.size()) +
                      "\r\n\r\n" + allowed)
                  .status,
              200);
    EXPECT_EQ(respond("POST /index.asp HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; boundary=b\r\n"
                      "Content-Length: " +
                      std::to_string(body.size()) + "\r\n\r\n" + body)
                  .status,
              200);
    EXPECT_EQ(run_.calls, 2);
}

TEST_F(FrontServerTest, SlowClientsTimeOutAndStarveNobody) {
    options.headerLimit = std::chrono::milliseconds(800);
    options.maxConnectionsPerClient = 40;
    auto& front = server();
    const auto port = front.listen();
    std::thread serving([&] { front.run(); });

    // 32 connections that send half a request line and then nothing.
    std::vector<Socket> slow;
    for (int i = 0; i < 32; ++i) {
        auto socket = wire::connectTo(port);
        ASSERT_TRUE(socket);
        sendAll(socket->fd(), "GET / HTT", Clock::now() + std::chrono::seconds(1));
        slow.push_back(std::move(*socket));
    }
    // Others are served at once meanwhile, well before the slow ones time out.
    for (int i = 0; i < 3; ++i) {
        const auto started = Clock::now();
        EXPECT_EQ(wire::exchange(port, "GET /about.html HTTP/1.1\r\nHost: localhost\r\n\r\n").status, 200);
        EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(700));
    }
    // Past its share, a client's new connections are turned away at once: 32 slow ones
    // and 8 more fill the 40 allowed.
    std::vector<Socket> more;
    for (int i = 0; i < 8; ++i) {
        auto socket = wire::connectTo(port);
        ASSERT_TRUE(socket);
        more.push_back(std::move(*socket));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let the server count them
    EXPECT_EQ(
        wire::exchange(port, "GET /about.html HTTP/1.1\r\nHost: localhost\r\n\r\n", std::chrono::seconds(2)).status,
        503);
    // Each slow one is answered 408 and closed once its header time is up, not after 30 s.
    for (auto& socket : slow) {
        std::string answer;
        EXPECT_EQ(readUntilClosed(socket.fd(), answer, Clock::now() + std::chrono::seconds(5), 1 << 16),
                  ReadEnd::Closed);
        EXPECT_EQ(answer.rfind("HTTP/1.1 408", 0), 0u) << answer;
    }
    more.clear();
    slow.clear();
    // Once they are gone, the client is served again.
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    EXPECT_EQ(wire::exchange(port, "GET /about.html HTTP/1.1\r\nHost: localhost\r\n\r\n").status, 200);
    front.stop();
    serving.join();
}

}  // namespace
}  // namespace tabulon::preview
