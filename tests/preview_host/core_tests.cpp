// The host's portable parts: ASP page translation with includes and line map, the rewriting
// of replaced built-ins, reading requests and forms, the link to the front server and
// session tokens.
#include "builtin_rewriter.h"
#include "front_link.h"
#include "http_request.h"
#include "page_translator.h"
#include "session_token.h"
#include "stored_state.h"

#include <gtest/gtest.h>

#include <map>

using namespace tabulon::preview::host;
using tabulon::preview::RequestParser;

namespace {

// A site held in memory; names are matched without regard to case, as the host's server does.
struct MemorySite {
    std::map<std::string, std::string> files;

    PageSources sources() const {
        PageSources s;
        s.read = [this](const std::string& path) -> std::optional<SiteFile> {
            for (const auto& [name, text] : files) {
                if (name.size() != path.size()) continue;
                bool same = true;
                for (std::size_t i = 0; i < name.size() && same; ++i)
                    same = std::tolower(name[i]) == std::tolower(path[i]);
                if (same) return SiteFile{name, text};
            }
            return std::nullopt;
        };
        s.decode = [](std::string_view bytes, int codePage) {
            return codePage == 936 ? std::string(bytes) : "[" + std::to_string(codePage) + "]" + std::string(bytes);
        };
        return s;
    }
};

std::vector<std::string> scriptLines(const TranslatedPage& page) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < page.script.size()) {
        std::size_t end = page.script.find("\r\n", at);
        out.push_back(page.script.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

}  // namespace

TEST(PageTranslation, LiteralCodeAndExpressionsKeepTheirLines) {
    MemorySite site;
    site.files["a.asp"] = "<html>\r\n<% Dim x\r\nx = 1 %>\r\n<p><%= x + 1 %></p>";
    TranslatedPage page = translatePage("a.asp", site.sources());
    std::vector<std::string> lines = scriptLines(page);
    ASSERT_EQ(lines.size(), page.lines.size());
    EXPECT_EQ(lines[0], "Response.WriteBlock 0");
    EXPECT_EQ(page.blocks[0], "<html>\r\n");
    EXPECT_EQ(lines[1], " Dim x");
    EXPECT_EQ(page.lines[1].line, 2);
    EXPECT_EQ(lines[2], "x = 1 ");
    EXPECT_EQ(page.lines[2].line, 3);
    EXPECT_EQ(lines[4], "Response.Write( x + 1 )");
    EXPECT_EQ(page.lines[4].line, 4);
    EXPECT_EQ(page.blocks.back(), "</p>");
    EXPECT_EQ(page.lineText(0, 3), "x = 1 %>");
}

TEST(PageTranslation, IncludesAreSplicedWithTheirOwnFileAndLine) {
    MemorySite site;
    site.files["manage/list.asp"] = "<!-- #include file=\"../Conn.asp\" -->\r\n<% Run %>";
    site.files["conn.asp"] = "<%\r\nSub Run()\r\nEnd Sub\r\n%><!--#include virtual=\"/inc/x.asp\"-->";
    site.files["inc/X.asp"] = "<% y = 2 %>";
    TranslatedPage page = translatePage("manage/list.asp", site.sources());
    ASSERT_EQ(page.files.size(), 3u);
    EXPECT_EQ(page.files[1], "conn.asp") << "files are named as stored";
    EXPECT_EQ(page.files[2], "inc/X.asp");
    std::vector<std::string> lines = scriptLines(page);
    auto find = [&](const std::string& text) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == text) return page.lines[i];
        ADD_FAILURE() << "no line " << text;
        return SourcePlace{};
    };
    SourcePlace sub = find("Sub Run()");
    EXPECT_EQ(sub.file, 1);
    EXPECT_EQ(sub.line, 2);
    SourcePlace y = find(" y = 2 ");
    EXPECT_EQ(y.file, 2);
    EXPECT_EQ(y.line, 1);
    SourcePlace run = find(" Run ");
    EXPECT_EQ(run.file, 0);
    EXPECT_EQ(run.line, 2);
}

