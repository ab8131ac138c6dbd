// Login and navigation pages and the default account.
#include <gtest/gtest.h>

#include "base/gbk.h"
#include "generator/build/site_build.h"
#include "generator/database/database_generator.h"
#include "generator/login/login_generator.h"
#include "generator/login/sha256.h"
#include "generator/text/template_anchor.h"
#include "jet/database.h"
#include "tests/support/design_builder.h"
#include "tests/support/temp_folder.h"

namespace tabulon::generator {
namespace {

using testing::DesignBuilder;
using testing::makeField;
using testing::readFile;
using testing::TempFolder;

catalogue::Field marked(const std::string& name, const std::string& description) {
    auto field = makeField(name);
    field.description = description;
    return field;
}

void replaceTemplate(DesignBuilder& design, std::string_view kind, std::size_t index, const std::string& content) {
    auto rows = design.catalogue().templates(kind);
    rows.at(index).content = content;
    design.catalogue().updateTemplate(rows.at(index));
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(LoginFields, FoundThroughTheirDescriptions) {
    DesignBuilder design;
    const auto login = findLoginFields(design.snapshot(), 4);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->table, "用户");
    EXPECT_EQ(login->userField, "帐号");
    EXPECT_EQ(login->passwordField, "密码");
}

TEST(LoginFields, AnythingButOneOfEachInOneTableIsNoLogin) {
    DesignBuilder design;
    const auto project = design.project("标记");
    const auto users = design.table(project, "用户");
    EXPECT_FALSE(findLoginFields(design.snapshot(), project)) << "no marks";
    design.field(users, marked("账号", "username"));
    EXPECT_FALSE(findLoginFields(design.snapshot(), project)) << "one mark";
    design.field(users, marked("别名", "username"));
    EXPECT_FALSE(findLoginFields(design.snapshot(), project)) << "two user-name marks";

    DesignBuilder split;
    const auto other = split.project("分开");
    split.field(split.table(other, "甲"), marked("账号", "username"));
    split.field(split.table(other, "乙"), marked("密码", "password"));
    EXPECT_FALSE(findLoginFields(split.snapshot(), other)) << "marks in two tables";

    DesignBuilder cased;
    const auto third = cased.project("大小写");
    const auto table = cased.table(third, "用户");
    cased.field(table, marked("账号", "UserName"));
    cased.field(table, marked("密码", "password"));
    EXPECT_FALSE(findLoginFields(cased.snapshot(), third)) << "descriptions compare exactly";
}

TEST(LoginPage, PointsTheQueryAndCookieAtTheLoginColumns) {
    const std::string text =
        "sql=\"select * from login where (username='\"&u&\"' and pwd='\"&p&\"')\"\r\n"
        "Response.Cookies(\"kovel_username\")=rs(\"username\")\r\n"
        "<input name=\"username\"><input name=\"pwd\"> * from login";
    const std::string page = loginPage(text, {"管理员", "账号", "密码"});
    EXPECT_EQ(page,
              "sql=\"select * from 管理员 where (账号='\"&u&\"' and 密码='\"&p&\"')\"\r\n"
              "Response.Cookies(\"kovel_username\")=rs(\"账号\")\r\n"
              "<input name=\"username\"><input name=\"pwd\"> * from login");
    // A row without the query would keep asking the table login: it gets no page.
    EXPECT_THROW(loginPage("select * from users where (name=", {"管理员", "账号", "密码"}), MissingAnchor);
    EXPECT_THROW(loginPage("select * from login where name=", {"管理员", "账号", "密码"}), MissingAnchor);
}

// A row of the user's own that includes the session helpers logs into the session where it
// set the cookie; the password column is renamed wherever the row reads or writes it.
TEST(LoginPage, OwnRowWithTheHelpersLogsIntoTheSession) {
    const std::string text =
        "<!--#include file=\"inc/function.asp\"-->\r\n"
        "sql=\"select * from login where (username='\"&u&\"')\"\r\n"
        "If PasswordMatches(rs(\"pwd\") & \"\", p) Then rs(\"pwd\") = PasswordHash(p)\r\n"
        "Response.Cookies(\"kovel_username\")=rs(\"username\")\r\n";
    const std::string page = loginPage(text, {"管理员", "账号", "密码"});
    EXPECT_EQ(page,
              "<!--#include file=\"inc/function.asp\"-->\r\n"
              "sql=\"select * from 管理员 where (账号='\"&u&\"')\"\r\n"
              "If PasswordMatches(rs(\"密码\") & \"\", p) Then rs(\"密码\") = PasswordHash(p)\r\n"
              "SiteLogin rs(\"id\"), rs(\"账号\")\r\n");
    EXPECT_TRUE(storesPasswordDigests(page));
    EXPECT_FALSE(storesPasswordDigests(loginPage(
        "sql=\"select * from login where (username='\"&u&\"' and pwd='\"&p&\"')\"", {"管理员", "账号", "密码"})));
}

// The login row that earlier releases wrote (kept as a fixture) compares the password
// inside its query; a catalogue that still holds it unchanged gets the current default row.
TEST(LoginPage, EarlierDefaultRowIsReadAsTheCurrentOne) {
    DesignBuilder design;
    const std::string current = std::string(*design.snapshot().templateRows("登录").begin());
    const std::string earlier = readFile(EARLIER_LOGIN_ROW);
    const LoginFields fields{"用户", "帐号", "密码"};
    ASSERT_NE(earlier.find("and pwd="), std::string::npos);
    EXPECT_EQ(loginPage(earlier, fields), loginPage(current, fields));
    EXPECT_EQ(loginPage(current, fields).find("and 密码="), std::string::npos);
    EXPECT_NE(loginPage(current, fields).find("PasswordMatches(rs(\"密码\")"), std::string::npos);
    // Any other text, even one byte away from it, is the user's own and is kept.
    const std::string edited = earlier + " ";
    EXPECT_NE(loginPage(edited, fields).find("and 密码="), std::string::npos);
}

// FIPS 180-4 samples, a two-block message and the 50-character digest of a password.
TEST(PasswordHash, Sha256KnownAnswersAndTheSaltedForm) {
    EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(sha256Hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    // 55 and 56 bytes sit on both sides of the one-block padding limit.
    EXPECT_EQ(sha256Hex(std::string(55, 'x')).size(), 64u);
    EXPECT_NE(sha256Hex(std::string(55, 'x')), sha256Hex(std::string(56, 'x')));
    const std::string hash = passwordHash("0123456789abcdef", "vokra");
    EXPECT_EQ(hash.size(), 50u) << "fits a 50-character text column";
    EXPECT_EQ(hash, "$0123456789abcdef$" + sha256Hex("0123456789abcdefvokra").substr(0, 32));
    const std::string salt = randomSalt();
    EXPECT_EQ(salt.size(), 16u);
    EXPECT_EQ(salt.find_first_not_of("0123456789abcdef"), std::string::npos);
}

TEST(TopAndMenu, OneTabAndOneGroupPerTableInTheirExactForm) {
    DesignBuilder design;
    const auto project = design.project("导航");
    const auto first = design.table(project, "学生");
    const auto second = design.table(project, "Orders");
    const auto third = design.table(project, "课程");
    replaceTemplate(design, "导航", 0, "N1 for (var i=1; i<8; i++) and for (var i=1; i<8; i++)");
    replaceTemplate(design, "导航", 1, "N2 for (var i=1; i<8; i++)");
    const auto model = design.snapshot();

    const std::string top = topPage(model, project);
    const auto menuRows = model.templateRows("菜单");
    const std::string tab = std::string(menuRows[1]) + "\r\n\t\t<div id=\"T" + std::to_string(second) +
                            "\" class=\"menu\"><a href=\"manage/" + std::to_string(second) +
                            "_List.asp\" target=\"right\">Orders</a></div>      \r\n\t</TD>\r\n\r\n";
    EXPECT_NE(top.find(tab), std::string::npos) << "a Latin-named table links by its id alone";
    EXPECT_EQ(top.rfind(std::string(menuRows[0]), 0), 0u);
    EXPECT_EQ(top.substr(top.size() - menuRows[2].size()), menuRows[2]);
    EXPECT_EQ(count(top, "class=\"menu\"><a href=\"manage/"), 3u);
    EXPECT_LT(top.find("XS" + std::to_string(first)), top.find("KC" + std::to_string(third)));

    const std::string menu = menuPage(model, project);
    const std::string group2 =
        "\r\n<tr>\r\n<td onClick=\"collapse('g_2')\" style=\"cursor:hand;\"><div id=\"T" + std::to_string(second) +
        "\" class=\"menu\"><span class=\"menudiv\">Orders</span></div></td>\r\n</tr>\r\n<tr>\r\n<td id=\"g_2\"><table "
        "width=\"100%\" align=\"center\" cellpadding=\"0\" cellspacing=\"0\" bgcolor=\"#FFFFFF\">\r\n  <tbody>\r\n\r\n"
        "\t<tr>\r\n      <td height=\"30\" align=\"center\" background=\"images/left_bg01.gif\" style=\"cursor:hand\"  "
        "onclick=\"javascript:parent.right.location.href='manage/" +
        std::to_string(second) +
        "_Add.asp';\"><table cellpadding=\"0\" cellspacing=\"0\" width=\"100%\"><tr><td width=\"50\">&nbsp;</td><td>"
        "添加记录</td></tr></table></td>\r\n    </tr>\r\n\r\n\t<tr>\r\n      <td height=\"30\" align=\"center\" "
        "background=\"images/left_bg01.gif\" style=\"cursor:hand\"  onclick=\"javascript:parent.right.location.href="
        "'manage/" +
        std::to_string(second) +
        "_List.asp';\"><table cellpadding=\"0\" cellspacing=\"0\" width=\"100%\"><tr><td width=\"50\">&nbsp;</td><td>"
        "浏览查询</td></tr></table></td>\r\n    </tr>\r\n    \r\n\t<tr><td height=\"5\"></td></tr>\r\n  </tbody>\r\n"
        "</table></td>\r\n</tr>\r\n";
    EXPECT_NE(menu.find(group2), std::string::npos);
    EXPECT_NE(menu.find("collapse('g_3')"), std::string::npos);
    EXPECT_EQ(menu.find("collapse('g_4')"), std::string::npos);
    EXPECT_EQ(count(menu, "for (var i=1; i<=3; i++)"), 3u) << "every loop is bounded by the table count";
    EXPECT_EQ(menu.find("i<8"), std::string::npos);
}

TEST(GenerateLogin, SampleProjectGetsItsPagesAndOneHashedAccount) {
    TempFolder run;
    DesignBuilder design;
    const auto model = design.snapshot();
    RecordedMessages messages;
    FileSink disk;
    generateDatabase(model, run.path(), 4, disk, messages);
    messages.clear();

    FileSink sink;
    const auto first = generateLogin(model, run.path(), 4, sink, messages);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"登陆生成完毕"});
    EXPECT_TRUE(first.accountAdded);
    ASSERT_EQ(first.written.size(), 4u) << "the database with the account, then the three pages";
    EXPECT_EQ(first.written[0], run.path() / "记账" / "data" / "data.mdb");
    const auto second = generateLogin(model, run.path(), 4, sink, messages);
    EXPECT_FALSE(second.accountAdded) << "a second run adds nothing";
    EXPECT_EQ(second.written.size(), 3u) << "the database, which holds the account already, is left alone";

