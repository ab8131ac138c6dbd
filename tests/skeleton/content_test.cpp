// What the generated pages and the default templates rely on in the carried skeleton:
// every file, image, include and style class they name exists, and the shared includes can
// be used together on one page.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "resources/embedded.h"

using tabulon::resources::EmbeddedFile;

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return out;
}

bool endsWith(std::string_view text, std::string_view suffix) { return lower(text).ends_with(suffix); }

// IIS finds files whatever the letter case of the name, so the skeleton is searched so too.
const EmbeddedFile* findFile(std::string_view path) {
    const std::string wanted = lower(path);
    for (const EmbeddedFile& file : tabulon::resources::skeletonFiles())
        if (lower(file.path) == wanted) return &file;
    return nullptr;
}

std::string text(std::string_view path) {
    const EmbeddedFile* file = findFile(path);
    return file ? std::string(file->bytes) : std::string();
}

// `reference` relative to the folder of `from`, with ".." steps resolved; empty when it
// climbs out of the site.
std::string resolve(std::string_view from, std::string_view reference) {
    std::vector<std::string> parts;
    const std::string fromText(from);
    std::size_t start = 0;
    for (std::size_t slash; (slash = fromText.find('/', start)) != std::string::npos; start = slash + 1)
        parts.push_back(fromText.substr(start, slash - start));
    std::string ref(reference);
    start = 0;
    while (start <= ref.size()) {
        const std::size_t slash = std::min(ref.find('/', start), ref.size());
        const std::string part = ref.substr(start, slash - start);
        if (part == "..") {
            if (parts.empty()) return {};
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    std::string joined;
    for (const auto& part : parts) joined += (joined.empty() ? "" : "/") + part;
    return joined;
}

std::vector<std::string> matches(const std::string& text, const std::regex& pattern, int group = 1) {
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        found.push_back((*it)[group].str());
    return found;
}

bool isPage(std::string_view path) {
    return endsWith(path, ".asp") || endsWith(path, ".htm") || endsWith(path, ".html");
}

// Names of the Sub and Function blocks a VBScript file defines (lower case).
std::set<std::string> procedures(const std::string& source) {
    static const std::regex definition(
        R"((?:^|\n)[ \t]*(?:Public[ \t]+|Private[ \t]+)?(?:Sub|Function)[ \t]+([A-Za-z_][A-Za-z0-9_]*))",
        std::regex::icase);
    std::set<std::string> names;
    for (const auto& name : matches(source, definition)) names.insert(lower(name));
    return names;
}

TEST(SkeletonContent, HoldsEveryFileTheGeneratedPagesAndTemplatesName) {
    for (const char* path :
         {"index.asp", "top.asp", "menu.asp", "main.asp", "desk.asp", "bottom.asp", "about.html", "exit.asp",
          "conn.asp", "manage/conn.asp", "manage/GetClass.asp", "inc/MyFunction.asp", "inc/function.asp", "inc/md5.asp",
          "inc/SF_Sql.asp", "inc/verifycode.asp", "style/style.css", "editor/ewebeditor.htm", "date/WdatePicker.js",
          // pages in manage call the cascade service as Getclass.asp and ../Getclass.asp
          "manage/Getclass.asp", "Getclass.asp",
          // pages include ../inc/myfunction.asp
          "inc/myfunction.asp", "images/r_0.gif", "images/r_1.gif", "images/r_2.gif", "images/r_3.gif",
          "images/r_4.gif", "images/down2.gif", "images/left_bg01.gif", "images/login_01.gif", "images/login_02.gif",
          "images/login_03.gif", "images/login_04.gif", "images/dl.gif", "images/print.jpg", "images/res.gif",
          "images/button8.jpg"})
        EXPECT_NE(findFile(path), nullptr) << path;
    EXPECT_EQ(findFile("Aws.Exe"), nullptr);
}

TEST(SkeletonContent, EveryImageNamedByTemplatesAndPagesExists) {
    static const std::regex image(R"(images/([A-Za-z0-9_.\-]+\.(?:gif|jpg|jpeg|png)))", std::regex::icase);
    std::size_t named = 0;
    auto check = [&](std::string_view where, const std::string& content) {
        for (const auto& name : matches(content, image)) {
            ++named;
            EXPECT_NE(findFile("images/" + name), nullptr) << where << " names images/" << name;
        }
    };
    for (const EmbeddedFile& file : tabulon::resources::defaultTemplateFiles())
        check(file.path, std::string(file.bytes));
    for (const EmbeddedFile& file : tabulon::resources::skeletonFiles())
        if (!endsWith(file.path, ".gif") && !endsWith(file.path, ".jpg")) check(file.path, std::string(file.bytes));
    EXPECT_GT(named, 20u);
    // The date picker draws its input's icon from next to the script.
    EXPECT_NE(text("date/WdatePicker.js").find("skin/datePicker.gif"), std::string::npos);
    EXPECT_NE(findFile("date/skin/datePicker.gif"), nullptr);
}

TEST(SkeletonContent, LinksIncludesAndStyleUrlsResolveInsideTheSite) {
    static const std::regex include(R"re(<!--\s*#include\s+file\s*=\s*"([^"]+)"\s*-->)re", std::regex::icase);
    static const std::regex link(R"re((?:href|src)\s*=\s*"([^"#?:]+\.(?:asp|html?|css|js|gif|jpg))")re",
                                 std::regex::icase);
    static const std::regex cssUrl(R"re(url\(([^)'"]+)\))re", std::regex::icase);
    std::size_t checked = 0;
    for (const EmbeddedFile& file : tabulon::resources::skeletonFiles()) {
        const std::string content(file.bytes);
        std::vector<std::string> references;
        if (endsWith(file.path, ".asp"))
            for (const auto& r : matches(content, include)) references.push_back(r);
        if (isPage(file.path))
            for (const auto& r : matches(content, link)) references.push_back(r);
        if (endsWith(file.path, ".css"))
            for (const auto& r : matches(content, cssUrl)) references.push_back(r);
        for (const auto& reference : references) {
            ++checked;
            const std::string target = resolve(file.path, reference);
            EXPECT_FALSE(target.empty()) << file.path << " climbs out of the site: " << reference;
            EXPECT_NE(findFile(target), nullptr) << file.path << " names " << reference << " (" << target << ")";
        }
    }
    EXPECT_GT(checked, 40u);
}

TEST(SkeletonContent, StyleClassesOfTemplatesAndPagesAreDefined) {
    // Classes come from the site's style sheet or from a <style> block of the templates.
    std::string css = text("style/style.css");
    static const std::regex styleBlock(R"re(<style[^>]*>([\s\S]*?)</style>)re", std::regex::icase);
    for (const EmbeddedFile& file : tabulon::resources::defaultTemplateFiles())
        for (const auto& block : matches(std::string(file.bytes), styleBlock)) css += block;
    static const std::regex classAttribute(R"re(class\s*=\s*"([^"<%]+)")re", std::regex::icase);
    static const std::regex classScript(R"re(className\s*=\s*'([A-Za-z0-9_\-]+)')re");
    auto defined = [&](const std::string& name) {
        const std::regex selector("\\." + name + "(?![A-Za-z0-9_\\-])");
        return std::regex_search(css, selector);
    };
    std::size_t named = 0;
    auto check = [&](std::string_view where, const std::string& content) {
        std::vector<std::string> lists = matches(content, classAttribute);
        for (const auto& s : matches(content, classScript)) lists.push_back(s);
        for (const auto& list : lists) {
            std::size_t start = 0;
            while (start < list.size()) {
                const std::size_t end = std::min(list.find(' ', start), list.size());
                const std::string name = list.substr(start, end - start);
                if (!name.empty()) {
                    ++named;
                    EXPECT_TRUE(defined(name)) << where << " uses class " << name;
                }
                start = end + 1;
            }
        }
    };
    for (const EmbeddedFile& file : tabulon::resources::defaultTemplateFiles())
        check(file.path, std::string(file.bytes));
    // The editor and the date picker bring their own styles.
    for (const EmbeddedFile& file : tabulon::resources::skeletonFiles())
        if (isPage(file.path) && !file.path.starts_with("editor/")) check(file.path, std::string(file.bytes));
    EXPECT_GT(named, 30u);
    // Date boxes of generated pages carry class Wdate.
    EXPECT_TRUE(defined("Wdate"));
}

TEST(SkeletonContent, SharedIncludesDefineNoProcedureTwice) {
    // VBScript refuses a page that defines one Sub or Function twice. A page includes
    // conn.asp of its folder and may add any of the inc/ files; MyFunction.asp supplies
    // SendMsg, goback, goUrl, GetDate and Myisnumeric at run time only where missing.
    const std::vector<std::string> includes = {"inc/MyFunction.asp", "inc/function.asp", "inc/md5.asp",
                                               "inc/SF_Sql.asp"};
    for (const std::string conn : {"conn.asp", "manage/conn.asp"}) {
        std::map<std::string, std::string> owner;
        for (const auto& name : procedures(text(conn))) owner[name] = conn;
        for (const auto& file : includes) {
            const auto names = procedures(text(file));
            EXPECT_FALSE(names.empty()) << file;
            for (const auto& name : names) {
                const auto [it, fresh] = owner.emplace(name, file);
                EXPECT_TRUE(fresh) << name << " is defined in " << it->second << " and in " << file;
            }
        }
    }
}

TEST(SkeletonContent, GeneratedPagesFindWhatTheyCall) {
    const std::set<std::string> connNames = procedures(text("manage/conn.asp"));
    for (const char* name : {"getdate", "gourl", "myisnumeric", "sendmsg", "goback"})
        EXPECT_TRUE(connNames.contains(name)) << "manage/conn.asp lacks " << name;
    const std::string myFunction = text("inc/MyFunction.asp");
    const std::set<std::string> shared = procedures(myFunction);
    for (const char* name : {"setajax", "writeselect", "pagelist", "htmlencode"})
        EXPECT_TRUE(shared.contains(name)) << "inc/MyFunction.asp lacks " << name;
    // The client script that SetAjax writes: pages call GetData(id, value, url) and GetId.
    for (const char* function :
         {"function GetId(", "function CreateXMLHttpRequest(", "function PutData(", "function GetData(id,value,url)"})
        EXPECT_NE(myFunction.find(function), std::string::npos) << function;
    EXPECT_NE(myFunction.find("\"&ajaxdata=\""), std::string::npos);

    // The root connection file differs from the one of manage/ only in the database path
    // and in the login check, which every page of manage/ gets by including its conn.asp.
    const std::string root = text("conn.asp"), manage = text("manage/conn.asp");
    const std::string from = "On Error Resume Next";
    ASSERT_NE(root.find(from), std::string::npos);
    ASSERT_NE(manage.find(from), std::string::npos);
    std::string rootBody = root.substr(root.find(from));
    const std::string rootPath = "Server.MapPath(\"data/data.mdb\")";
    const auto at = rootBody.find(rootPath);
    ASSERT_NE(at, std::string::npos);
    rootBody.replace(at, rootPath.size(), "Server.MapPath(\"../data/data.mdb\")");
    std::string manageBody = manage.substr(manage.find(from));
    const std::string guard = "SiteRequireLogin \"../index.asp\"\n";
    const auto guardAt = manageBody.find(guard);
    ASSERT_NE(guardAt, std::string::npos) << "manage/conn.asp must refuse requests without a logged-in session";
    EXPECT_LT(guardAt, manageBody.find("Dim conn")) << "before the database is even opened";
    manageBody.erase(guardAt, guard.size());
    EXPECT_EQ(rootBody, manageBody);
    EXPECT_EQ(manage.rfind("<!--#include file=\"../inc/guard.asp\"-->\n", 0), 0u);
    EXPECT_NE(manage.find("\"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\" & Server.MapPath(\"../data/data.mdb\")"),
              std::string::npos);
}

TEST(SkeletonContent, CascadeServiceKeepsItsChainListAndRootEntry) {
    const std::string service = text("manage/GetClass.asp");
    const auto start = service.find("\n'/Start\n");
    const auto end = service.find("\n'/End\n");
    ASSERT_NE(start, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    EXPECT_LT(start, end);
    // The root entry passes the request on to the one service.
    EXPECT_NE(text("Getclass.asp").find("Response.Redirect \"manage/GetClass.asp\""), std::string::npos);
}

TEST(SkeletonContent, PagesDeclareGb2312AndImagesAreWhatTheirNamesSay) {
    for (const EmbeddedFile& file : tabulon::resources::skeletonFiles()) {
        const std::string content = lower(file.bytes);
        if (isPage(file.path) && content.find("<html") != std::string::npos) {
            EXPECT_NE(content.find("charset=gb2312"), std::string::npos) << file.path;
            EXPECT_EQ(content.find("utf-8"), std::string::npos) << file.path;
        }
        if (endsWith(file.path, ".gif")) {
            EXPECT_TRUE(file.bytes.starts_with("GIF89a") || file.bytes.starts_with("GIF87a")) << file.path;
        }
        if (endsWith(file.path, ".jpg")) {
            EXPECT_TRUE(file.bytes.starts_with("\xFF\xD8\xFF")) << file.path;
        }
    }
    EXPECT_NE(text("style/style.css").find("@charset \"gb2312\";"), std::string::npos);
}

TEST(SkeletonContent, FrameSetIsLaidOutForTheNavigationPages) {
    const std::string main = text("main.asp");
    // menu links target the frame "right"; the login page leads here.
    for (const char* piece : {"rows=\"63,*,32\"", "cols=\"177,*\"", "src=\"top.asp\"", "src=\"menu.asp\" name=\"left\"",
                              "src=\"desk.asp\" name=\"right\"", "src=\"bottom.asp\"", "If Not SiteLoggedIn() Then",
                              "Response.Redirect \"index.asp\""})
        EXPECT_NE(main.find(piece), std::string::npos) << piece;
}

// What the site tells and serves to anyone: no server versions on the desk, no database
// file through the web server, no login decided by a cookie.
TEST(SkeletonContent, SiteKeepsItsInsidesToItself) {
    const std::string desk = text("desk.asp");
    EXPECT_EQ(desk.find("SERVER_SOFTWARE"), std::string::npos);
    EXPECT_EQ(desk.find("ScriptEngine"), std::string::npos);
    const std::string config = text("web.config");
    EXPECT_NE(config.find("<add segment=\"data\" />"), std::string::npos);
    EXPECT_NE(config.find("<add fileExtension=\".mdb\" allowed=\"false\" />"), std::string::npos);
    for (const char* page : {"main.asp", "inc/function.asp", "manage/conn.asp", "manage/GetClass.asp"})
        EXPECT_EQ(text(page).find("Request.Cookies(\"kovel_username\") ="), std::string::npos) << page;
    const std::string exit = text("exit.asp");
    EXPECT_NE(exit.find("If SitePostAllowed() Or Not SiteLoggedIn() Then"), std::string::npos)
        << "log out by POST only";
    EXPECT_NE(exit.find("Session.Abandon"), std::string::npos);
    EXPECT_NE(text("manage/GetClass.asp")
                  .find("If Not (SiteCascadeAllowed(gcType, gcField, gcCondition) Or GcChainAllows()) Then"),
              std::string::npos);
}

}  // namespace