TEST(PageTranslation, FailuresNameTheIncludingFileAndLine) {
    MemorySite site;
    site.files["a.asp"] = "x\r\n<!--#include file=\"gone.asp\"-->";
    site.files["b.asp"] = "<!--#include file=\"../../etc/passwd\"-->";
    site.files["c.asp"] = "<!--#include file=\"c.asp\"-->";
    site.files["d.asp"] = "ok\r\n<% never closed";
    try {
        translatePage("a.asp", site.sources());
        FAIL();
    } catch (const PageError& e) {
        EXPECT_EQ(e.code(), "ASP 0126");
        EXPECT_EQ(e.file(), "a.asp");
        EXPECT_EQ(e.line(), 2);
    }
    EXPECT_THROW(translatePage("b.asp", site.sources()), PageError);
    EXPECT_THROW(translatePage("c.asp", site.sources()), PageError);
    try {
        translatePage("d.asp", site.sources());
        FAIL();
    } catch (const PageError& e) {
        EXPECT_EQ(e.line(), 2);
    }
}

TEST(PageTranslation, DirectivesAreReadAndDropped) {
    MemorySite site;
    site.files["a.asp"] = "<%@LANGUAGE=\"VBSCRIPT\" CODEPAGE=\"65001\"%><% x %>";
    site.files["b.asp"] = "<%@ Language=JScript %>";
    TranslatedPage page = translatePage("a.asp", site.sources());
    EXPECT_EQ(page.codePage, 65001);
    EXPECT_EQ(page.fileTexts[0].rfind("[65001]", 0), 0u) << "the page is decoded in its own code page";
    EXPECT_EQ(page.script.find("LANGUAGE"), std::string::npos);
    EXPECT_THROW(translatePage("b.asp", site.sources()), PageError);
}

TEST(PageTranslation, ServerScriptBlocksRunOthersStayText) {
    MemorySite site;
    site.files["a.asp"] =
        "<script language=\"VBScript\" runat=\"server\">\r\nSub A()\r\nEnd Sub\r\n</script><script>var x;</script>";
    TranslatedPage page = translatePage("a.asp", site.sources());
    std::vector<std::string> lines = scriptLines(page);
    EXPECT_EQ(lines[1], "Sub A()");
    EXPECT_EQ(page.lines[1].line, 2);
    EXPECT_EQ(page.blocks.back(), "<script>var x;</script>");
}

TEST(SitePaths, StayInsideTheSite) {
    EXPECT_EQ(resolveSitePath("manage/a.asp", "../conn.asp", false), "conn.asp");
    EXPECT_EQ(resolveSitePath("manage/a.asp", "/inc/x.asp", false), "inc/x.asp");
    EXPECT_EQ(resolveSitePath("manage/a.asp", "inc\\x.asp", false), "manage/inc/x.asp");
    EXPECT_EQ(resolveSitePath("a.asp", "inc/x.asp", true), "inc/x.asp");
    EXPECT_EQ(resolveSitePath("manage/a.asp", "../../x.asp", false), std::nullopt);
    EXPECT_EQ(resolveSitePath("a.asp", "C:\\windows\\win.ini", false), std::nullopt);
    EXPECT_EQ(resolveSitePath("a.asp", "..", false), std::nullopt);
}

