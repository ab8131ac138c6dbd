// Carrying 100,000 rows over into a regenerated site database (read the old file,
// convert, write the new one) against writing the same rows fresh.
// The target: Carry below twice WriteFresh.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/every_type_rows.h"
#include "generator/database/data_carry.h"
#include "jet/database.h"
#include "jet/table_data.h"

namespace {

using namespace tabulon::jet;

constexpr int kRows = 100000;

const TableDefinition kLedger{"流水", tabulon::bench::everyTypeColumns()};

Database freshDatabase() {
    Database db = Database::createEmpty();
    db.setCreationTime({2024, 1, 1, 0, 0, 0});
    db.createTable(kLedger);
    return db;
}

const std::string& oldFile() {
    static const std::string bytes = [] {
        Database db = freshDatabase();
        for (int i = 1; i <= kRows; ++i) db.insertValues("流水", tabulon::bench::everyTypeValues(i));
        return db.bytes();
    }();
    return bytes;
}

void WriteFresh(benchmark::State& state) {
    for (auto _ : state) {
        Database db = freshDatabase();
        for (int i = 1; i <= kRows; ++i) db.insertValues("流水", tabulon::bench::everyTypeValues(i));
        benchmark::DoNotOptimize(db.bytes().size());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(WriteFresh)->Unit(benchmark::kMillisecond);

void Carry(benchmark::State& state) {
    const std::string& file = oldFile();
    for (auto _ : state) {
        Database db = freshDatabase();
        const auto report = tabulon::generator::carryRows(readFileData(file), db);
        benchmark::DoNotOptimize(db.bytes().size());
        if (report.rowsCarried() != kRows) state.SkipWithError("rows were lost");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(Carry)->Unit(benchmark::kMillisecond);

void ReadOnly(benchmark::State& state) {
    const std::string& file = oldFile();
    for (auto _ : state) benchmark::DoNotOptimize(readFileData(file).tables.size());
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(ReadOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
