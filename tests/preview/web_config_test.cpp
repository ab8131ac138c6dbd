// The site's web.config as the preview applies it: custom headers on every answer, hidden
// segments and denied extensions answered 404, the way IIS reads them.
#include <gtest/gtest.h>

#include <fstream>

#include "preview/server/front_server.h"
#include "preview/server/web_config.h"
#include "resources/embedded.h"
#include "tests/support/temp_folder.h"

namespace tabulon::preview {
namespace {

namespace fs = std::filesystem;

TEST(WebConfig, ReadsHeadersAndFilteringWhereIisLooksForThem) {
    const auto config = parseWebConfig(R"(<?xml version="1.0"?>
<!-- <customHeaders><add name="InAComment" value="no" /></customHeaders> -->
<configuration>
  <system.webServer>
    <security><requestFiltering>
      <hiddenSegments><add segment="Data" /><add segment="bin"/></hiddenSegments>
      <fileExtensions><add fileExtension=".MDB" allowed="false" /><add fileExtension=".txt" allowed="true" /></fileExtensions>
    </requestFiltering></security>
    <httpProtocol><customHeaders>
      <clear />
      <add name="X-Frame-Options" value="DENY" />
      <add name="X-Frame-Options" value="SAMEORIGIN" />
      <add name="Content-Security-Policy" value="default-src &apos;self&apos; &amp; more" />
      <add name="X-Gone" value="1" /><remove name="x-gone" />
    </customHeaders></httpProtocol>
  </system.webServer>
  <location path="x"><system.webServer><httpProtocol><customHeaders><add name="Elsewhere" value="1"/></customHeaders></httpProtocol></system.webServer></location>
</configuration>)");
    using Headers = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(config.headers,
              (Headers{{"X-Frame-Options", "SAMEORIGIN"}, {"Content-Security-Policy", "default-src 'self' & more"}}))
        << "a later add replaces an earlier one, remove drops one, comments and other locations count for nothing";
    EXPECT_TRUE(config.refuses("/data/notes.txt"));
    EXPECT_TRUE(config.refuses("/DATA/"));
    EXPECT_TRUE(config.refuses("/manage/Data/x.gif")) << "a hidden segment anywhere in the path";
    EXPECT_TRUE(config.refuses("/x/copy.Mdb"));
    EXPECT_FALSE(config.refuses("/database/x.txt"));
    EXPECT_FALSE(config.refuses("/data.txt")) << "a segment is a whole name";
    EXPECT_FALSE(config.refuses("/mdb/x.gif"));
    // A broken file gives what came before the fault; a missing one gives nothing.
    EXPECT_EQ(parseWebConfig("<configuration><system.webServer><httpProtocol><customHeaders><add name=\"A\" "
                             "value=\"1\"/><add name=\"B\" value=\"2")
                  .headers,
              (Headers{{"A", "1"}}));
    EXPECT_TRUE(parseWebConfig("not xml at all <<<").headers.empty());
}

// The skeleton's own web.config keeps data/ away and sends the policies.
TEST(WebConfig, TheSkeletonsFileHidesDataAndSendsThePolicies) {
    std::string text;
    for (const auto& file : resources::skeletonFiles())
        if (file.path == "web.config") text = std::string(file.bytes);
    ASSERT_FALSE(text.empty());
    const auto config = parseWebConfig(text);
    EXPECT_TRUE(config.refuses("/data/notes.txt"));
    EXPECT_TRUE(config.refuses("/backup/old.mdb"));
    auto value = [&](std::string_view name) {
        for (const auto& [n, v] : config.headers)
            if (n == name) return v;
        return std::string();
    };
    EXPECT_EQ(value("X-Frame-Options"), "SAMEORIGIN");
    EXPECT_EQ(value("X-Content-Type-Options"), "nosniff");
    EXPECT_NE(value("Content-Security-Policy").find("object-src 'none'"), std::string::npos);
    EXPECT_NE(value("Content-Security-Policy").find("frame-ancestors 'self'"), std::string::npos);
}

TEST(WebConfig, TheFrontServerHidesWhatTheFileHidesAndAddsItsHeaders) {
    testing::TempFolder site;
    fs::create_directories(site.path() / "data");
    std::ofstream(site.path() / "data" / "notes.txt") << "secret";
    std::ofstream(site.path() / "about.html") << "<p>x</p>";
    std::ofstream(site.path() / "index.asp") << "<% x %>";
    std::ofstream(site.path() / "web.config")
        << "<configuration><system.webServer><security><requestFiltering><hiddenSegments><add segment=\"data\"/>"
           "</hiddenSegments></requestFiltering></security><httpProtocol><customHeaders><add name=\"X-Test\" "
           "value=\"on\"/><add name=\"X-Page\" "
           "value=\"site\"/></customHeaders></httpProtocol></system.webServer></configuration>";
    SiteFolder folder(site.path());
    FrontServer server(folder, [](const HttpRequest&, const std::string&, const std::string&) {
        HttpResponse page;
        page.setHeader("X-Page", "its own");
        return page;
    });
    auto get = [&](const std::string& target) {
        RequestParser parser;
        EXPECT_EQ(parser.feed("GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n"), RequestParser::State::Complete);
        return server.respond(parser.request(), "127.0.0.1");
    };
    for (const char* hidden : {"/data/notes.txt", "/Data/NOTES.txt", "/d%61ta/notes.txt", "/data/", "/data"}) {
        const auto answer = get(hidden);
        EXPECT_EQ(answer.status, 404) << hidden;
        EXPECT_EQ(answer.body.find("secret"), std::string::npos) << hidden;
        EXPECT_EQ(answer.header("X-Test").value_or(""), "on") << "error answers carry the headers too: " << hidden;
    }
    EXPECT_EQ(get("/about.html").header("X-Test").value_or(""), "on");
    EXPECT_EQ(get("/index.asp").header("X-Page").value_or(""), "its own") << "a page's own header wins";
    // Released again without the file: nothing is hidden, nothing added.
    fs::remove(site.path() / "web.config");
    EXPECT_EQ(get("/data/notes.txt").status, 200);
    EXPECT_FALSE(get("/about.html").header("X-Test"));
}

}  // namespace
}  // namespace tabulon::preview
