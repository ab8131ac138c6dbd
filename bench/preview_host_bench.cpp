// The ASP host under Wine: start-up with the wineserver warm and cold, the request latency
// over every page of the sample site, a list page over a 10,000-row table, and a plain page
// with the host's memory before and after 2,000 requests.
// Needs wine and the cross-built asphost.exe; says why and does nothing otherwise.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "preview/workcopy/seed.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace {

// The key the host is started with and the front would send (the bench plays the front).
constexpr const char* kBenchKey = "bench0123456789abcdef0123456789abcdef";

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

#ifdef TABULON_ASPHOST_EXE
constexpr bool hostBuilt = true;
const char* const hostExe = TABULON_ASPHOST_EXE;
const char* const cliExe = TABULON_CLI;
#else
constexpr bool hostBuilt = false;
const char* const hostExe = "";
const char* const cliExe = "";
#endif

// The benchmark's own Wine prefix: the cold start-up stops its wineserver, which must not
// disturb tests that share theirs.
fs::path prefix() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    fs::path base = cache ? fs::path(cache) : fs::path(std::getenv("HOME") ? std::getenv("HOME") : "/tmp") / ".cache";
    return base / "tabulon" / "wine-host-bench";
}

std::vector<std::string> wineEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string v = *e;
        if (v.rfind("WINE", 0) == 0 || v.rfind("LC_ALL=", 0) == 0 || v.rfind("LANG=", 0) == 0 ||
            v.rfind("DISPLAY=", 0) == 0)
            continue;
        env.push_back(v);
    }
    env.push_back("WINEPREFIX=" + prefix().string());
    env.push_back("WINEDEBUG=-all");
    env.push_back("WINEDLLOVERRIDES=mscoree,mshtml=");
    env.push_back("LC_ALL=zh_CN.UTF-8");
    env.push_back("LANG=zh_CN.UTF-8");
    env.push_back(std::string("TABULON_HOST_KEY=") + kBenchKey);
    return env;
}

