// The whole site build (skeleton, database, every page of every table, login) of the
// synthetic 500-table project into a fresh run folder, next to plain writes of the same
// bytes from memory into a fresh folder. Argument: build threads (1, or 0 for one per core).
// "peak RSS MB" is the process's peak so far: run one benchmark per process for a clean
// figure, e.g. --benchmark_filter='BuildToFreshFolder/0$'.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "bench/synthetic_project.h"
#include "generator/build/site_build.h"
#include "generator/database/database_generator.h"
#include "generator/driver.h"
#include "generator/login/login_generator.h"
#include "generator/skeleton/skeleton_release.h"

namespace {

using namespace tabulon;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

generator::BuildResult buildSite(const fs::path& runDir, unsigned threads, generator::SiteSink& sink) {
    const auto& model = bench::syntheticProject();
    generator::SkeletonStep skeleton;
    generator::DatabaseStep database;
    generator::PagesStep pagesStep(generator::PagesStep::everyPage(model, bench::kProjectId));
    generator::LoginStep login;
    generator::BuildStep* const steps[] = {&skeleton, &database, &pagesStep, &login};
    SilentMessages messages;
    return generator::runBuild(model, runDir, bench::kProjectId, steps, sink, messages, {}, threads);
}

// The final bytes of every file of the build, by path relative to the run folder.
const std::map<fs::path, std::string>& finalFiles() {
    static const auto files = [] {
        const fs::path runDir = fs::temp_directory_path() / "tabulon-bench-memory";
        fs::create_directories(runDir);
        generator::MemorySink sink;
        buildSite(runDir, 0, sink);
        std::map<fs::path, std::string> last;
        for (const auto& file : sink.files()) last[file.path.lexically_relative(runDir)] = file.bytes;
        fs::remove_all(runDir);
        return last;
    }();
    return files;
}

void freshFolder(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

// Plain POSIX writes of bytes already in memory, with the folders they need.
void writePlainly(const fs::path& runDir) {
    fs::path lastFolder;
    for (const auto& [relative, bytes] : finalFiles()) {
        const fs::path path = runDir / relative;
        if (path.parent_path() != lastFolder) {
            lastFolder = path.parent_path();
            fs::create_directories(lastFolder);
        }
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || ::close(fd) != 0)
            throw std::runtime_error("plain write failed: " + path.string());
    }
}

double peakRssMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Reports the site's size; the peak RSS is taken first, before the site is built in memory
// for that.
void reportSize(benchmark::State& state) {
    state.counters["peak RSS MB"] = peakRssMegabytes();
    std::size_t bytes = 0;
    for (const auto& [path, content] : finalFiles()) bytes += content.size();
    state.counters["files"] = static_cast<double>(finalFiles().size());
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

// The build as `tabulon build` runs it, into a fresh run folder.
void BuildToFreshFolder(benchmark::State& state) {
    const fs::path runDir = fs::temp_directory_path() / "tabulon-bench-build";
    const auto threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        freshFolder(runDir);
        state.ResumeTiming();
        generator::FileSink sink;
        const auto result = buildSite(runDir, threads, sink);
        if (!result.succeeded()) state.SkipWithError("the build reported problems");
    }
    // What the last build wrote, counted on disk: the in-memory copy of the site other
    // benchmarks keep would show in the peak RSS of this one.
    state.counters["peak RSS MB"] = peakRssMegabytes();
    std::size_t files = 0, bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(runDir))
        if (entry.is_regular_file()) {
            ++files;
            bytes += entry.file_size();
        }
    state.counters["files"] = static_cast<double>(files);
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    fs::remove_all(runDir);
}

// The build in memory only: generation and encoding, no disk.
void BuildInMemory(benchmark::State& state) {
    const fs::path runDir = fs::temp_directory_path() / "tabulon-bench-memory-run";
    fs::create_directories(runDir);
    const auto threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state) {
        generator::MemorySink sink;
        buildSite(runDir, threads, sink);
        benchmark::DoNotOptimize(sink);
    }
    reportSize(state);
    fs::remove_all(runDir);
}

// The baseline alone: the same bytes written plainly from memory into a fresh folder.
void PlainWritesOfTheSite(benchmark::State& state) {
    const fs::path folder = fs::temp_directory_path() / "tabulon-bench-plain-site";
    finalFiles();
    for (auto _ : state) {
        state.PauseTiming();
        freshFolder(folder);
        state.ResumeTiming();
        writePlainly(folder);
    }
    reportSize(state);
    fs::remove_all(folder);
}

