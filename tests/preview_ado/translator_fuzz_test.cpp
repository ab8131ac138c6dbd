// Seeded mutations of the Access SQL pages write, run against a working copy: every
// statement is answered or refused with a Jet error (AdoError); the translator and the
// functions it calls never crash, read out of bounds, hang or let text become SQL. Built
// with AddressSanitizer and UBSan by tests/preview_ado/sanitize; TABULON_FUZZ_ITERATIONS
// sets the count.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "preview/ado/ado.h"
#include "tests/support/temp_folder.h"

namespace tabulon::testing {
namespace {

namespace ado = tabulon::preview::ado;

// Two tables in the working copy's layout; 商品 points at 分类.
constexpr const char* kWorkingCopy = R"sql(
CREATE TABLE "tabulon.tables" (position INTEGER PRIMARY KEY, name TEXT NOT NULL, sqlite_name TEXT NOT NULL);
CREATE TABLE "tabulon.columns" (table_position INTEGER NOT NULL, position INTEGER NOT NULL, name TEXT NOT NULL,
  jet_type TEXT NOT NULL, size INTEGER NOT NULL, precision INTEGER NOT NULL, scale INTEGER NOT NULL,
  required INTEGER NOT NULL, PRIMARY KEY (table_position, position));
CREATE TABLE "tabulon.info" (key TEXT PRIMARY KEY, value TEXT);
INSERT INTO "tabulon.info" VALUES ('format', '1');
INSERT INTO "tabulon.tables" VALUES (1, '分类', '分类'), (2, '商品', '商品');
INSERT INTO "tabulon.columns" VALUES (1, 0, 'id', 'Counter', 4, 0, 0, 1), (1, 1, '名称', 'Text', 20, 0, 0, 0),
  (2, 0, 'id', 'Counter', 4, 0, 0, 1), (2, 1, '分类id', 'Long', 4, 0, 0, 0), (2, 2, '名称', 'Text', 20, 0, 0, 1),
  (2, 3, '价格', 'Numeric', 19, 10, 2, 0), (2, 4, '上架', 'DateTime', 8, 0, 0, 0), (2, 5, '好', 'Boolean', 2, 0, 0, 0),
  (2, 6, '重', 'Single', 4, 0, 0, 0);
CREATE TABLE "分类" ("id" INTEGER PRIMARY KEY AUTOINCREMENT, "名称" TEXT COLLATE NOCASE);
INSERT INTO "分类" ("名称") VALUES ('水果'), ('饮料'), ('it''s');
CREATE TABLE "商品" ("id" INTEGER PRIMARY KEY AUTOINCREMENT, "分类id" INTEGER, "名称" TEXT COLLATE NOCASE,
  "价格" REAL, "上架" REAL, "好" INTEGER, "重" REAL);
INSERT INTO "商品" ("分类id", "名称", "价格", "上架", "好", "重") VALUES (1, '苹果', 5.5, 45322.375, -1, 1.5),
  (2, '可乐', 2.5, -1.25, 0, NULL), (NULL, '散"装', 10, NULL, 0, 0.1);
)sql";

const std::vector<std::string>& seeds() {
    static const std::vector<std::string> statements = {
        "select * from 商品 where id = 1",
        "select top 2 * from 商品 order by 价格 desc, id",
        "select g.名称, c.名称 from 商品 as g left join 分类 as c on g.分类id = c.id where c.id is null",
        "SELECT 分类.名称, count(*) FROM (商品 INNER JOIN 分类 ON 商品.分类id = 分类.id) GROUP BY 分类.名称 HAVING "
        "count(*) > 0",
        "select 名称 from 商品 where 价格 > (select avg(价格) from 商品) and 分类id in (select id from 分类)",
        "select * from 分类 where not exists (select * from 商品 where 商品.分类id = 分类.id)",
        "select t.n from (select 分类id, count(*) as n from 商品 group by 分类id) as t",
        "select 名称 from 分类 union select 名称 from 商品 order by 1",
        "select distinct 分类id from 商品 where 名称 like '[!a-c]%' or 名称 not like '_%'",
        "insert into 商品 (分类id, 名称, 价格, 上架) values (1, 'x''y', 1.25, #2024-02-29 10:00#)",
        "insert into 分类 (名称) select 名称 & '-' & id from 商品 where 价格 between 1 and 9",
        "update 商品 inner join 分类 on 商品.分类id = 分类.id set 商品.价格 = 商品.价格 * 2 where 分类.名称 = '水果'",
        "update 商品 set 名称 = ucase(名称), 好 = not 好 where id in (1, 2, 3)",
        "delete from 分类 where id not in (select 分类id from 商品 where 分类id is not null)",
        "select format(上架, 'yyyy-mm-dd hh:nn:ss AM/PM'), format(价格, '#,##0.00;(0.0);零'), format(重, "
        "'Percent') from 商品",
        "select dateadd('m', -13, 上架), datediff('ww', 上架, #2025-01-01#, 2), datepart('y', 上架), weekday(上架, 7) "
        "from 商品",
        "select val(名称), val(' &HFFFF'), cstr(价格), clng(价格), cint(价格 * 1000), int(-价格), fix(重) from 商品",
        "select instr(2, 名称, 'a', 0), 2 ^ 0.5, -价格 ^ 2, 价格 mod 3, 价格 \\ 2, iif(好, 'y', 'n') from 商品",
        "create table 新表 (编号 counter primary key, 名 text(5) not null, 价 currency, 时 datetime, constraint k "
        "unique (名))",
        "drop table 分类",
        "select @@identity",
        "select g.名称, c.名称 as 类 into 副本 from 商品 g inner join 分类 c on g.分类id = c.id",
        "select round(价格, 1), sgn(-价格), sqr(价格), space(2) & string(3, 名称), dateserial(2024, 13, 0), "
        "choose(分类id, 'a', 'b'), switch(好, 1, not 好, 2), datevalue(上架), ccur(价格), cbool(好) from 商品",
        "select 名称 from 商品 where 名称 = ? and id > ?",
        "select * from 商品 where 上架 >= #1/31/2024# and len(名称) < 5 and left(名称, 1) <> right(名称, 1)",
    };
    return statements;
}

// Pieces a careless or hostile page puts into its SQL.
const std::vector<std::string>& pieces() {
    static const std::vector<std::string> list = {
        " ",
        "(",
        ")",
        ",",
        "'",
        "\"",
        "[",
        "]",
        "#",
        "?",
        "*",
        "^",
        "-",
        "+",
        "\\",
        "&",
        ";",
        ".",
        "=",
        "<>",
        "select",
        "from",
        "where",
        "union",
        "all",
        "inner join",
        "left join",
        "right join",
        "on",
        "in",
        "exists",
        "not",
        "and",
        "or",
        "null",
        "group by",
        "order by",
        "having",
        "top 1",
        "distinct",
        "as",
        "set",
        "values",
        "(select id from 商品)",
        "(select * from 分类)",
        "商品",
        "分类",
        "名称",
        "id",
        "价格",
        "上架",
        "好",
        "重",
        "商品.*",
        "g.",
        "count(*)",
        "max(",
        "format(",
        "dateadd('q',",
        "datediff(",
        "val(",
        "instr(",
        "clng(",
        "#2024-13-45#",
        "#9999-12-31 23:59:59#",
        "1e308",
        "-2147483649",
        "99999999999999999999",
        "0.0",
        "'\"; drop table 商品; --'",
        "\"]\"",
        "[a\"b]",
        "@@identity",
        "\xE4\xB8",
        "\xFF",
        std::string(1, '\0'),
        "/* */",
        "--",
        "%",
        "_",
        "[!",
        "like",
        "between",
        "is",
        "create table",
        "drop table",
        "counter",
        "text(0)",
    };
    return list;
}

class Mutator {
public:
    explicit Mutator(std::uint32_t seed) : random_(seed) {}

