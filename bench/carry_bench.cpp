// Carrying 100,000 rows over into a regenerated site database (read the old file,
// convert, write the new one) against writing the same rows fresh.
// The target: Carry below twice WriteFresh.
#include <benchmark/benchmark.h>

#include <string>

#include "generator/database/data_carry.h"
#include "jet/database.h"
#include "jet/table_data.h"

namespace {

using namespace tabulon::jet;

constexpr int kRows = 100000;

const TableDefinition kLedger{"流水",
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

std::vector<Value> values(int i) {
  return {"商品" + std::to_string(i),
          std::int64_t{i},
          std::int64_t{i % 30000},
          i * 0.25,
          0.5,
          std::int64_t{i % 256},
          std::to_string(i % 10000) + ".50",
          DateTime{2024, 1 + i % 12, 1 + i % 28, i % 24, i % 60, i % 60},
          i % 1000 == 0 ? std::string(6000, 'N') : "备注" + std::to_string(i),
          i % 2 == 0};
}

Database freshDatabase() {
  Database db = Database::createEmpty();
  db.setCreationTime({2024, 1, 1, 0, 0, 0});
  db.createTable(kLedger);
  return db;
}

const std::string& oldFile() {
  static const std::string bytes = [] {
    Database db = freshDatabase();
    for (int i = 1; i <= kRows; ++i) db.insertValues("流水", values(i));
    return db.bytes();
  }();
  return bytes;
}

void WriteFresh(benchmark::State& state) {
  for (auto _ : state) {
    Database db = freshDatabase();
    for (int i = 1; i <= kRows; ++i) db.insertValues("流水", values(i));
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
