// Jet writer speed: a 200-table site database, and 100,000 rows in one table.
// Set TABULON_JET_BENCH_OUT to a folder to keep the files (for timing readers).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/every_type_rows.h"
#include "jet/database.h"

namespace {

using namespace tabulon::jet;

TableDefinition siteTable(int n) { return {"表" + std::to_string(n), tabulon::bench::everyTypeColumns()}; }

std::vector<std::pair<std::string, Value>> row(int i) {
    static const std::vector<Column> columns = tabulon::bench::everyTypeColumns();
    std::vector<Value> values = tabulon::bench::everyTypeValues(i);
    std::vector<std::pair<std::string, Value>> named;
    named.reserve(values.size());
    for (std::size_t c = 0; c < values.size(); ++c) named.emplace_back(columns[c].name, std::move(values[c]));
    return named;
}

Database twoHundredTables() {
    Database db = Database::createEmpty();
    for (int t = 0; t < 200; ++t) db.createTable(siteTable(t));
    return db;
}

Database hundredThousandRows() {
    Database db = Database::createEmpty();
    db.createTable(siteTable(0));
    for (int i = 1; i <= 100000; ++i) db.insert("表0", row(i));
    return db;
}

void keep(const Database& db, const char* name) {
    if (const char* folder = std::getenv("TABULON_JET_BENCH_OUT")) db.save(std::filesystem::path(folder) / name);
}

void BM_Create200Tables(benchmark::State& state) {
    std::size_t size = 0;
    for (auto _ : state) {
        size = twoHundredTables().bytes().size();
        benchmark::DoNotOptimize(size);
    }
    state.counters["file_bytes"] = static_cast<double>(size);
    keep(twoHundredTables(), "tables200.mdb");
}
BENCHMARK(BM_Create200Tables)->Unit(benchmark::kMillisecond);

void BM_Insert100000Rows(benchmark::State& state) {
    std::size_t size = 0;
    for (auto _ : state) {
        size = hundredThousandRows().bytes().size();
        benchmark::DoNotOptimize(size);
    }
    keep(hundredThousandRows(), "rows100000.mdb");
    state.counters["file_bytes"] = static_cast<double>(size);
    state.counters["rows_per_s"] =
        benchmark::Counter(100000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Insert100000Rows)->Unit(benchmark::kMillisecond);

// The same rows, written file excluded: shows what insert costs alone.
void BM_Insert100000RowsWithoutWriting(benchmark::State& state) {
    for (auto _ : state) {
        Database db = Database::createEmpty();
        db.createTable(siteTable(0));
        for (int i = 1; i <= 100000; ++i) db.insert("表0", row(i));
        benchmark::DoNotOptimize(db);
    }
}
BENCHMARK(BM_Insert100000RowsWithoutWriting)->Unit(benchmark::kMillisecond);

// Scaling check: time per row must stay flat as the table grows.
void BM_InsertRows(benchmark::State& state) {
    const auto rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Database db = Database::createEmpty();
        db.createTable(siteTable(0));
        for (int i = 1; i <= rows; ++i) db.insert("表0", row(i));
        benchmark::DoNotOptimize(db.bytes().size());
    }
    state.SetComplexityN(rows);
}
BENCHMARK(BM_InsertRows)->RangeMultiplier(4)->Range(1 << 10, 1 << 18)->Unit(benchmark::kMillisecond)->Complexity();

void BM_Reopen100000Rows(benchmark::State& state) {
    const std::string bytes = hundredThousandRows().bytes();
    for (auto _ : state) {
        Database db = Database::fromBytes(bytes);
        db.insert("表0", row(0));
        benchmark::DoNotOptimize(db.bytes().size());
    }
}
BENCHMARK(BM_Reopen100000Rows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