// Runs a program to its end with the Wine environment; its exit status.
int run(std::vector<std::string> args, int* outFd = nullptr, pid_t* started = nullptr) {
    std::vector<std::string> env = wineEnvironment();
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int pipeFds[2] = {-1, -1};
    if (outFd) {
        if (pipe(pipeFds) != 0) return -1;
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    if (outFd) {
        close(pipeFds[1]);
        *outFd = pipeFds[0];
        *started = pid;
        return 0;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string windowsPath(const fs::path& p) {
    std::string out = "Z:" + fs::absolute(p).string();
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

struct Host {
    pid_t pid = 0;
    int port = 0;
};

Host startHost(const fs::path& site, const fs::path& db) {
    Host h;
    int fd = -1;
    if (run({"wine", hostExe, "--site", windowsPath(site), "--db", windowsPath(db), "--port", "0"}, &fd, &h.pid) != 0)
        return h;
    std::string out;
    char buffer[256];
    while (out.find('\n') == std::string::npos) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    if (out.rfind("LISTENING ", 0) == 0) h.port = std::atoi(out.c_str() + 10);
    return h;
}

void stopHost(Host& h) {
    if (h.pid > 0) {
        kill(h.pid, SIGKILL);
        waitpid(h.pid, nullptr, 0);
    }
    h = {};
}

// One GET; the status code (0 when the connection failed).
int get(int port, const std::string& target, const std::string& cookie) {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(s);
        return 0;
    }
    std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nCookie: " + cookie +
                          "\r\nX-Tabulon-Host-Key: " + kBenchKey + "\r\nX-Tabulon-Client: 127.0.0.1\r\n\r\n";
    send(s, request.data(), request.size(), 0);
    std::string response;
    char buffer[65536];
    for (ssize_t n; (n = recv(s, buffer, sizeof buffer, 0)) > 0;) response.append(buffer, static_cast<std::size_t>(n));
    close(s);
    return response.size() > 12 ? std::atoi(response.c_str() + 9) : 0;
}

// The sample site, its working copy with 10,000 rows in 流水帐, and a running host.
struct Fixture {
    tabulon::testing::TempFolder folder;
    fs::path site, db;
    Host host;
    std::string skip;

    Fixture() {
        if (!hostBuilt) {
            skip = "asphost.exe was not built (no mingw-w64)";
            return;
        }
        if (std::system("command -v wine > /dev/null") != 0) {
            skip = "wine is not installed";
            return;
        }
        if (!fs::exists(prefix() / "system.reg")) {
            fs::create_directories(prefix());
            run({"wineboot", "-i"});
            run({"wineserver", "-w"});
        }
        std::string build = std::string(cliExe) + " --run-dir " + folder.path().string() + " build 记账 > /dev/null";
        if (std::system(build.c_str()) != 0) {
            skip = "the sample site could not be built";
            return;
        }
        for (const auto& entry : fs::directory_iterator(folder.path()))
            if (entry.is_directory()) site = entry.path();
        db = folder.path() / "working.sqlite";
        tabulon::preview::seedWorkingCopy(site / "data" / "data.mdb", db);
        sqlite3* handle = nullptr;
        sqlite3_open(db.c_str(), &handle);
        sqlite3_exec(handle,
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000) "
                     "INSERT INTO \"流水帐\" (\"收支\", \"消费类型\", \"名称\", \"金额\", \"日期\") "
                     "SELECT '支出', '餐饮', '第' || i || '笔', i * 1.5, 45292 + i % 365 FROM n",
                     nullptr, nullptr, nullptr);
        sqlite3_close(handle);
        // The site folder's name is not ASCII: hand the host a plain name beside it.
        fs::path plain = folder.path() / "site";
        fs::create_directory_symlink(site, plain);
        site = plain;
        run({"wineserver", "-p"});
    }
    ~Fixture() { stopHost(host); }

    bool ensureHost(benchmark::State& state) {
        if (!skip.empty()) {
            state.SkipWithError(skip.c_str());
            return false;
        }
        if (!host.port) host = startHost(site, db);
        if (!host.port) {
            state.SkipWithError("the host did not start");
            return false;
        }
        return true;
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

const std::string loggedIn = "kovel_username=vokra";

void BM_HostStartWarmServer(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.ensureHost(state)) return;
    for (auto _ : state) {
        Host h = startHost(f.site, f.db);
        if (!h.port) state.SkipWithError("the host did not start");
        stopHost(h);
    }
}
BENCHMARK(BM_HostStartWarmServer)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

void BM_HostStartColdServer(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.ensureHost(state)) return;
    stopHost(f.host);
    for (auto _ : state) {
        state.PauseTiming();
        run({"wineserver", "-k"});
        run({"wineserver", "-w"});
        state.ResumeTiming();
        Host h = startHost(f.site, f.db);
        if (!h.port) state.SkipWithError("the host did not start");
        state.PauseTiming();
        stopHost(h);
        state.ResumeTiming();
    }
    run({"wineserver", "-p"});
}
BENCHMARK(BM_HostStartColdServer)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// Every page of the sample site once per iteration; median and p95 of single requests.
void BM_SampleSitePages(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.ensureHost(state)) return;
    std::vector<std::string> pages = {"/index.asp", "/inc/verifycode.asp", "/top.asp",
                                      "/menu.asp",  "/main.asp",           "/desk.asp"};
    for (const char* table : {"YH24", "SZ25", "XFLX26", "LSZ27"}) {
        for (const char* kind : {"_List.asp", "_Add.asp", "_Display.asp?ID=1", "_Modify.asp?ID=1"})
            pages.push_back(std::string("/manage/") + table + kind);
    }
    std::vector<double> ms;
    for (auto _ : state) {
        for (const std::string& page : pages) {
            auto t0 = Clock::now();
            int status = get(f.host.port, page, loggedIn);
            ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            if (status != 200) state.SkipWithError(("a page failed: " + page).c_str());
        }
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
    state.counters["pages"] = static_cast<double>(pages.size());
}
BENCHMARK(BM_SampleSitePages)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The list page of a 10,000-row table: first page, and a page in the middle.
void BM_ListPage10000Rows(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.ensureHost(state)) return;
    std::string target = "/manage/LSZ27_List.asp" + std::string(state.range(0) ? "?page=300" : "");
    for (auto _ : state) {
        if (get(f.host.port, target, loggedIn) != 200) state.SkipWithError("the list page failed");
    }
}
BENCHMARK(BM_ListPage10000Rows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

}  // namespace

// The host's resident memory (its Linux process; Wine keeps the pid), in MB.
double residentMb(pid_t pid) {
    FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    if (!f) return 0;
    char line[256];
    double kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmRSS: %lf kB", &kb) == 1) break;
    std::fclose(f);
    return kb / 1024;
}

// A plain page of the kind users write (a loop, a class, built-ins the host replaces, a
// session value): its latency, and the host's memory before and after the requests.
void BM_PlainPage(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.ensureHost(state)) return;
    std::FILE* page = std::fopen((f.site / "plain_bench.asp").c_str(), "wb");
    std::fputs(
        "<%@ Language=\"VBScript\" %>\r\n<% Option Explicit %>\r\n<html><body>\r\n"
        "<%\r\nClass Row\r\n  Public Name, Qty\r\nEnd Class\r\nDim i, r, s, parts\r\n"
        "For i = 1 To 50\r\n  Set r = New Row\r\n  r.Name = \"item\" & i : r.Qty = i * 2\r\n"
        "  s = s & \"<tr><td>\" & Server.HTMLEncode(r.Name) & \"</td><td>\" & r.Qty & \"</td></tr>\"\r\n"
        "Next\r\nparts = Split(\"a,b,c\", \",\")\r\nSession(\"last\") = Join(parts, \"-\") & "
        "DateAdd(\"m\", 1, Date())\r\n%>\r\n<table><%= s %></table>\r\n<%= TypeName(r) %>\r\n"
        "</body></html>\r\n",
        page);
    std::fclose(page);
    for (int i = 0; i < 100; ++i) get(f.host.port, "/plain_bench.asp", loggedIn);  // warm
    double before = residentMb(f.host.pid);
    std::vector<double> ms;
    for (auto _ : state) {
        auto t0 = Clock::now();
        if (get(f.host.port, "/plain_bench.asp", loggedIn) != 200) state.SkipWithError("the plain page failed");
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
    state.counters["rss_before_mb"] = before;
    state.counters["rss_after_mb"] = residentMb(f.host.pid);
}
BENCHMARK(BM_PlainPage)->Unit(benchmark::kMillisecond)->Iterations(2000)->UseRealTime();

BENCHMARK_MAIN();
