// `tabulon import` of a 1,000,000-row table our writer made (a column of every type, a
// long memo every thousandth row) as a whole process, then the build of the imported site's
// database (`tabulon database`, which reads the imported rows back and writes the file
// again), next to `mdb-export` reading the same table to /dev/null. "peak RSS MB" is the
// largest child process so far: run one benchmark per process for a clean figure, e.g.
// --benchmark_filter=ImportProcess. bench/import_vs_mdb_export.sh gives the same figures for
// the reference files too.
// The source file is made once in the temporary folder and kept for later runs.
// Measured on a loaded 2-core machine (wall time, one run each; see the script's table):
// import 3.2 s and 387 MB peak before the writer wrote through a page cache, 1.7 s user and
// 51 MB after; database step 1,102 MB before, 197 MB after (of which 130 MB are the old
// file's bytes); mdb-export 24-34 s, 5 MB.
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

void DatabaseProcess(benchmark::State& state) {
    const fs::path runDir = fs::temp_directory_path() / "tabulon-bench-import" / "run";
    const std::string program = std::string(TABULON_EXECUTABLE) + " --run-dir '" + runDir.string() + "' ";
    if (!fs::exists(runDir / sourceFile().stem() / "data" / "data.mdb")) {
        fs::create_directories(runDir);
        if (std::system((program + "import '" + sourceFile().string() + "' --replace > /dev/null").c_str()) != 0)
            state.SkipWithError("the import before the database step failed");
    }
    runCommand(state, program + "database '" + sourceFile().stem().string() + "' > /dev/null");
}
BENCHMARK(DatabaseProcess)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void MdbExportProcess(benchmark::State& state) {
    runCommand(state, "mdb-export '" + sourceFile().string() + "' 商品 > /dev/null");
}
BENCHMARK(MdbExportProcess)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
BENCHMARK_MAIN();
