#pragma once
// The site-wide pages: the login page index.asp, the top bar top.asp and the left menu
// menu.asp, plus the default account "vokra"/"vokra" in the site database.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/messages.h"
#include "catalogue/snapshot.h"
#include "generator/build/build_step.h"
#include "generator/site_sink.h"

namespace tabulon::generator {

// The table and columns that hold the site's accounts, found through the fields whose
// 字段说明 is exactly "username" and "password".
struct LoginFields {
    std::string table;
    std::string userField;
    std::string passwordField;
};

// Nothing unless the project has exactly two marked fields, one of each kind, in one table.
std::optional<LoginFields> findLoginFields(const catalogue::Snapshot& model, catalogue::Id projectId);

// "错误的登录字段标记", then what the login needs and which marked fields (table.field and
// mark) the project has.
std::string wrongLoginMarksMessage(const catalogue::Snapshot& model, catalogue::Id projectId);

// The login page from the first 登录 template row, pointed at the login table and columns.
// The unchanged login row of earlier releases is read as the current default row.
std::string loginPage(std::string_view templateText, const LoginFields& login);
// The page compares salted digests (and so the default account is stored as one).
bool storesPasswordDigests(std::string_view loginPageText);
// The top bar: M1, one tab per table, M3.
std::string topPage(const catalogue::Snapshot& model, catalogue::Id projectId);
// The left menu: N1, one group per table, N2, its loops bounded by the number of tables.
std::string menuPage(const catalogue::Snapshot& model, catalogue::Id projectId);

struct LoginResult {
    std::vector<std::filesystem::path> written;  // data/data.mdb when the account went in, then the pages
    bool accountAdded = false;                   // false also when the account was there already
    std::size_t problems = 0;                    // each reported by a message
};

// Adds the default account, then writes index.asp, top.asp and menu.asp into the site
// folder and ends with "登陆生成完毕". Without two proper login marks it shows
// "错误的登录字段标记" and writes nothing. A missing site database is reported (the pages
// are still written).
// The database is read back through `sink`, so a dry run sees the database step's file.
LoginResult generateLogin(const StepInput& input, SiteSink& sink, Messages& messages);
// The same for the project `projectId`; a missing project is reported.
LoginResult generateLogin(const catalogue::Snapshot& model, const std::filesystem::path& runDir,
                          catalogue::Id projectId, SiteSink& sink, Messages& messages);

// Step ④ of a build.
class LoginStep final : public BuildStep {
public:
    std::string_view title() const override { return "④生成登录代码"; }
    std::string missingProjectMessage(catalogue::Id projectId) const override;
    StepResult run(const StepInput& input, SiteSink& sink, Messages& messages, const Progress& progress) override;
    // Takes the site database the database step of the build hands on.
    StepUse use() const override { return {Product::SiteFolder | Product::SiteDatabase, {}}; }
};

inline constexpr std::string_view kDefaultAccount = "vokra";

}  // namespace tabulon::generator
