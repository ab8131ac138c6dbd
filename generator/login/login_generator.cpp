#include "generator/login/login_generator.h"

#include "generator/text/template_anchor.h"

#include <algorithm>
#include <optional>

#include "base/error.h"
#include "base/file_output.h"
#include "generator/database/site_tables.h"
#include "generator/login/sha256.h"
#include "generator/naming/naming.h"
#include "generator/text/fragment.h"
#include "generator/text/template_anchor.h"
#include "jet/database.h"
#include "jet/names.h"
#include "resources/embedded.h"

namespace tabulon::generator {
namespace fs = std::filesystem;
namespace {

// Whether the login table already holds the default account's login name.
bool hasDefaultAccount(const jet::Database& database, const LoginFields& login) {
    if (!database.hasTable(login.table)) return false;
    const auto& columns = database.table(login.table).columns;
    const auto position = [&](const std::string& name) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (jet::nameFoldKey(columns[i].name) == jet::nameFoldKey(name)) return i;
        return std::nullopt;
    };
    const auto user = position(login.userField);
    if (!user) return false;
    const jet::Value account{std::string(kDefaultAccount)};
    for (const auto& row : database.rows(login.table))
        if (row.values[*user] == account) return true;
    return false;
}

constexpr std::string_view kTopTab =
    "$tabStart$\r\n"
    "\t\t<div id=\"T$id$\" class=\"menu\"><a href=\"manage/$base$_List.asp\" target=\"right\">$name$</a></div>      "
    "\r\n"
    "\t</TD>\r\n"
    "\r\n";

constexpr std::string_view kMenuGroup =
    "\r\n"
    "<tr>\r\n"
    "<td onClick=\"collapse('g_$k$')\" style=\"cursor:hand;\"><div id=\"T$id$\" class=\"menu\"><span class=\"menudiv\">"
    "$name$</span></div></td>\r\n"
    "</tr>\r\n"
    "<tr>\r\n"
    "<td id=\"g_$k$\"><table width=\"100%\" align=\"center\" cellpadding=\"0\" cellspacing=\"0\" "
    "bgcolor=\"#FFFFFF\">\r\n"
    "  <tbody>\r\n"
    "\r\n"
    "\t<tr>\r\n"
    "      <td height=\"30\" align=\"center\" background=\"images/left_bg01.gif\" style=\"cursor:hand\"  "
    "onclick=\"javascript:parent.right.location.href='manage/$base$_Add.asp';\"><table cellpadding=\"0\" "
    "cellspacing=\"0\" width=\"100%\"><tr><td width=\"50\">&nbsp;</td><td>添加记录</td></tr></table></td>\r\n"
    "    </tr>\r\n"
    "\r\n"
    "\t<tr>\r\n"
    "      <td height=\"30\" align=\"center\" background=\"images/left_bg01.gif\" style=\"cursor:hand\"  "
    "onclick=\"javascript:parent.right.location.href='manage/$base$_List.asp';\"><table cellpadding=\"0\" "
    "cellspacing=\"0\" width=\"100%\"><tr><td width=\"50\">&nbsp;</td><td>浏览查询</td></tr></table></td>\r\n"
    "    </tr>\r\n"
    "    \r\n"
    "\t<tr><td height=\"5\"></td></tr>\r\n"
    "  </tbody>\r\n"
    "</table></td>\r\n"
    "</tr>\r\n";

// The first row of a kind in the order the store keeps them (ascending ID).
std::optional<std::string> firstRowOf(const catalogue::Snapshot& model, std::string_view kind) {
    const catalogue::TemplateRow* first = nullptr;
    for (const auto& row : model.templates())
        if (row.kind == kind && (!first || row.id < first->id)) first = &row;
    if (!first) return std::nullopt;
    return first->content;
}

// Login rows shipped earlier, by their SHA-256: the first compares the password inside its
// query, which cannot match a digest; the second keeps pre-login session ids and locks by
// address only. A catalogue that still holds one unchanged gets the current default row.
constexpr std::string_view kEarlierDefaultLoginRows[] = {
    "2d9a0248e559a42a2b84f442dc21e7faf522e6b2612023e067991f3f0da61794",
    "90d6153cc4b29fe1ecfb13a61348481b941cbc2b6c91d046ee30080cb83ae114",
};
constexpr std::string_view kDefaultLoginRowFile = "37.tpl";

std::string currentDefaultLoginRow() {
    for (const auto& file : resources::defaultTemplateFiles())
        if (file.path == kDefaultLoginRowFile) return std::string(file.bytes);
    return std::string();
}

// A VBScript string literal.
std::string vbString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) out += (c == '"') ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

