// Page generation speed on a synthetic project of 500 tables with 30 fields each,
// compared with plain file writes of the same bytes. The whole build is in build_bench.cpp.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "base/file_output.h"
#include "catalogue/snapshot.h"
#include "bench/synthetic_project.h"
#include "generator/driver.h"

namespace {

using namespace tabulon;
namespace fs = std::filesystem;

generator::GenerationRequest requestFor(const catalogue::Snapshot& model, std::vector<generator::PageKindId> kinds) {
    generator::GenerationRequest request{1, {}, std::move(kinds), false};
    for (const auto* table : model.tablesOf(1)) request.tableIds.push_back(table->id);
    return request;
}

const catalogue::Snapshot& model() { return bench::syntheticProject(); }

std::string readBack(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void report(benchmark::State& state, std::size_t pages, std::size_t bytes) {
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB/s"] =
        benchmark::Counter(static_cast<double>(bytes) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

std::vector<generator::PageKindId> kindsArg(const benchmark::State& state) {
    if (state.range(0) == 0) return {generator::PageKindId::Add};
    std::vector<generator::PageKindId> all;
    for (const auto& kind : generator::pageKinds()) all.push_back(kind.id);
    return all;
}

// Generation and GBK encoding only, files kept in memory.
void generateInMemory(benchmark::State& state, const generator::GenerationRequest& request) {
    std::size_t pages = 0, bytes = 0;
    for (auto _ : state) {
        generator::MemorySink sink;
        SilentMessages messages;
        generator::generatePages(model(), "/bench", request, sink, messages);
        pages = sink.files().size();
        bytes = 0;
        for (const auto& file : sink.files()) bytes += file.bytes.size();
        benchmark::DoNotOptimize(sink);
    }
    report(state, pages, bytes);
}

// Second argument: page threads (1, or 0 for one per core).
void GenerateInMemory(benchmark::State& state) {
    auto request = requestFor(model(), kindsArg(state));
    request.threads = static_cast<unsigned>(state.range(1));
    generateInMemory(state, request);
}

// The whole run as users see it: generation plus atomic writes into the site folder.
// Argument 1 selects a fresh, empty site folder for every run (the first generation);
// otherwise the run regenerates over the pages of the previous one.
void GenerateToFiles(benchmark::State& state) {
    const fs::path run = fs::temp_directory_path() / "tabulon-bench-files";
    const bool fresh = state.range(1) == 1;
    const auto request = requestFor(model(), kindsArg(state));
    std::size_t pages = 0;
    fs::remove_all(run);
    for (auto _ : state) {
        if (fresh) {
            state.PauseTiming();
            fs::remove_all(run);
            state.ResumeTiming();
        }
        generator::FileSink sink;
        SilentMessages messages;
        pages = generator::generatePages(model(), run, request, sink, messages).written.size();
    }
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsIterationInvariantRate);
    fs::remove_all(run);
}

// The baseline: the same bytes written with plain std::ofstream, no generation, into a
// fresh folder (argument 1) or over the files of the previous run.
void PlainWrites(benchmark::State& state) {
    const auto request = requestFor(model(), kindsArg(state));
    generator::MemorySink generated;
    SilentMessages messages;
    generator::generatePages(model(), "/bench", request, generated, messages);
    const fs::path folder = fs::temp_directory_path() / "tabulon-bench-plain";
    const bool fresh = state.range(1) == 1;
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::size_t bytes = 0;
    for (auto _ : state) {
        if (fresh) {
            state.PauseTiming();
            fs::remove_all(folder);
            fs::create_directories(folder);
            state.ResumeTiming();
        }
        bytes = 0;
        for (const auto& file : generated.files()) {
            std::ofstream out(folder / file.path.filename(), std::ios::binary | std::ios::trunc);
            out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
            bytes += file.bytes.size();
        }
    }
    report(state, generated.files().size(), bytes);
    fs::remove_all(folder);
}

// The same bytes through the atomic writer (temporary file + rename) over existing files.
void AtomicWrites(benchmark::State& state) {
    const auto request = requestFor(model(), kindsArg(state));
    generator::MemorySink generated;
    SilentMessages messages;
    generator::generatePages(model(), "/bench", request, generated, messages);
    const fs::path folder = fs::temp_directory_path() / "tabulon-bench-atomic";
    fs::create_directories(folder);
    for (auto _ : state)
        for (const auto& file : generated.files()) writeFileAtomically(folder / file.path.filename(), file.bytes);
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(generated.files().size()),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    fs::remove_all(folder);
}

// One page kind alone (argument: its place in the kind table, 0 add … 4 display), in memory:
// how the kinds compare with each other.
void GenerateKindInMemory(benchmark::State& state) {
    const auto& kind = generator::pageKinds().at(static_cast<std::size_t>(state.range(0)));
    state.SetLabel(std::string(kind.name));
    generateInMemory(state, requestFor(model(), {kind.id}));
}

// All five kinds regenerated over their files, next to plain std::ofstream writes of the
// same bytes over the same files, timed in the same iteration so both meet the same disk:
// "vs plain" is how many times longer generating and writing takes than writing alone.
void GenerateToFilesVersusPlainWrites(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const fs::path run = fs::temp_directory_path() / "tabulon-bench-ratio";
    const auto request = requestFor(model(), kindsArg(state));
    fs::remove_all(run);
    generator::FileSink firstRun;
    SilentMessages messages;
    std::vector<generator::MemorySink::File> files;
    for (const auto& path : generator::generatePages(model(), run, request, firstRun, messages).written)
        files.push_back({path, readBack(path)});

    double generating = 0, plain = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        generator::FileSink sink;
        generator::generatePages(model(), run, request, sink, messages);
        const auto generated = Clock::now();
        for (const auto& file : files) {
            std::ofstream out(file.path, std::ios::binary | std::ios::trunc);
            out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
        }
        const auto end = Clock::now();
        generating += std::chrono::duration<double>(generated - start).count();
        plain += std::chrono::duration<double>(end - generated).count();
        state.SetIterationTime(std::chrono::duration<double>(generated - start).count());
    }
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(files.size()) * state.iterations() / generating);
    state.counters["plain pages/s"] =
        benchmark::Counter(static_cast<double>(files.size()) * state.iterations() / plain);
    state.counters["vs plain"] = generating / plain;
    fs::remove_all(run);
}

// First argument 0: add pages only; 1: every page kind that has a generator.
BENCHMARK(GenerateInMemory)->ArgsProduct({{0, 1}, {1, 0}})->Unit(benchmark::kMillisecond);
BENCHMARK(GenerateToFiles)->ArgsProduct({{0, 1}, {1, 0}})->Unit(benchmark::kMillisecond);
BENCHMARK(PlainWrites)->ArgsProduct({{0, 1}, {1, 0}})->Unit(benchmark::kMillisecond);
BENCHMARK(AtomicWrites)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(GenerateKindInMemory)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(GenerateToFilesVersusPlainWrites)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
