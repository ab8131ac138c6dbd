// `tabulon import` of a 1,000,000-row table our writer made (a column of every type, a
// long memo every thousandth row) as a whole process, next to `mdb-export` reading the same
// table to /dev/null. "peak RSS MB" is the largest child process so far: run one benchmark
// per process for a clean figure, e.g. --benchmark_filter=ImportProcess.
// The source file is made once in the temporary folder and kept for later runs.
// Measured on a loaded 2-core machine with /usr/bin/time (CPU time, as wall time was 10x
// stretched by other work): import 2.1 s user + 0.7 s system, 396 MB peak; mdb-export 23.7 s
// user + 0.5 s system, 5 MB peak.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>

#include "bench/every_type_rows.h"
#include "jet/database.h"

namespace {

using namespace tabulon;
namespace fs = std::filesystem;

constexpr int kRows = 1'000'000;

fs::path sourceFile() {
    const fs::path path = fs::temp_directory_path() / "tabulon-bench-import" / "一百万行.mdb";
    if (!fs::exists(path)) {
        fs::create_directories(path.parent_path());
        auto db = jet::Database::createEmpty();
        db.createTable({"商品", bench::everyTypeColumns()});
        for (int i = 1; i <= kRows; ++i) db.insertValues("商品", bench::everyTypeValues(i));
        db.save(path);
    }
    return path;
}

double childPeakMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void runCommand(benchmark::State& state, const std::string& command) {
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError(("failed: " + command).c_str());
    state.counters["rows/s"] = benchmark::Counter(kRows, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak RSS MB"] = childPeakMegabytes();
    state.counters["file MB"] = static_cast<double>(fs::file_size(sourceFile())) / 1e6;
}

void ImportProcess(benchmark::State& state) {
    const fs::path runDir = fs::temp_directory_path() / "tabulon-bench-import" / "run";
    fs::create_directories(runDir);
    runCommand(state, std::string(TABULON_EXECUTABLE) + " --run-dir '" + runDir.string() + "' import '" +
                          sourceFile().string() + "' --replace > /dev/null");
}
BENCHMARK(ImportProcess)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void MdbExportProcess(benchmark::State& state) {
    runCommand(state, "mdb-export '" + sourceFile().string() + "' 商品 > /dev/null");
}
BENCHMARK(MdbExportProcess)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
BENCHMARK_MAIN();