void replaceAll(std::string& text, std::string_view from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

std::optional<LoginFields> findLoginFields(const catalogue::Snapshot& model, catalogue::Id projectId) {
    std::vector<const catalogue::Field*> marked;
    for (const auto* table : model.tablesOf(projectId))
        for (const auto* field : model.fieldsInAddedOrder(table->id))
            if (field->description == "username" || field->description == "password") marked.push_back(field);
    // The store returns the marked fields in the order they were added.
    std::sort(marked.begin(), marked.end(), [](auto* a, auto* b) { return a->id < b->id; });
    if (marked.size() != 2) return std::nullopt;
    // Two marks of one kind, or marks spread over two tables, cannot make a login.
    if (marked[0]->description == marked[1]->description || marked[0]->tableId != marked[1]->tableId)
        return std::nullopt;

    LoginFields login;
    login.table = model.table(marked[0]->tableId)->name;
    for (const auto* field : marked)
        (field->description == "username" ? login.userField : login.passwordField) = field->name;
    return login;
}

std::string wrongLoginMarksMessage(const catalogue::Snapshot& model, catalogue::Id projectId) {
    std::string found;
    for (const auto* table : model.tablesOf(projectId))
        for (const auto* field : model.fieldsInAddedOrder(table->id))
            if (field->description == "username" || field->description == "password")
                found +=
                    (found.empty() ? "" : "、") + table->name + "." + field->name + "（" + field->description + "）";
    return "错误的登录字段标记\r\n登录页要求同一个表中恰有两个字段，字段说明分别为 username 和 password。\r\n"
           "找到的标记：" +
           (found.empty() ? std::string("没有") : found);
}

std::string loginPage(std::string_view templateText, const LoginFields& login) {
    std::string page(templateText);
    const std::string digest = sha256Hex(page);
    for (const auto earlier : kEarlierDefaultLoginRows)
        if (digest == earlier) page = currentDefaultLoginRow();
    // Where the accounts are, for the checks every page makes of the session's account.
    replaceFirst(page, "SiteUseAccounts \"login\", \"username\", \"pwd\"",
                 "SiteUseAccounts " + vbString(login.table) + ", " + vbString(login.userField) + ", " +
                     vbString(login.passwordField));
    // In brackets: a login table or field may be called user, name or password.
    replaceAnchor(page, anchor::kLoginTable, "* from [" + login.table + "]");
    replaceAnchor(page, anchor::kLoginUser, " where ([" + login.userField + "]=");
    // Only rows that compare the password in the query have it; the default row compares
    // it in code, through rs("pwd") below.
    replaceFirst(page, "and pwd=", "and [" + login.passwordField + "]=");
    // A row of the user's own that still only sets the cookie logs into the session too,
    // when it includes the helpers that do it.
    if (page.find("inc/function.asp") != std::string::npos)
        replaceFirst(page, "Response.Cookies(\"kovel_username\")=rs(\"username\")",
                     "SiteLogin rs(\"id\"), rs(\"username\")");
    replaceAll(page, "rs(\"username\")", "rs(\"" + login.userField + "\")");
    replaceAll(page, "rs(\"pwd\")", "rs(\"" + login.passwordField + "\")");
    return page;
}

bool storesPasswordDigests(std::string_view loginPageText) {
    return loginPageText.find("PasswordMatches(") != std::string_view::npos;
}

std::string topPage(const catalogue::Snapshot& model, catalogue::Id projectId) {
    const auto rows = model.templateRows("菜单");
    std::string tabs;
    for (const auto* table : model.tablesOf(projectId))
        tabs += fill(kTopTab, {{"tabStart", rows.at(1)},
                               {"id", std::to_string(table->id)},
                               {"base", pageBaseName(*table)},
                               {"name", table->name}});
    return std::string(rows.at(0)) + tabs + std::string(rows.at(2));
}

std::string menuPage(const catalogue::Snapshot& model, catalogue::Id projectId) {
    const auto rows = model.templateRows("导航");
    const auto tables = model.tablesOf(projectId);
    std::string groups;
    std::size_t k = 0;
    for (const auto* table : tables)
        groups += fill(kMenuGroup, {{"k", std::to_string(++k)},
                                    {"id", std::to_string(table->id)},
                                    {"name", table->name},
                                    {"base", pageBaseName(*table)}});
    requireAnchor(rows.at(0), anchor::kMenuLoop);
    std::string page = std::string(rows.at(0)) + groups + std::string(rows.at(1));
    replaceLeading(page, "for (var i=1; i<8; i++)", "for (var i=1; i<=" + std::to_string(tables.size()) + "; i++)",
                   std::string::npos);
    return page;
}

namespace {

// The three site pages of the login step, each built from its template kind.
struct SitePage {
    const char* file;
    const char* kind;
    std::size_t rowsNeeded;
    std::string (*build)(const catalogue::Snapshot& model, catalogue::Id projectId, const LoginFields& login);
};

std::string buildLoginPage(const catalogue::Snapshot& model, catalogue::Id, const LoginFields& login) {
    return loginPage(*firstRowOf(model, "登录"), login);
}
std::string buildTopPage(const catalogue::Snapshot& model, catalogue::Id projectId, const LoginFields&) {
    return topPage(model, projectId);
}
std::string buildMenuPage(const catalogue::Snapshot& model, catalogue::Id projectId, const LoginFields&) {
    return menuPage(model, projectId);
}

constexpr SitePage kSitePages[] = {
    {"index.asp", "登录", 1, buildLoginPage},
    {"top.asp", "菜单", 3, buildTopPage},
    {"menu.asp", "导航", 2, buildMenuPage},
};

// The site database is not there at all (not: there but unreadable).
class MissingDatabase : public Error {
public:
    using Error::Error;
};

// Adds the default account to `database` unless it is there; says whether it did.
bool addAccountTo(jet::Database& database, const LoginFields& login, bool digests) {
    if (hasDefaultAccount(database, login)) return false;
    const std::string password = digests ? passwordHash(randomSalt(), kDefaultAccount) : std::string(kDefaultAccount);
    database.insert(login.table, {{login.userField, std::string(kDefaultAccount)}, {login.passwordField, password}});
    return true;
}

// Adds the default account to the site database as this run left it, unless it is there,
// its password as a salted digest when the login page compares digests; says whether it
// added it.
bool addDefaultAccount(const fs::path& databasePath, const LoginFields& login, bool digests, SiteSink& sink,
                       BuildContext* context) {
    // The database step of this build keeps its database for this step, which writes it
    // whatever happens to the account; otherwise the file is read.
    auto database = context ? context->takeSiteDatabase(databasePath) : std::nullopt;
    const bool wasHeld = database.has_value();
    if (!database) {
        const auto bytes = sink.readBack(databasePath);
        if (!bytes) throw MissingDatabase("无法打开数据库文件 " + displayPath(databasePath));
        try {
            database = jet::Database::fromBytes(*bytes);
        } catch (const Error& e) {
            // The file is there: asking for it to be generated would mislead.
            throw Error("数据库文件 " + displayPath(databasePath) + " 无法读取：" + e.what());
        }
    }
    bool added = false;
    // A database from an earlier release lacks the site's own tables.
    const bool tablesAdded = !database->hasTable(kLoginLockTable);
    try {
        if (tablesAdded) addSiteTables(*database);
        added = addAccountTo(*database, login, digests);  // a refused row leaves the database as it was
    } catch (...) {
        if (wasHeld) sink.writeDatabase(databasePath, *database);
        throw;
    }
    if (added || wasHeld || tablesAdded) sink.writeDatabase(databasePath, *database);
    return added;
}

}  // namespace

LoginResult generateLogin(const catalogue::Snapshot& model, const fs::path& runDir, catalogue::Id projectId,
                          SiteSink& sink, Messages& messages) {
    const auto* project = model.project(projectId);
    if (!project) {
        messages.show(LoginStep().missingProjectMessage(projectId));
        LoginResult result;
        result.problems = 1;
        return result;
    }
    return generateLogin({model, *project, runDir}, sink, messages);
}

LoginResult generateLogin(const StepInput& input, SiteSink& sink, Messages& messages) {
    LoginResult result;
    const auto& model = input.model;
    const auto* project = &input.project;
    const auto login = findLoginFields(model, project->id);
    if (!login) {
        messages.show(wrongLoginMarksMessage(model, project->id));
        result.problems = 1;
        return result;
    }
    auto report = [&](const std::string& text) {
        messages.show(text);
        ++result.problems;
    };

    fs::path site;
    try {
        site = siteFolder(input.runDir, project->name);
        sink.makeFolders(site);
    } catch (const Error& e) {
        report(e.what());
        return result;
    }

    const auto loginRows = model.templateRows("登录");
    // A row without its anchors gets no login page (reported below); its digests still count.
    const bool digests = !loginRows.empty() && [&] {
        try {
            return storesPasswordDigests(loginPage(*firstRowOf(model, "登录"), *login));
        } catch (const MissingAnchor&) {
            return storesPasswordDigests(*firstRowOf(model, "登录"));
        }
    }();
    const fs::path databasePath = site / "data" / "data.mdb";
    try {
        // Rows carried over by ② may hold the account already.
        if (addDefaultAccount(databasePath, *login, digests, sink, input.context)) {
            result.written.push_back(databasePath);
            result.accountAdded = true;
        }
    } catch (const MissingDatabase& e) {
        report("默认帐号 vokra 未能加入网站数据库 " + databasePath.string() + "：" + e.what() +
               "（请先生成数据库文件）");
    } catch (const Error& e) {
        report("默认帐号 vokra 未能加入网站数据库 " + databasePath.string() + "：" + e.what());
    }

    for (const SitePage& page : kSitePages) {
        const auto rows = model.templateRows(page.kind);
        if (rows.size() < page.rowsNeeded) {
            report("模板类型 " + std::string(page.kind) + " 只有 " + std::to_string(rows.size()) +
                   " 行，生成页面需要 " + std::to_string(page.rowsNeeded) + " 行，" + page.file + " 未生成。");
            continue;
        }
        try {
            sink.writeText(site / page.file, page.build(model, project->id, *login), [&](std::string_view character) {
                return "项目 " + project->name + "：" + page.file + " 中的字符“" + std::string(character) +
                       "”无法用 GBK 编码（来自表名或 " + page.kind + " 模板），该页未生成。";
            });
            result.written.push_back(site / page.file);
        } catch (const MissingAnchor& e) {
            report(missingAnchorText(model, e.anchor()) + "，" + page.file + " 未生成。");
        } catch (const Error& e) {
            report(e.what());
        }
    }
    messages.show("登陆生成完毕");
    return result;
}

std::string LoginStep::missingProjectMessage(catalogue::Id projectId) const {
    return "项目 " + std::to_string(projectId) + " 不存在。";
}

StepResult LoginStep::run(const StepInput& input, SiteSink& sink, Messages& messages, const Progress&) {
    LoginResult login = generateLogin(input, sink, messages);
    return {std::move(login.written), login.problems, false};
}

}  // namespace tabulon::generator