TEST(BuiltinRewriting, CallsGoToTheHostObjectOnlyWhereTheyAreCalls) {
    std::set<std::string> names = {"split", "trim", "isnull"};
    EXPECT_EQ(rewriteBuiltins("a = Split(x, \",\")", names, "H"), "a = H.Split(x, \",\")");
    EXPECT_EQ(rewriteBuiltins("If IsNull(rs(\"x\")) Then y = TRIM(z)", names, "H"),
              "If H.IsNull(rs(\"x\")) Then y = H.TRIM(z)");
    EXPECT_EQ(rewriteBuiltins("s = \"Split(x)\" ' Split(y)", names, "H"), "s = \"Split(x)\" ' Split(y)");
    EXPECT_EQ(rewriteBuiltins("s = \"a \"\"Split(\"\" b\" & Trim(c)", names, "H"),
              "s = \"a \"\"Split(\"\" b\" & H.Trim(c)");
    EXPECT_EQ(rewriteBuiltins("Rem Split(x)\r\nx = o.Split(1)", names, "H"), "Rem Split(x)\r\nx = o.Split(1)");
    EXPECT_EQ(rewriteBuiltins("d = #1/2/2024#: t = Trim(d)", names, "H"), "d = #1/2/2024#: t = H.Trim(d)");
    EXPECT_EQ(rewriteBuiltins("With o\r\n.Trim 1\r\nEnd With", names, "H"), "With o\r\n.Trim 1\r\nEnd With");
    EXPECT_EQ(rewriteBuiltins("x = SplitMore(1) + MySplit(2)", names, "H"), "x = SplitMore(1) + MySplit(2)");
}

TEST(BuiltinRewriting, APagesOwnProcedureOfThatNameWins) {
    std::set<std::string> names = {"round", "trim"};
    std::string script = "Function Round(x)\r\nRound = x\r\nEnd Function\r\ny = Round(1.5) & Trim(z)";
    EXPECT_EQ(rewriteBuiltins(script, names, "H"),
              "Function Round(x)\r\nRound = x\r\nEnd Function\r\ny = Round(1.5) & H.Trim(z)");
}

TEST(HttpRequests, WholeRequestsAreParsedAndPartialOnesWaitForMore) {
    std::string text =
        "POST /manage/a%20b.asp?x=1&y=%D6%D0 HTTP/1.1\r\nHost: 127.0.0.1:8080\r\nContent-Length: 7\r\nCookie: a=1; "
        "b=%D6\r\n\r\nk=v&w=2";
    RequestParser parser;
    EXPECT_EQ(parser.feed(text.substr(0, 40)), RequestParser::State::NeedMore);
    EXPECT_EQ(parser.feed(text.substr(40, text.size() - 42)), RequestParser::State::NeedMore);
    EXPECT_TRUE(parser.headDone());
    ASSERT_EQ(parser.feed(text.substr(text.size() - 2)), RequestParser::State::Complete);
    HttpRequest r = pageRequest(std::move(parser).take());
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.path, "/manage/a b.asp");
    EXPECT_EQ(r.rawPath, "/manage/a%20b.asp");
    EXPECT_EQ(r.query, "x=1&y=%D6%D0");
    EXPECT_EQ(r.header("content-length"), "7");
    EXPECT_EQ(r.body, "k=v&w=2");
    NameValues q = parseUrlEncoded(r.query);
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[1].second, "\xD6\xD0");
    NameValues cookies = parseCookieHeader(*r.header("Cookie"));
    ASSERT_EQ(cookies.size(), 2u);
    EXPECT_EQ(cookies[1].second, "\xD6");
}

TEST(HttpRequests, FormsStopAtTheFieldLimitAndAreCountedWithoutDecoding) {
    std::string form;
    for (int i = 0; i < 40000; ++i) form += (i ? "&" : "") + std::string("a") + std::to_string(i % 7) + "=%41";
    EXPECT_EQ(countUrlEncodedFields(form), 40000u);
    const NameValues fields = parseUrlEncoded(form);
    ASSERT_EQ(fields.size(), kMaxFormFields);
    EXPECT_EQ(fields.back().second, "A");
    EXPECT_EQ(countUrlEncodedFields("&&a=1&&b&"), 2u);
    EXPECT_EQ(parseUrlEncoded("&&a=1&&b&").size(), 2u);
    EXPECT_EQ(countUrlEncodedFields(""), 0u);
}