// Both in one iteration, so that they meet the same disk: "vs plain" is how many times
// longer the build takes than writing its bytes.
void BuildVersusPlainWrites(benchmark::State& state) {
    const fs::path runDir = fs::temp_directory_path() / "tabulon-bench-versus-build";
    const fs::path plainDir = fs::temp_directory_path() / "tabulon-bench-versus-plain";
    const auto threads = static_cast<unsigned>(state.range(0));
    finalFiles();
    double building = 0, plain = 0;
    for (auto _ : state) {
        freshFolder(runDir);
        freshFolder(plainDir);
        const auto start = Clock::now();
        generator::FileSink sink;
        buildSite(runDir, threads, sink);
        const auto built = Clock::now();
        writePlainly(plainDir);
        const auto end = Clock::now();
        building += std::chrono::duration<double>(built - start).count();
        plain += std::chrono::duration<double>(end - built).count();
        state.SetIterationTime(std::chrono::duration<double>(built - start).count());
    }
    state.counters["build s"] = building / static_cast<double>(state.iterations());
    state.counters["plain s"] = plain / static_cast<double>(state.iterations());
    state.counters["vs plain"] = building / plain;
    reportSize(state);
    fs::remove_all(runDir);
    fs::remove_all(plainDir);
}

// The site's final bytes stored through the disk sink (each file whole: a temporary name,
// then rename) next to plain writes of the same bytes: what whole files cost by themselves.
void SinkVersusPlainWrites(benchmark::State& state) {
    const fs::path sinkDir = fs::temp_directory_path() / "tabulon-bench-sink";
    const fs::path plainDir = fs::temp_directory_path() / "tabulon-bench-sink-plain";
    finalFiles();
    double sinking = 0, plain = 0;
    for (auto _ : state) {
        freshFolder(sinkDir);
        freshFolder(plainDir);
        const auto start = Clock::now();
        generator::FileSink sink;
        fs::path lastFolder;
        for (const auto& [relative, bytes] : finalFiles()) {
            const fs::path path = sinkDir / relative;
            if (path.parent_path() != lastFolder) {
                lastFolder = path.parent_path();
                sink.makeFolders(lastFolder);
            }
            sink.writeBytes(path, bytes);
        }
        const auto stored = Clock::now();
        writePlainly(plainDir);
        const auto end = Clock::now();
        sinking += std::chrono::duration<double>(stored - start).count();
        plain += std::chrono::duration<double>(end - stored).count();
        state.SetIterationTime(std::chrono::duration<double>(stored - start).count());
    }
    state.counters["sink s"] = sinking / static_cast<double>(state.iterations());
    state.counters["plain s"] = plain / static_cast<double>(state.iterations());
    state.counters["vs plain"] = sinking / plain;
    fs::remove_all(sinkDir);
    fs::remove_all(plainDir);
}

// One step of the build alone, in memory: where the build's time goes.
// Argument: 0 skeleton, 1 database, 2 pages (single-threaded), 3 login.
void OneStepInMemory(benchmark::State& state) {
    const fs::path runDir = fs::temp_directory_path() / "tabulon-bench-step";
    fs::create_directories(runDir);
    const auto& model = bench::syntheticProject();
    generator::SkeletonStep skeleton;
    generator::DatabaseStep database;
    generator::PagesStep pagesStep(generator::PagesStep::everyPage(model, bench::kProjectId));
    generator::LoginStep login;
    generator::BuildStep* const all[] = {&skeleton, &database, &pagesStep, &login};
    generator::BuildStep* const steps[] = {all[state.range(0)]};
    for (auto _ : state) {
        generator::MemorySink sink;
        SilentMessages messages;
        generator::runBuild(model, runDir, bench::kProjectId, steps, sink, messages, {}, 1);
        benchmark::DoNotOptimize(sink);
    }
    fs::remove_all(runDir);
}

BENCHMARK(OneStepInMemory)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildToFreshFolder)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildInMemory)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainWritesOfTheSite)->Unit(benchmark::kMillisecond);
BENCHMARK(SinkVersusPlainWrites)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildVersusPlainWrites)->Arg(1)->Arg(0)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
