// The preview's list page over a 10,000-row table: opening the page's query with a static
// cursor and moving to the middle page, alone and with the per-row linked look-up.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "jet/database.h"
#include "preview/ado/ado.h"
#include "preview/workcopy/seed.h"
#include "tests/support/temp_folder.h"

namespace {

namespace ado = tabulon::preview::ado;

constexpr int kRows = 10000;
constexpr int kPageSize = 15;

// One working copy for every benchmark of the run.
const std::string& workingCopy() {
    static tabulon::testing::TempFolder folder;
    static const std::string path = [] {
        auto db = tabulon::jet::Database::createEmpty();
        db.execute("create Table 收支([id] Counter PRIMARY KEY,[一级分类]  VarChar(50))");
        db.execute(
            "create Table 流水帐([id] Counter PRIMARY KEY,[收支]  integer,[名称]  VarChar(50),[金额]  real,"
            "[日期]  datetime)");
        for (int i = 1; i <= 10; ++i) db.insert("收支", {{"一级分类", "分类" + std::to_string(i)}});
        for (int i = 1; i <= kRows; ++i) {
            db.insert("流水帐", {{"收支", std::int64_t{i % 10 + 1}},
                                 {"名称", "第" + std::to_string(i) + "笔"},
                                 {"金额", i * 1.5},
                                 {"日期", tabulon::jet::DateTime{2024, 1 + i % 12, 1 + i % 28, 0, 0, 0}}});
        }
        db.save(folder.path() / "data.mdb");
        const auto copy = folder.path() / "data.sqlite";
        tabulon::preview::seedWorkingCopy(folder.path() / "data.mdb", copy);
        return copy.string();
    }();
    return path;
}

// Walks one list page as the generated page does; returns the number of rows shown.
int showMiddlePage(ado::Connection& conn, bool withLookUps) {
    auto rs = conn.open("select * from 流水帐 where 1 order by id desc", ado::adOpenStatic, ado::adLockReadOnly);
    rs->setPageSize(kPageSize);
    const long pages = rs->pageCount();
    benchmark::DoNotOptimize(rs->recordCount());
    rs->setAbsolutePage(pages / 2);
    int shown = 0;
    for (; !rs->eof() && shown < rs->pageSize(); ++shown, rs->moveNext()) {
        for (int field = 0; field < static_cast<int>(rs->fields().size()); ++field) {
            benchmark::DoNotOptimize(rs->value(field));
        }
        if (withLookUps) {
            const auto link = rs->value(rs->fieldIndex("收支")).integer;
            auto lookUp = conn.open("select id,一级分类 from 收支 where id=" + std::to_string(link), ado::adOpenStatic,
                                    ado::adLockReadOnly);
            if (!lookUp->eof()) benchmark::DoNotOptimize(lookUp->value(1));
            lookUp->close();
        }
    }
    return shown;
}

void BM_ListPageMiddle(benchmark::State& state) {
    auto conn = ado::openWorkingCopy(workingCopy());
    for (auto _ : state) {
        if (showMiddlePage(*conn, false) != kPageSize) state.SkipWithError("short page");
    }
}
BENCHMARK(BM_ListPageMiddle)->Unit(benchmark::kMillisecond);

void BM_ListPageMiddleWithLookUps(benchmark::State& state) {
    auto conn = ado::openWorkingCopy(workingCopy());
    for (auto _ : state) {
        if (showMiddlePage(*conn, true) != kPageSize) state.SkipWithError("short page");
    }
}
BENCHMARK(BM_ListPageMiddleWithLookUps)->Unit(benchmark::kMillisecond);

void BM_LinkedLookUp(benchmark::State& state) {
    auto conn = ado::openWorkingCopy(workingCopy());
    int id = 0;
    for (auto _ : state) {
        auto rs = conn->open("select id,一级分类 from 收支 where id=" + std::to_string(id++ % 10 + 1),
                             ado::adOpenStatic, ado::adLockReadOnly);
        benchmark::DoNotOptimize(rs->value(1));
    }
}
BENCHMARK(BM_LinkedLookUp)->Unit(benchmark::kMicrosecond);

void BM_OpenConnection(benchmark::State& state) {
    workingCopy();
    for (auto _ : state) benchmark::DoNotOptimize(ado::openWorkingCopy(workingCopy()));
}
BENCHMARK(BM_OpenConnection)->Unit(benchmark::kMicrosecond);

// A page that runs 70 statements on one connection, as a report or batch page does: look-ups,
// a total, inserts, updates and deletes of its own rows (so every run does the same work).
void BM_SeventyStatementPage(benchmark::State& state) {
    workingCopy();
    int run = 0;
    for (auto _ : state) {
        auto conn = ado::openWorkingCopy(workingCopy());
        const std::string mark = "页" + std::to_string(run++);
        // 20 inserts, 29 reads, 21 updates and deletes.
        for (int i = 0; i < 20; ++i) {
            conn->execute("insert into 流水帐 (收支, 名称, 金额, 日期) values (" + std::to_string(i % 10 + 1) + ", '" +
                          mark + "', " + std::to_string(i) + ".5, #2024-05-06#)");
        }
        for (int i = 0; i < 24; ++i) {
            auto rs = conn->open("select id,一级分类 from 收支 where id=" + std::to_string(i % 10 + 1),
                                 ado::adOpenForwardOnly, ado::adLockReadOnly);
            benchmark::DoNotOptimize(rs->value(1));
        }
        auto newest = conn->open("select max(id) from 流水帐", ado::adOpenForwardOnly, ado::adLockReadOnly);
        const long last = static_cast<long>(newest->value(0).integer);
        for (int i = 0; i < 4; ++i) {
            auto rs = conn->open("select count(*), sum(金额) from 流水帐 where id > " + std::to_string(last - 20),
                                 ado::adOpenForwardOnly, ado::adLockReadOnly);
            benchmark::DoNotOptimize(rs->value(1));
        }
        for (long id = last - 19; id <= last - 10; ++id) {
            conn->execute("update 流水帐 set 金额 = 金额 + 1, 名称 = '改' where id = " + std::to_string(id));
        }
        conn->execute("delete from 流水帐 where id > " + std::to_string(last - 20) +
                      " and id <= " + std::to_string(last - 10));
        for (long id = last - 9; id <= last; ++id) conn->execute("delete from 流水帐 where id = " + std::to_string(id));
    }
}
BENCHMARK(BM_SeventyStatementPage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
