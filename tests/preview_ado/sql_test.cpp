// Access SQL as the site's pages write it, answered from the working copy the way Jet
// answers it, and refused where Jet refuses it.
#include <gtest/gtest.h>

#include "tests/preview_ado/working_copy_fixture.h"

namespace tabulon::testing {
namespace {

using Ids = std::vector<std::int64_t>;

class AccessSql : public ::testing::Test {
protected:
    Ids ids(const std::string& sql) {
        auto rs = conn->open(sql, ado::adOpenStatic, ado::adLockReadOnly);
        Ids result;
        const int id = rs->fieldIndex("id");
        if (id < 0) throw std::runtime_error("no id in " + sql);
        for (; !rs->eof(); rs->moveNext()) result.push_back(rs->value(id).integer);
        return result;
    }
    ado::Value single(const std::string& sql) {
        auto rs = conn->open(sql, ado::adOpenStatic, ado::adLockReadOnly);
        return rs->value(0);
    }
    std::uint32_t failure(const std::string& sql) {
        return hresultOf([&] { conn->open(sql, ado::adOpenForwardOnly, ado::adLockReadOnly); });
    }
    std::uint32_t failedExecute(const std::string& sql) {
        return hresultOf([&] { conn->execute(sql); });
    }

    WorkingCopy copy;
    std::unique_ptr<ado::Connection> conn = copy.connect();
};

TEST_F(AccessSql, NamesBracketedBareChineseAndQualified) {
    EXPECT_EQ(ids("select * from [流水帐] where [名称]='午餐'"), Ids{3});
    EXPECT_EQ(ids("select id, 名称 from 流水帐 where 流水帐.数量=2"), (Ids{2, 3}));
    EXPECT_EQ(ids("select a.id from 流水帐 as a where a.[数量]=4"), Ids{4});
    EXPECT_EQ(ids("SELECT ID FROM 流水帐 WHERE ID=1"), Ids{1});  // names ignore case
    EXPECT_EQ(ids("select id,[名称] from [流水帐] where [数量]=2 order by id asc"), (Ids{2, 3}));
}

TEST_F(AccessSql, DateLiteralsInEveryFormPagesWrite) {
    EXPECT_EQ(ids("select * from 流水帐 where 日期 between #2024-01-01# and #2024-02-01#"), Ids{1});
    EXPECT_EQ(ids("select * from 流水帐 where 日期 >= #2024/2/1 10:30#"), (Ids{2, 3}));
    EXPECT_EQ(ids("select * from 流水帐 where 日期 < #1/1/2024#"), Ids{4});  // m/d/yyyy, as Jet reads it
    EXPECT_EQ(ids("select * from 流水帐 where 日期 = #2023-12-31 23:59:59#"), Ids{4});
    EXPECT_EQ(ids("select * from 流水帐 where 1  and 日期 between #2024-03-15# and #2024-03-15 23:59:59# "), Ids{3});
    EXPECT_EQ(failure("select * from 流水帐 where 日期 = #2024-02-30#"), 0x80040E14u);
}

TEST_F(AccessSql, ConcatenationTreatsNullAsEmptyAndNumbersAsVbscriptShowsThem) {
    EXPECT_EQ(single("select 名称 & '-' & 数量 as t from 流水帐 where id=1").text, "Apple-1");
    EXPECT_EQ(single("select 名称 & Null from 流水帐 where id=2").text, "banana");
    EXPECT_EQ(single("select 金额 & '' from 流水帐 where id=1").text, "12.3");
    EXPECT_EQ(single("select 日期 & '' from 流水帐 where id=2").text, "2024/2/1 10:30:00");
}

TEST_F(AccessSql, TrueAndFalseAreMinusOneAndZero) {
    EXPECT_EQ(ids("select * from 流水帐 where 已付=True"), (Ids{1, 3}));
    EXPECT_EQ(ids("select * from 流水帐 where 已付=false"), (Ids{2, 4}));
    EXPECT_EQ(ids("select * from 流水帐 where not 已付"), (Ids{2, 4}));
    EXPECT_EQ(ids("select * from 流水帐 where 已付=-1"), (Ids{1, 3}));
}

TEST_F(AccessSql, TopKeepsTies) {
    EXPECT_EQ(ids("select top 2 * from 流水帐 order by 数量"), (Ids{1, 2, 3}));
    EXPECT_EQ(ids("select top 1 * from 流水帐 order by id desc"), Ids{4});
    EXPECT_EQ(ids("select top 2 * from 流水帐"), (Ids{1, 2}));
    EXPECT_EQ(ids("select top 1 * from 用户 where id=2"), Ids{2});
}

TEST_F(AccessSql, LikeUsesPercentAndUnderscoreIgnoringCase) {
    EXPECT_EQ(ids("select * from 流水帐 where 名称 like 'APP%'"), (Ids{1, 4}));
    EXPECT_EQ(ids("select * from 流水帐 where 名称 like '_ANANA'"), Ids{2});
    EXPECT_EQ(ids("select * from 流水帐 where 名称 like '%餐'"), Ids{3});
    EXPECT_EQ(ids("select * from 流水帐 where 名称 not like 'a%'"), (Ids{2, 3}));
    EXPECT_EQ(ids("select * from 流水帐 where 名称 like 'a*'"), Ids{});  // * is no wildcard through OLE DB
}

TEST_F(AccessSql, LikeCharacterListsAsJetReadsThem) {
    EXPECT_EQ(ids("select * from 流水帐 where 名称 like '[ab]%'"), (Ids{1, 2, 4}));
    EXPECT_EQ(ids("select * from 流水帐 where 名称 like '[!a]%'"), (Ids{2, 3}));
    EXPECT_EQ(ids("select * from 流水帐 where 名称 not like '[a-b]ANANA'"), (Ids{1, 3, 4}));
    EXPECT_EQ(ids("select * from 流水帐 where 名称 like '%[[]%'"), Ids{});
    EXPECT_EQ(ids("select * from 流水帐 where 名称 like 名称 & '%'"), (Ids{1, 2, 3, 4}));
    EXPECT_EQ(failure("select * from 流水帐 where 名称 like '%[%'"), 0x80040E14u);  // a list never closed
    EXPECT_EQ(failure("select * from 流水帐 where 名称 like '[' & 名称"), 0x80040E14u);
}

TEST_F(AccessSql, TextComparesAndSortsIgnoringCase) {
    EXPECT_EQ(ids("select * from 流水帐 where 名称='APPLE'"), Ids{1});
    EXPECT_EQ(ids("select * from 流水帐 where 名称=\"apple\""), Ids{1});
    EXPECT_EQ(ids("select * from 用户 where (帐号='VOKRA' and 密码='vokra')"), Ids{1});
    EXPECT_EQ(ids("select * from 用户 where (帐号='vokra' and 密码='wrong')"), Ids{});
    EXPECT_EQ(ids("select * from 流水帐 where 名称 > 'B' and 名称 < 'c'"), Ids{2});
    EXPECT_EQ(ids("select * from 流水帐 where id<>3 order by 名称"), (Ids{1, 4, 2}));
    EXPECT_EQ(ids("select * from 流水帐 where 名称 in ('APPLE','Banana')"), (Ids{1, 2}));
}

TEST_F(AccessSql, WhereOneOrderInNotBetweenAndNull) {
    EXPECT_EQ(ids("select * from 流水帐 where 1 order by id desc"), (Ids{4, 3, 2, 1}));
    EXPECT_EQ(ids("select * from 流水帐 where 1  and 名称 like '%a%'  and 金额 > 4 "), (Ids{1, 2, 4}));
    EXPECT_EQ(ids("select * from 流水帐 where id in(1,3)"), (Ids{1, 3}));
    EXPECT_EQ(ids("select * from 流水帐 where id not in (1,2)"), (Ids{3, 4}));
    EXPECT_EQ(ids("select * from 流水帐 where not id in (1)"), (Ids{2, 3, 4}));
    EXPECT_EQ(ids("select * from 流水帐 where 金额 between 5 and 10 order by 金额 desc, id"), (Ids{4, 2}));
    EXPECT_EQ(ids("select * from 流水帐 where 数量 = 2 or 数量 = 4 and 已付"), (Ids{2, 3}));
    conn->execute("insert into 流水帐 (名称) values ('空')");
    EXPECT_EQ(ids("select * from 流水帐 where 金额 is null"), Ids{5});
    EXPECT_EQ(ids("select * from 流水帐 where 金额 is not null and 日期 is not null").size(), 4u);
    EXPECT_EQ(ids("select * from 流水帐 where 金额 = null"), Ids{});
}

TEST_F(AccessSql, SingleColumnsHoldFloatValues) {
    EXPECT_EQ(ids("select * from 流水帐 where 金额 = 12.3"), Ids{});  // as on Jet: 12.300000190734863
    EXPECT_EQ(ids("select * from 流水帐 where 金额 > 12.29 and 金额 < 12.31"), Ids{1});
    EXPECT_EQ(ids("select * from 流水帐 where 金额 = 8.5"), Ids{4});
}

TEST_F(AccessSql, FunctionsAndArithmetic) {
    EXPECT_EQ(ids("select * from 流水帐 where len(名称)=5"), Ids{1});
    EXPECT_EQ(ids("select * from 流水帐 where ucase(名称)='APPLE PIE'"), Ids{4});
    EXPECT_EQ(ids("select * from 流水帐 where year(日期)=2023"), Ids{4});
    EXPECT_EQ(ids("select * from 流水帐 where month(日期)=2 and hour(日期)=10"), Ids{2});
    EXPECT_EQ(ids("select * from 流水帐 where left(名称,2)='ap'"), (Ids{1, 4}));
    EXPECT_EQ(ids("select * from 流水帐 where right(名称,3)='pie'"), Ids{4});
    EXPECT_EQ(ids("select * from 流水帐 where mid(名称,2,3)='ana'"), Ids{2});
    EXPECT_EQ(ids("select * from 流水帐 where 数量 * 2 = 4"), (Ids{2, 3}));
    EXPECT_EQ(ids("select * from 流水帐 where 总数 \\ 1000 = 4"), Ids{4});
    EXPECT_EQ(ids("select * from 流水帐 where 数量 mod 2 = 1"), Ids{1});
    EXPECT_EQ(ids("select * from 流水帐 where iif(已付, 1, 0) = 1"), (Ids{1, 3}));
    EXPECT_EQ(ids("select * from 流水帐 where 日期 < now()"), (Ids{1, 2, 3, 4}));

    auto count = conn->open("select count(*) from 流水帐 where 数量=2", ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(count->fields()[0].name, "Expr1000");
    EXPECT_EQ(count->value(0).kind, ado::Value::Kind::Long);
    EXPECT_EQ(count->value(0).integer, 2);
    const ado::Value highest = single("select max(金额) as m from 流水帐");
    EXPECT_EQ(highest.kind, ado::Value::Kind::Single);
    EXPECT_EQ(highest.number, 30.0);
    auto flags = conn->open("select id = 1 as first from 流水帐 where id <= 2", ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(flags->value(0).kind, ado::Value::Kind::Boolean);
    EXPECT_TRUE(flags->value(0).boolean);
    auto distinct =
        conn->open("select distinct 数量 from 流水帐 order by 数量", ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(distinct->recordCount(), 3);
}

TEST_F(AccessSql, SyntaxErrorsAreJetsSyntaxErrors) {
    EXPECT_EQ(failure("select * from 流水帐 where id in ()"), 0x80040E14u);
    EXPECT_EQ(failure("select * from 流水帐 where"), 0x80040E14u);
    EXPECT_EQ(failure("select * from 流水帐 where id = = 1"), 0x80040E14u);
    EXPECT_EQ(failure("select * 流水帐"), 0x80040E14u);
    EXPECT_EQ(failure("selec * from 流水帐"), 0x80040E14u);
    EXPECT_EQ(failure("select * from 流水帐 where 名称='abc"), 0x80040E14u);
    EXPECT_EQ(failure("select * from 流水帐 where 名称 like"), 0x80040E14u);
    EXPECT_EQ(failure("select * from 流水帐 where 名称 like% 1 %"), 0x80040E14u);
    EXPECT_EQ(failure("select * from 流水帐 where nosuchfunction(id)=1"), 0x80040E14u);
    EXPECT_EQ(failure("select * from 流水帐; delete from 流水帐"), 0x80040E14u);
    EXPECT_EQ(failure("select * from 流水帐 where id in (select id, 帐号 from 用户)"), 0x80004005u);
    EXPECT_EQ(failure("select * from 流水帐 a join 用户 b on a.id = b.id"), 0x80040E14u);  // Jet needs INNER
    try {
        conn->open("select * from 流水帐 where id in ()", ado::adOpenForwardOnly, ado::adLockReadOnly);
    } catch (const ado::AdoError& error) {
        EXPECT_EQ(error.source(), "Microsoft JET Database Engine");
        EXPECT_NE(std::string(error.what()).find("id in ()"), std::string::npos) << error.what();
    }
}

TEST_F(AccessSql, UnknownNamesAreMissingParametersAndUnknownTablesAreNamed) {
    EXPECT_EQ(failure("select nosuch from 流水帐"), 0x80040E10u);
    EXPECT_EQ(failure("select * from 流水帐 where 名字='x'"), 0x80040E10u);
    EXPECT_EQ(failure("select * from 流水帐 order by nosuch"), 0x80040E10u);
    EXPECT_EQ(failure("select * from 流水帐 where 用户.id=1"), 0x80040E10u);
    EXPECT_EQ(failure("select * from 无此表"), 0x80040E37u);
    try {
        conn->open("select * from 无此表 where id=1", ado::adOpenForwardOnly, ado::adLockReadOnly);
    } catch (const ado::AdoError& error) {
        EXPECT_NE(std::string(error.what()).find("'无此表'"), std::string::npos) << error.what();
    }
    try {
        conn->open("select * from 流水帐 where x=1", ado::adOpenForwardOnly, ado::adLockReadOnly);
    } catch (const ado::AdoError& error) {
        EXPECT_STREQ(error.what(), "No value given for one or more required parameters.");
    }
}

TEST_F(AccessSql, LiteralsOfTheWrongTypeAreMismatches) {
    EXPECT_EQ(failure("select * from 流水帐 where id='1'"), 0x80040E07u);
    EXPECT_EQ(failure("select * from 流水帐 where 名称=5"), 0x80040E07u);
    EXPECT_EQ(failure("select * from 流水帐 where 日期='2024-01-31'"), 0x80040E07u);
    EXPECT_EQ(failure("select * from 流水帐 where id in (1,'2')"), 0x80040E07u);
}

TEST_F(AccessSql, WritesCheckValuesLikeJet) {
    EXPECT_EQ(conn->execute("update 流水帐 set 数量=数量+1 where 数量=2"), 2);
    EXPECT_EQ(ids("select * from 流水帐 where 数量=3"), (Ids{2, 3}));
    EXPECT_EQ(failedExecute("update 流水帐 set 数量='x' where id=1"), 0x80040E07u);
    EXPECT_EQ(failedExecute("update 流水帐 set 等级=300 where id=1"), 0x80040E57u);
    EXPECT_EQ(failedExecute("update 流水帐 set 名称='12345678901' where id=1"), 0x80004005u);
    EXPECT_EQ(failedExecute("update 流水帐 set id=9 where id=1"), 0x80004005u);
    EXPECT_EQ(failedExecute("insert into 流水帐 (无此列) values (1)"), 0x80040E14u);
    EXPECT_EQ(failedExecute("insert into 流水帐 (名称, 数量) values ('x')"), 0x80040E14u);
    EXPECT_EQ(ids("select * from 流水帐 where 名称='12345678901' or 等级=300"), Ids{});  // nothing was written

    EXPECT_EQ(conn->execute("insert into 流水帐 (名称, 日期, 金额, 小计) values ('新', #2024-05-06#, 12.3, '7.125')"),
              1);
    auto rs = conn->open("select * from 流水帐 where 名称='新'", ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(at(*rs, "id").integer, 5);
    EXPECT_EQ(at(*rs, "日期").kind, ado::Value::Kind::Date);
    EXPECT_EQ(at(*rs, "日期").number, 45418.0);
    EXPECT_EQ(at(*rs, "金额").number, static_cast<double>(12.3f));
    EXPECT_EQ(at(*rs, "小计").text, "7.13");
    EXPECT_EQ(conn->execute("delete from 流水帐 where id in (1,2,99)"), 2);
    EXPECT_EQ(conn->execute("delete * from 流水帐"), 3);
}

}  // namespace
}  // namespace tabulon::testing
