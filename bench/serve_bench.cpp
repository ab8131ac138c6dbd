// Seconds from `tabulon serve` to the first page (the login page through Wine and the ASP
// host), with the preview's Wine prefix already made, with a new one, and with a new one
// made by `tabulon prepare-preview` beforehand (as the window does when it opens). Needs wine and
// build/preview/host/asphost.exe; skipped otherwise. The new-prefix case makes a prefix
// of ~700 MB in a temporary folder and removes it afterwards.
#include <benchmark/benchmark.h>

#include <csignal>
#include <fstream>
#include <random>
#include <thread>

#include "preview/server/child_process.h"
#include "preview/server/http_response.h"
#include "preview/server/socket_io.h"
#include "preview/server/wine.h"

namespace {

namespace fs = std::filesystem;
using namespace tabulon::preview;
using namespace std::chrono_literals;

fs::path freshFolder(const std::string& stem) {
    std::random_device random;
    auto folder = fs::temp_directory_path() / (stem + std::to_string(random()));
    fs::create_directories(folder);
    return folder;
}

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool runToEnd(std::vector<std::string> argv, const std::vector<std::string>& environment) {
    ProcessSpec spec;
    spec.argv = std::move(argv);
    spec.environment = environment;
    return waitForExit(startProcess(spec), 120s) == 0;
}

// Starts serve on a built site and returns once "/" answers 200; false on any failure.
bool serveUntilFirstPage(const fs::path& runDir, const std::vector<std::string>& environment, pid_t& serve) {
    ProcessSpec spec;
    spec.argv = {TABULON_EXECUTABLE, "--run-dir", runDir.string(), "serve", "记账", "--no-browser"};
    spec.environment = environment;
    spec.output = runDir / "serve.out";
    serve = startProcess(spec);
    const auto deadline = Clock::now() + 300s;
    std::uint16_t port = 0;
    while (!port && Clock::now() < deadline && isRunning(serve)) {
        const auto text = readAll(spec.output);
        const auto at = text.find("\nhttp://127.0.0.1:");
        if (at != std::string::npos && text.find("/\n", at) != std::string::npos)
            port = static_cast<std::uint16_t>(std::stoi(text.substr(at + 18)));
        else
            std::this_thread::sleep_for(5ms);
    }
    if (!port) return false;
    auto socket = connectToLoopback(port, Clock::now() + 10s);
    if (!socket) return false;
    std::string answer;
    sendAll(socket->fd(), "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", Clock::now() + 10s);
    readUntilClosed(socket->fd(), answer, Clock::now() + 60s, 1 << 24);
    const auto response = parseResponse(answer);
    return response && response->status == 200;
}

void stopServe(pid_t serve) {
    kill(serve, SIGINT);
    if (!waitForExit(serve, 20s)) killProcessGroup(serve);
}

bool previewAvailable(benchmark::State& state) {
    const auto host = fs::path(TABULON_EXECUTABLE).parent_path() / "preview" / "host" / "asphost.exe";
    if (findWine(variable(currentEnvironment(), "PATH").value_or("")) && fs::exists(host)) return true;
    state.SkipWithError("needs wine on PATH and build/preview/host/asphost.exe");
    return false;
}

enum class Prefix { Existing, New, PreparedByTheWindow };

void ServeToFirstPage(benchmark::State& state, Prefix kind) {
    const bool newPrefix = kind != Prefix::Existing;
    if (!previewAvailable(state)) return;
    auto environment = currentEnvironment();
    setVariable(environment, "TABULON_PREVIEW_HOST", std::nullopt);
    const auto run = freshFolder("tabulon-serve-bench-");
    if (!runToEnd({TABULON_EXECUTABLE, "--run-dir", run.string(), "build", "记账"}, environment)) {
        state.SkipWithError("tabulon build failed");
        return;
    }
    pid_t serve = -1;
    if (!newPrefix && !(serveUntilFirstPage(run, environment, serve))) {  // makes the prefix if needed
        state.SkipWithError("serve did not answer");
        return;
    }
    if (!newPrefix) stopServe(serve);

    for (auto _ : state) {
        state.PauseTiming();
        fs::path cache;
        auto env = environment;
        if (newPrefix) {
            cache = freshFolder("tabulon-serve-bench-cache-");
            setVariable(env, "XDG_CACHE_HOME", cache.string());
        }
        // As when the window opened a while before the preview button was pressed.
        if (kind == Prefix::PreparedByTheWindow)
            runToEnd({TABULON_EXECUTABLE, "--run-dir", run.string(), "prepare-preview"}, env);
        state.ResumeTiming();
        const bool answered = serveUntilFirstPage(run, env, serve);
        state.PauseTiming();
        stopServe(serve);
        if (newPrefix) {
            const auto prefix = previewPrefix(env);
            if (const auto wine = findWine(variable(env, "PATH").value_or("")))
                runToEnd({wine->wineserver.string(), "-k"}, wineEnvironment(env, prefix));
            fs::remove_all(cache);
        }
        state.ResumeTiming();
        if (!answered) {
            state.SkipWithError("serve did not answer");
            break;
        }
    }
    fs::remove_all(run);
}

void BM_ServeToFirstPage_ExistingPrefix(benchmark::State& state) { ServeToFirstPage(state, Prefix::Existing); }
void BM_ServeToFirstPage_NewPrefix(benchmark::State& state) { ServeToFirstPage(state, Prefix::New); }
void BM_ServeToFirstPage_NewPrefixPreparedByTheWindow(benchmark::State& state) {
    ServeToFirstPage(state, Prefix::PreparedByTheWindow);
}

BENCHMARK(BM_ServeToFirstPage_ExistingPrefix)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ServeToFirstPage_NewPrefix)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ServeToFirstPage_NewPrefixPreparedByTheWindow)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
