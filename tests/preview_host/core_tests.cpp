// The host's portable parts: ASP page translation with includes and line map, the rewriting
// of replaced built-ins, and reading HTTP requests.
#include "builtin_rewriter.h"
#include "http_request.h"
#include "page_translator.h"

#include <gtest/gtest.h>

#include <map>

using namespace tabulon::preview::host;

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
    HttpRequest r;
    std::string error;
    std::string text =
        "POST /manage/a%20b.asp?x=1&y=%D6%D0 HTTP/1.1\r\nHost: 127.0.0.1:8080\r\nContent-Length: 7\r\nCookie: a=1; "
        "b=%D6\r\n\r\nk=v&w=2";
    EXPECT_EQ(parseHttpRequest(text.substr(0, 40), r, error), ParseState::NeedMore);
    EXPECT_EQ(parseHttpRequest(text.substr(0, text.size() - 2), r, error), ParseState::NeedMore);
    ASSERT_EQ(parseHttpRequest(text, r, error), ParseState::Complete);
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.path, "/manage/a b.asp");
    EXPECT_EQ(r.query, "x=1&y=%D6%D0");
    EXPECT_EQ(r.header("content-length"), "7");
    EXPECT_EQ(r.body, "k=v&w=2");
    NameValues q = parseUrlEncoded(r.query);
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[1].second, "\xD6\xD0");
    NameValues cookies = parseCookieHeader(*r.header("Cookie"));
    ASSERT_EQ(cookies.size(), 2u);
    EXPECT_EQ(cookies[1].second, "\xD6");
    EXPECT_EQ(parseHttpRequest("GARBAGE\r\n\r\n", r, error), ParseState::Bad);
    EXPECT_EQ(parseHttpRequest("GET / HTTP/1.1\r\nContent-Length: x\r\n\r\n", r, error), ParseState::Bad);
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