    const auto db = jet::Database::open(run.path() / "记账" / "data" / "data.mdb");
    const auto rows = db.rows("用户");
    ASSERT_EQ(rows.size(), 1u);
    const auto& columns = db.table("用户").columns;
    std::string user, password;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].name == "帐号") user = std::get<std::string>(rows[0].values[i]);
        if (columns[i].name == "密码") password = std::get<std::string>(rows[0].values[i]);
    }
    EXPECT_EQ(user, "vokra");
    ASSERT_EQ(password.size(), 50u);
    EXPECT_EQ(password, passwordHash(password.substr(1, 16), "vokra"));
    const std::string index = gbk::decode(readFile(run.path() / "记账" / "index.asp"));
    EXPECT_NE(index.find("* from 用户"), std::string::npos);
    EXPECT_NE(index.find("SiteLogin rs(\"id\"), rs(\"帐号\")"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(run.path() / "记账" / "top.asp"));
    EXPECT_TRUE(std::filesystem::exists(run.path() / "记账" / "menu.asp"));
}

TEST(GenerateLogin, WrongMarksWriteNothing) {
    TempFolder run;
    DesignBuilder design;
    auto field = *design.catalogue().field(153);
    field.description = "";
    design.catalogue().updateField(field);
    FileSink sink;
    RecordedMessages messages;
    const auto result = generateLogin(design.snapshot(), run.path(), 4, sink, messages);
    ASSERT_EQ(messages.texts().size(), 1u);
    // The fixed words first, then what was found: only 用户.帐号 is still marked.
    EXPECT_EQ(messages.texts()[0],
              "错误的登录字段标记\r\n登录页要求同一个表中恰有两个字段，字段说明分别为 username 和 password。\r\n"
              "找到的标记：用户.帐号（username）");
    EXPECT_TRUE(result.written.empty());
    EXPECT_TRUE(std::filesystem::is_empty(run.path()));
}

