// Jet writer speed: a 200-table site database, and 100,000 rows in one table.
// Set TABULON_JET_BENCH_OUT to a folder to keep the files (for timing readers).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "jet/database.h"

namespace {

using namespace tabulon::jet;

TableDefinition siteTable(int n) {
  return {"表" + std::to_string(n),
          {{"名称", ColumnType::Text},
           {"编号", ColumnType::Long},
           {"序号", ColumnType::Short},
           {"单价", ColumnType::Double},
           {"比率", ColumnType::Single},
           {"等级", ColumnType::Byte},
           {"金额", ColumnType::Numeric},
           {"日期", ColumnType::DateTime},
           {"备注", ColumnType::Memo},
           {"启用", ColumnType::Boolean}}};
}

std::vector<std::pair<std::string, Value>> row(int i) {
  return {{"名称", "商品" + std::to_string(i)},
          {"编号", std::int64_t{i}},
          {"序号", std::int64_t{i % 30000}},
          {"单价", i * 0.25},
          {"比率", 0.5},
          {"等级", std::int64_t{i % 256}},
          {"金额", std::to_string(i % 10000) + ".50"},
          {"日期", DateTime{2024, 1 + i % 12, 1 + i % 28, i % 24, i % 60, i % 60}},
          // Mostly short notes; every thousandth one longer than a page.
          {"备注", i % 1000 == 0 ? std::string(6000, 'N') : "备注" + std::to_string(i)},
          {"启用", i % 2 == 0}};
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
  state.counters["rows_per_s"] = benchmark::Counter(100000.0 * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
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