// A request from the front: it carries the key and the browser's address.
HttpRequest fromFront(std::vector<std::pair<std::string, std::string>> headers) {
    HttpRequest r;
    r.method = "GET";
    r.headers = std::move(headers);
    return r;
}

TEST(FrontLink, OnlyRequestsWithTheKeyAreAdmittedAndTheirAddressBelieved) {
    const std::string key(40, 'k');
    auto r = fromFront({{"Host", "localhost:8080"},
                        {"x-tabulon-host-key", key},
                        {"X-Forwarded-For", "10.9.8.7"},
                        {"X-Tabulon-Client", "127.0.0.1"}});
    EXPECT_EQ(admitFromFront(r, key), "127.0.0.1");
    // The pages never see the key, the link's headers or a forged address header.
    ASSERT_EQ(r.headers.size(), 1u);
    EXPECT_EQ(r.headers[0].first, "Host");

    auto noKey = fromFront({{"X-Tabulon-Client", "127.0.0.1"}});
    EXPECT_FALSE(admitFromFront(noKey, key));
    auto wrongKey = fromFront({{"X-Tabulon-Host-Key", std::string(39, 'k') + "j"}, {"X-Tabulon-Client", "::1"}});
    EXPECT_FALSE(admitFromFront(wrongKey, key));
    auto shortKey = fromFront({{"X-Tabulon-Host-Key", "k"}, {"X-Tabulon-Client", "::1"}});
    EXPECT_FALSE(admitFromFront(shortKey, key));
    auto emptyKey = fromFront({{"X-Tabulon-Host-Key", ""}, {"X-Tabulon-Client", "::1"}});
    EXPECT_FALSE(admitFromFront(emptyKey, ""));
    // A second key or address header (one smuggled past the front) is refused outright.
    auto twice = fromFront({{"X-Tabulon-Host-Key", key}, {"X-Tabulon-Client", "1.2.3.4"}, {"X-Tabulon-Client", "::1"}});
    EXPECT_FALSE(admitFromFront(twice, key));
    auto badAddress = fromFront({{"X-Tabulon-Host-Key", key}, {"X-Tabulon-Client", "<script>"}});
    EXPECT_FALSE(admitFromFront(badAddress, key));
    EXPECT_TRUE(isAddressText("::ffff:127.0.0.1"));
    EXPECT_FALSE(isAddressText("127.0.0.1, 10.0.0.1"));
}

TEST(SessionTokens, LettersAreDrawnWithoutBiasFromTheSource) {
    // A source that counts up: bytes 234-255 would favour A-V and are skipped.
    unsigned char next = 200;
    std::size_t drawn = 0;
    const RandomFill counting = [&](unsigned char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) bytes[i] = next++;
        drawn += count;
    };
    const std::string letters = randomLetters(60, counting);
    ASSERT_EQ(letters.size(), 60u);
    // 200..233 give 34 letters, 234..255 none, then 0..25 = A..Z.
    EXPECT_EQ(letters.substr(0, 2),
              std::string(1, static_cast<char>('A' + 200 % 26)) + static_cast<char>('A' + 201 % 26));
    EXPECT_EQ(letters.substr(34, 26), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(drawn, 64u * 2);
    // Every byte a token is made from comes from the source: a constant source gives a
    // constant token, so nothing else (time, process id) goes in.
    const RandomFill constant = [](unsigned char* bytes, std::size_t count) { std::fill(bytes, bytes + count, 7); };
    EXPECT_EQ(randomLetters(kSessionTokenLetters, constant), std::string(kSessionTokenLetters, 'H'));
}

TEST(HttpRequests, UrlEncodingMatchesServerUrlEncode) { EXPECT_EQ(urlEncode("a b&c=\xD6\xD0"), "a+b%26c%3D%D6%D0"); }