TEST(GenerateLogin, MissingSiteDatabaseIsReportedAndThePagesAreStillWritten) {
    TempFolder run;
    DesignBuilder design;
    FileSink sink;
    RecordedMessages messages;
    const auto result = generateLogin(design.snapshot(), run.path(), 4, sink, messages);
    ASSERT_EQ(messages.texts().size(), 2u);
    EXPECT_NE(messages.texts()[0].find("vokra"), std::string::npos) << messages.texts()[0];
    EXPECT_EQ(messages.texts()[1], "登陆生成完毕");
    EXPECT_FALSE(result.accountAdded);
    EXPECT_EQ(result.written.size(), 3u);
}

TEST(GenerateLogin, KindWithTooFewRowsIsReportedAndTheOthersWritten) {
    TempFolder run;
    DesignBuilder design;
    design.catalogue().deleteTemplate(53);  // the second 导航 row
    FileSink sink;
    RecordedMessages messages;
    const auto result = generateLogin(design.snapshot(), run.path(), 4, sink, messages);
    EXPECT_EQ(result.written.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(run.path() / "记账" / "menu.asp"));
    bool reported = false;
    for (const auto& text : messages.texts()) reported = reported || text.find("导航") != std::string::npos;
    EXPECT_TRUE(reported);
}