    std::string mutate(std::string statement) {
        const int count = between(1, 4);
        for (int i = 0; i < count; ++i) {
            const std::size_t at = statement.empty() ? 0 : static_cast<std::size_t>(between(0, statement.size()));
            switch (between(0, 4)) {
            case 0: statement.insert(at, pick(pieces())); break;
            case 1:
                if (!statement.empty()) statement.erase(at, static_cast<std::size_t>(between(1, 8)));
                break;
            case 2: {
                const std::string& other = pick(seeds());
                const std::size_t from = static_cast<std::size_t>(between(0, other.size()));
                statement.insert(at, other.substr(from, static_cast<std::size_t>(between(1, 30))));
                break;
            }
            case 3:
                if (!statement.empty() && at < statement.size())
                    statement[at] = static_cast<char>(statement[at] ^ (1 << between(0, 7)));
                break;
            default: statement.insert(at, " " + pick(pieces()) + " "); break;
            }
        }
        return statement;
    }

    template <class List>
    const typename List::value_type& pick(const List& list) {
        return list[static_cast<std::size_t>(between(0, list.size() - 1))];
    }
    int between(std::size_t low, std::size_t high) {
        return static_cast<int>(std::uniform_int_distribution<std::size_t>(low, high)(random_));
    }

private:
    std::mt19937 random_;
};

int iterations() {
    const char* text = std::getenv("TABULON_FUZZ_ITERATIONS");
    const int count = text ? std::atoi(text) : 0;
    return count > 0 ? count : 400;
}

std::string makeWorkingCopy(const TempFolder& folder) {
    const std::string path = (folder.path() / "data.sqlite").string();
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    char* message = nullptr;
    const int code = sqlite3_exec(db, kWorkingCopy, nullptr, nullptr, &message);
    sqlite3_free(message);
    sqlite3_close(db);
    if (code != SQLITE_OK) throw std::runtime_error("the test's working copy could not be made");
    return path;
}

// Reads a few rows of every column: values are built, converted and formatted.
void readSome(ado::Recordset& rs) {
    for (int row = 0; row < 5 && !rs.eof(); ++row, rs.moveNext()) {
        for (int field = 0; field < static_cast<int>(rs.fields().size()); ++field) rs.value(field);
    }
}

TEST(TranslatorFuzz, EveryMutatedStatementIsAnsweredOrRefusedWithAJetError) {
    TempFolder folder;
    const std::string path = makeWorkingCopy(folder);
    auto conn = ado::openWorkingCopy(path);
    const std::vector<ado::Value> parameters = {[] {
        ado::Value v;
        v.kind = ado::Value::Kind::Text;
        v.text = "'); drop table 商品; --";
        return v;
    }()};
    Mutator mutator(20261207);
    int answered = 0, refused = 0;
    conn->beginTrans();
    for (int i = 0; i < iterations(); ++i) {
        const std::string statement = mutator.mutate(mutator.pick(seeds()));
        try {
            auto rs = conn->open(statement, ado::adOpenStatic, ado::adLockReadOnly, parameters);
            if (rs->isOpen()) readSome(*rs);
            ++answered;
        } catch (const ado::AdoError&) {
            ++refused;
        } catch (const std::exception& error) {
            ADD_FAILURE() << "not a Jet error: " << error.what() << " for: " << statement;
        }
        if (i % 50 == 49) {  // undo what the statements changed, tables dropped too
            conn->rollbackTrans();
            conn->beginTrans();
        }
    }
    conn->rollbackTrans();
    EXPECT_GT(answered, 0);
    EXPECT_GT(refused, 0);
    // The data is as it was: no mutated text ever ran as SQL of its own.
    auto check = ado::openWorkingCopy(path);
    EXPECT_EQ(check->open("select count(*) from 商品", ado::adOpenStatic, ado::adLockReadOnly)->value(0).integer, 3);
    EXPECT_EQ(check->open("select count(*) from 分类", ado::adOpenStatic, ado::adLockReadOnly)->value(0).integer, 3);
}

TEST(TranslatorFuzz, FilterSortAndFindTakeAnyTextOrRefuseIt) {
    TempFolder folder;
    auto conn = ado::openWorkingCopy(makeWorkingCopy(folder));
    const std::vector<std::string> criteria = {
        "名称 = '苹果'",
        "价格 > 3 AND (好 = true OR 上架 < #2024/1/1#)",
        "名称 LIKE '苹*'",
        "重 = null",
        "名称 <> 'it''s' or 分类id >= -1",
        "价格 desc, 名称 asc",
        "[名称] = abc",
    };
    Mutator mutator(7);
    auto rs = conn->open("select * from 商品", ado::adOpenStatic, ado::adLockOptimistic);
    for (int i = 0; i < iterations(); ++i) {
        const std::string text = mutator.mutate(mutator.pick(criteria));
        for (int use = 0; use < 3; ++use) {
            try {
                if (use == 0) rs->setFilter(text);
                if (use == 1) rs->setSort(text);
                if (use == 2) rs->find(text, 0, i % 2 == 0);
                readSome(*rs);
            } catch (const ado::AdoError&) {
            } catch (const std::exception& error) {
                ADD_FAILURE() << "not an ADO error: " << error.what() << " for: " << text;
            }
        }
        rs->setFilter("");
        rs->setSort("");
        rs->moveFirst();
    }
    EXPECT_EQ(rs->recordCount(), 3);
}

TEST(TranslatorFuzz, EverySeedRunsAsWritten) {
    TempFolder folder;
    auto conn = ado::openWorkingCopy(makeWorkingCopy(folder));
    ado::Value name, id;
    name.kind = ado::Value::Kind::Text;
    name.text = "苹果";
    id.kind = ado::Value::Kind::Long;
    id.integer = 0;
    for (const std::string& statement : seeds()) {
        conn->beginTrans();
        try {
            auto rs = conn->open(statement, ado::adOpenStatic, ado::adLockReadOnly, {name, id});
            if (rs->isOpen()) readSome(*rs);
        } catch (const ado::AdoError& error) {
            ADD_FAILURE() << error.what() << " for: " << statement;
        }
        conn->rollbackTrans();
    }
}

}  // namespace
}  // namespace tabulon::testing