TEST(BuiltinRewriting, AClassMethodOfThatNameChangesNothing) {
    std::set<std::string> names = {"trim"};
    std::string script =
        "Class Box\r\nPublic Function Trim(v)\r\nTrim = v\r\nEnd Function\r\nEnd Class\r\ny = Trim(z) & b.Trim(1)";
    EXPECT_EQ(
        rewriteBuiltins(script, names, "H"),
        "Class Box\r\nPublic Function Trim(v)\r\nTrim = v\r\nEnd Function\r\nEnd Class\r\ny = H.Trim(z) & b.Trim(1)");
}

namespace {

StoredValue integer(std::uint16_t type, std::int64_t v) {
    StoredValue s;
    s.type = type;
    s.payload = StoredValue::Payload::Integer;
    s.integer = v;
    return s;
}

StoredState sampleState() {
    StoredValue text;
    text.type = 8;  // VT_BSTR
    text.payload = StoredValue::Payload::Text;
    text.text = u"中文\0\xD800 lone surrogate";  // strings are kept as the engine's code units
    text.text.push_back(u'\0');
    StoredValue date;
    date.type = 7;  // VT_DATE
    date.payload = StoredValue::Payload::Number;
    date.number = -1.25;
    StoredValue grid;  // a 2 × 3 array of variants, lower bounds 1 and -1
    grid.type = 0x200C;
    grid.payload = StoredValue::Payload::Array;
    grid.bounds = {{1, 2}, {-1, 3}};
    for (int i = 0; i < 6; ++i) grid.items.push_back(integer(3, i * 1000000007LL));
    grid.items[5] = text;
    StoredValue nested = grid;
    nested.bounds = {{0, 1}};
    nested.items = {grid};
    StoredState state;
    state.cookieName = "ASPSESSIONIDABCDEFGH";
    state.application = {{u"kovel_fail_127.0.0.1", text}, {u"hits", integer(3, -7)}};
    StoredSession session;
    session.cookieValue = std::string(24, 'Q');
    session.id = 123456789;
    session.timeoutMinutes = 30;
    session.lastUse = 1767225600;
    session.values = {{u"when", date}, {u"grid", nested}, {u"empty", StoredValue{}}};
    state.sessions = {session, session};
    state.sessions[1].cookieValue = std::string(24, 'R');
    return state;
}

TEST(StoredState, EveryKindOfValueComesBackAsItWas) {
    const auto state = sampleState();
    const auto bytes = encodeState(state);
    const auto back = decodeState(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, state);
    EXPECT_EQ(decodeState(encodeState(StoredState{})), StoredState{});
}

TEST(StoredState, DamagedOrForeignFilesReadAsNothing) {
    const auto bytes = encodeState(sampleState());
    EXPECT_FALSE(decodeState(""));
    EXPECT_FALSE(decodeState("SQLite format 3"));
    // Every cut short and every single damaged length reads as nothing or as a whole state,
    // never past the end.
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) EXPECT_FALSE(decodeState(bytes.substr(0, cut))) << cut;
    EXPECT_FALSE(decodeState(bytes + "x"));
    for (std::size_t at = 21; at < bytes.size(); ++at) {
        auto damaged = bytes;
        damaged[at] = static_cast<char>(0xFF);
        (void)decodeState(damaged);
    }
    // An array that claims billions of items in a few bytes is refused without allocating them.
    std::string huge = "TABULON-HOST-STATE 1\n";
    huge += std::string("\0\0\0\0", 4);                           // cookie name
    huge += std::string("\1\0\0\0", 4);                           // one Application value
    huge += std::string("\1\0\0\0a\0", 6);                        // named "a"
    huge += std::string("\x0C\x20\0\0\5", 5);                     // an array of variants
    huge += std::string("\1\0\0\0\0\0\0\0\xFF\xFF\xFF\x7F", 12);  // one dimension of 2^31 items
    huge += std::string("\xFF\xFF\xFF\x7F", 4);
    EXPECT_FALSE(decodeState(huge));
}

}  // namespace