// The database step hands its database to the login step through the sink; the file the
// login step leaves must be the one it would write after reading the file back.
// In one build the database step holds its database for the login step, which writes it
// once, with the account: the same file as two separate runs give.
TEST(GenerateLogin, HandedOverDatabaseGivesTheFileAReadBackGives) {
    TempFolder run;
    DesignBuilder design;
    replaceTemplate(design, "登录", 0,
                    "<% ' plain passwords, so that the file is the same every time\r\n"
                    "sql=\"select * from login where (username='\"&u&\"')\" %>");
    const auto model = design.snapshot();
    const auto file = run.path() / "记账" / "data" / "data.mdb";
    RecordedMessages messages;

    MemorySink handedOver;
    DatabaseStep database;
    LoginStep login;
    BuildStep* const steps[] = {&database, &login};
    EXPECT_TRUE(runBuild(model, run.path(), 4, steps, handedOver, messages).succeeded());
    std::size_t databaseStores = 0;
    for (const auto& stored : handedOver.files()) databaseStores += stored.path == file;
    EXPECT_EQ(databaseStores, 1u) << "encoded and written once";

    MemorySink readBack;
    generateDatabase(model, run.path(), 4, readBack, messages);
    EXPECT_TRUE(generateLogin(model, run.path(), 4, readBack, messages).accountAdded);
    EXPECT_EQ(*handedOver.find(file), *readBack.find(file));
    EXPECT_EQ(jet::Database::fromBytes(*handedOver.find(file)).rowCount("用户"), 1u);
}

// The database held for the login step is written whether the step adds the account
// (carried over here), cannot add it (no login marks) or adds it.
TEST(GenerateLogin, HeldDatabaseIsWrittenWhateverTheLoginStepDoes) {
    TempFolder run;
    DesignBuilder design;
    const auto file = run.path() / "记账" / "data" / "data.mdb";
    DatabaseStep database;
    LoginStep login;
    BuildStep* const steps[] = {&database, &login};
    FileSink disk;
    RecordedMessages messages;
    EXPECT_TRUE(runBuild(design.snapshot(), run.path(), 4, steps, disk, messages).succeeded());
    EXPECT_EQ(jet::Database::fromBytes(readFile(file)).rowCount("用户"), 1u);

    RecordedMessages carried;
    EXPECT_TRUE(runBuild(design.snapshot(), run.path(), 4, steps, disk, carried).succeeded());
    EXPECT_EQ(jet::Database::fromBytes(readFile(file)).rowCount("用户"), 1u) << "carried, not added twice";

    auto field = *design.catalogue().field(153);
    field.description = "";
    design.catalogue().updateField(field);
    std::filesystem::remove(file);
    RecordedMessages unmarked;
    EXPECT_FALSE(runBuild(design.snapshot(), run.path(), 4, steps, disk, unmarked).succeeded());
    ASSERT_TRUE(std::filesystem::exists(file)) << "the login step's failure does not lose the database";
    EXPECT_EQ(jet::Database::fromBytes(readFile(file)).rowCount("用户"), 0u);
}

// A file stored over the database step's one (here already holding the account) is what
// the login step must see, not the database the step kept.
TEST(GenerateLogin, FileStoredAfterTheDatabaseStepWinsOverTheKeptDatabase) {
    TempFolder run;
    DesignBuilder design;
    const auto model = design.snapshot();
    const auto file = run.path() / "记账" / "data" / "data.mdb";
    RecordedMessages messages;
    MemorySink sink;
    generateDatabase(model, run.path(), 4, sink, messages);
    auto withAccount = jet::Database::fromBytes(*sink.find(file));
    withAccount.insert("用户", {{"帐号", std::string("vokra")}, {"密码", std::string("x")}});
    sink.writeBytes(file, withAccount.bytes());

    const auto result = generateLogin(model, run.path(), 4, sink, messages);
    EXPECT_FALSE(result.accountAdded);
    EXPECT_EQ(*sink.find(file), withAccount.bytes());
}

}  // namespace
}  // namespace tabulon::generator
