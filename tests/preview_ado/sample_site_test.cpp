// The sample project's own database, made by the generator, seeded into a working copy and
// used the way its generated pages use it: log in, add, list with search and look-ups,
// modify, delete, and the cascade service's query.
#include <gtest/gtest.h>

#include "base/messages.h"
#include "generator/database/database_generator.h"
#include "generator/login/login_generator.h"
#include "generator/login/sha256.h"
#include "generator/site_sink.h"
#include "tests/preview_ado/working_copy_fixture.h"
#include "tests/support/design_builder.h"

namespace tabulon::testing {
namespace {

class SampleSite : public ::testing::Test {
protected:
    void SetUp() override {
        DesignBuilder design;
        const auto model = design.snapshot();
        RecordedMessages messages;
        generator::FileSink sink;
        generator::generateDatabase(model, run.path(), 4, sink, messages);
        generator::generateLogin(model, run.path(), 4, sink, messages);
        const auto site = run.path() / "记账";
        preview::seedWorkingCopy(site / "data" / "data.mdb", run.path() / "preview" / "data.sqlite");
        conn = ado::openWorkingCopy((run.path() / "preview" / "data.sqlite").string());
    }

    // Adds a row the way an add page does: every posted value is text.
    std::int64_t add(const std::string& table, const std::vector<std::pair<std::string, std::string>>& posted) {
        auto rs = conn->open("select * from " + table, ado::adOpenForwardOnly, ado::adLockPessimistic);
        rs->addNew();
        for (const auto& [field, value] : posted) rs->setValue(ado::requireField(*rs, field), text(value));
        rs->update();
        const std::int64_t id = at(*rs, "id").integer;
        rs->close();
        return id;
    }

    TempFolder run;
    std::unique_ptr<ado::Connection> conn;
};

// The login page finds the account by its name and compares the salted digest itself.
TEST_F(SampleSite, LogInWithTheDefaultAccount) {
    auto rs = conn->open("select * from 用户 where (帐号='vokra')", ado::adOpenKeyset, ado::adLockReadOnly);
    ASSERT_FALSE(rs->eof()) << "the login generator's account is in the working copy";
    EXPECT_EQ(at(*rs, "帐号").text, "vokra");
    const std::string stored = at(*rs, "密码").text;
    const std::string prefix = "$p" + std::to_string(generator::kPasswordRounds) + "$";
    ASSERT_EQ(stored.substr(0, prefix.size()), prefix);
    EXPECT_EQ(stored, generator::passwordHash(stored.substr(prefix.size(), generator::kSaltLength), "vokra"));
    auto wrong = conn->open("select * from 用户 where (帐号='nobody')", ado::adOpenKeyset, ado::adLockReadOnly);
    EXPECT_TRUE(wrong->eof());
}

TEST_F(SampleSite, AddListSearchModifyAndDeleteLikeThePages) {
    const auto income = add("收支", {{"一级分类", "收入"}});
    const auto spending = add("收支", {{"一级分类", "支出"}});
    add("消费类型", {{"收支类型", "支出"}, {"类型名称", "餐饮"}, {"排序", "1"}});
    add("消费类型", {{"收支类型", "收入"}, {"类型名称", "工资"}, {"排序", "2"}});
    for (int i = 1; i <= 20; ++i) {
        add("流水帐", {{"收支", std::to_string(i % 2 ? spending : income)},
                       {"消费类型", "1"},
                       {"名称", i % 2 ? "午餐" + std::to_string(i) : "工资"},
                       {"金额", std::to_string(i) + ".5"},
                       {"日期", "2024-03-" + std::to_string(i)}});
    }
    // A number field posted empty fails as on Jet.
    auto failing = conn->open("select * from 流水帐", ado::adOpenForwardOnly, ado::adLockPessimistic);
    failing->addNew();
    EXPECT_EQ(hresultOf([&] { failing->setValue(ado::requireField(*failing, "金额"), text("")); }), 0x80040E21u);
    failing->cancelUpdate();

    // The list page: search kept, fifteen to a page, a look-up per row.
    auto rs = conn->open(
        "select * from 流水帐 where 1  and 名称 like '%午餐%'  and 金额 > 2  and 日期 between "
        "#2024-03-01# and #2024-03-31 23:59:59# ",
        ado::adOpenStatic, ado::adLockReadOnly);
    rs->setPageSize(15);
    EXPECT_EQ(rs->recordCount(), 9);  // odd rows 3…19
    EXPECT_EQ(rs->pageCount(), 1);
    rs->setAbsolutePage(1);
    int shown = 0;
    for (; !rs->eof() && shown < rs->pageSize(); ++shown, rs->moveNext()) {
        // 收支 is a text column holding the linked id, spliced in as the page does
        auto lookUp = conn->open("select id,一级分类 from 收支 where id=" + at(*rs, "收支").text, ado::adOpenKeyset,
                                 ado::adLockReadOnly);
        ASSERT_FALSE(lookUp->eof());
        EXPECT_EQ(at(*lookUp, "一级分类").text, "支出");
        lookUp->close();
    }
    EXPECT_EQ(shown, 9);
    auto all = conn->open("select * from 流水帐 where 1 order by id desc", ado::adOpenStatic, ado::adLockReadOnly);
    all->setPageSize(15);
    EXPECT_EQ(all->pageCount(), 2);

    // The modify page: the record by id, every field written back from the form.
    auto modify = conn->open("select * from 流水帐 where id=" + std::to_string(3), ado::adOpenForwardOnly,
                             ado::adLockPessimistic);
    ASSERT_FALSE(modify->eof());
    modify->setValue(ado::requireField(*modify, "名称"), text("晚餐"));
    modify->setValue(ado::requireField(*modify, "金额"), text("99"));
    modify->update();
    auto check = conn->open("select * from 流水帐 where 名称='晚餐'", ado::adOpenStatic, ado::adLockReadOnly);
    ASSERT_EQ(check->recordCount(), 1);
    EXPECT_EQ(at(*check, "金额").number, 99.0);

    // The delete page with several ids, then the cascade service's question.
    auto remove = conn->open("select * from 流水帐 where id in(1,2,3)", ado::adOpenForwardOnly, ado::adLockPessimistic);
    while (!remove->eof()) {
        remove->deleteCurrent();
        remove->moveNext();
    }
    EXPECT_EQ(conn->open("select * from 流水帐", ado::adOpenStatic, ado::adLockReadOnly)->recordCount(), 17);
    auto cascade = conn->open("select id,[类型名称] from [消费类型] where [收支类型]='支出' order by id asc",
                              ado::adOpenKeyset, ado::adLockReadOnly);
    ASSERT_FALSE(cascade->eof());
    EXPECT_EQ(cascade->value(1).text, "餐饮");
}

}  // namespace
}  // namespace tabulon::testing
