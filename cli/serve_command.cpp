#include "cli/serve_command.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>

#include "base/error.h"
#include "base/file_output.h"
#include "catalogue/catalogue.h"
#include "catalogue/snapshot.h"
#include "cli/commands.h"
#include "generator/naming/naming.h"
#include "preview/server/child_process.h"
#include "preview/server/error_annotation.h"
#include "preview/server/front_server.h"
#include "preview/server/host_process.h"
#include "preview/server/host_proxy.h"
#include "preview/server/prefix_preparation.h"
#include "preview/server/wine.h"
#include "preview/workcopy/preview_data.h"
#include "preview/workcopy/seed.h"

namespace tabulon::cli {
namespace {

namespace fs = std::filesystem;
using namespace tabulon::preview;

constexpr const char* kStandInVariable = "TABULON_PREVIEW_HOST";

// SIGINT and SIGTERM stop the server once there is one, and keep it from starting before.
std::atomic<bool> stopAsked{false};
std::atomic<FrontServer*> runningServer{nullptr};

extern "C" void stopOnSignal(int) {
    stopAsked = true;
    if (FrontServer* server = runningServer.load()) server->stop();
}

class StopOnSignals {
public:
    StopOnSignals() {
        stopAsked = false;
        struct sigaction action {};
        action.sa_handler = stopOnSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInterrupt_);
        sigaction(SIGTERM, &action, &oldTerminate_);
    }
    ~StopOnSignals() {
        runningServer = nullptr;
        sigaction(SIGINT, &oldInterrupt_, nullptr);
        sigaction(SIGTERM, &oldTerminate_, nullptr);
    }
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

    void attach(FrontServer& server) {
        runningServer = &server;
        if (stopAsked) server.stop();
    }
    bool asked() const { return stopAsked; }
    void detach() { runningServer = nullptr; }

private:
    struct sigaction oldInterrupt_ {
    }, oldTerminate_{};
};

const catalogue::Project* findProject(const catalogue::Snapshot& model, const std::string& nameOrId) {
    if (const auto* byName = model.projectByName(nameOrId)) return byName;
    if (const auto id = catalogue::parseId(nameOrId)) return model.project(*id);
    return nullptr;
}

// How the host is run: the Windows program under Wine, or a native stand-in.
struct HostPlan {
    std::optional<WineTools> wine;
    fs::path program;  // asphost.exe, or the stand-in
};

std::optional<HostPlan> planHost(const fs::path& programFolder, const std::vector<std::string>& environment,
                                 Messages& messages) {
    if (const auto standIn = variable(environment, kStandInVariable); standIn && !standIn->empty())
        return HostPlan{std::nullopt, *standIn};
    const auto wine = findWine(variable(environment, "PATH").value_or(""));
    if (!wine) {
        messages.show(missingWineMessage());
        return std::nullopt;
    }
    // The build tree keeps the host under preview/host; an installed program under libexec.
    auto program = programFolder / "preview" / "host" / "asphost.exe";
    std::error_code error;
    if (const auto installed = programFolder.parent_path() / "libexec" / "tabulon" / "asphost.exe";
        !fs::is_regular_file(program, error) && fs::is_regular_file(installed, error))
        program = installed;
    if (!fs::is_regular_file(program, error)) {
        messages.show(
            "找不到预览主机 " + displayPath(program) +
            "：它随 Tabulon 一起构建，需要 Debian 软件包 g++-mingw-w64-x86-64（bash tools/setup.sh build）。");
        return std::nullopt;
    }
    return HostPlan{wine, program};
}

// The host's command line. Wine is handed names it passes safely (see plainPathTo).
HostCommand hostCommand(const HostPlan& plan, const fs::path& previewFolder, const ServeOptions& options,
                        std::vector<std::string> environment) {
    HostCommand command;
    command.log = previewFolder / "host.log";
    if (plan.wine) {
        const auto folder = plainPathTo(previewFolder);
        command.argv = {
            plan.wine->wine.string(),           plan.program.string(), "--site", windowsPath(folder / "site"), "--db",
            windowsPath(folder / "data.sqlite")};
        const auto prefix = previewPrefix(environment);
        command.environment = wineEnvironment(std::move(environment), prefix, options.locale);
    } else {
        command.argv = {plan.program.string(), "--site", (previewFolder / "site").string(), "--db",
                        (previewFolder / "data.sqlite").string()};
        command.environment = std::move(environment);
    }
    command.argv.insert(command.argv.end(), {"--port", "0"});
    // Sessions and Application values outlive a restarted host (a page that ran too long).
    const auto state = previewFolder / "host-state.bin";
    command.argv.insert(
        command.argv.end(),
        {"--state", plan.wine ? windowsPath(plainPathTo(previewFolder) / "host-state.bin") : state.string()});
    if (options.testHooks) command.argv.emplace_back("--test-hooks");
    return command;
}

// `<preview>/site`: a link to the site folder, so the host never sees its non-ASCII name.
void linkSite(const fs::path& previewFolder, const fs::path& site) {
    const auto link = previewFolder / "site";
    std::error_code error;
    if (fs::is_symlink(link, error)) {
        if (fs::read_symlink(link, error) == site) return;
        fs::remove(link, error);
    } else if (fs::exists(link, error)) {
        throw Error(displayPath(link) + " 已存在且不是链接，无法启动预览。");
    }
    fs::create_directory_symlink(site, link, error);
    if (error) throw Error("无法建立链接 " + displayPath(link) + "：" + error.message());
}

void openBrowser(const std::string& address, const std::vector<std::string>& environment, Messages& messages) {
    const auto opener = findExecutable("xdg-open", variable(environment, "PATH").value_or(""));
    if (!opener) {
        messages.show("没有找到 xdg-open，无法打开浏览器：请手动打开上面的地址。");
        return;
    }
    try {
        ProcessSpec spec;
        spec.argv = {opener->string(), address};
        spec.environment = environment;
        const pid_t pid = startProcess(spec);
        // It may wait for the browser; its failure is a message, never the preview's end.
        std::thread([pid] {
            const auto status = waitForExit(pid, std::chrono::hours(24));
            if (status && *status != 0)
                std::cerr << "无法打开浏览器（xdg-open 状态 " << *status << "）：请手动打开上面的地址。" << std::endl;
        }).detach();
    } catch (const Error& e) {
        messages.show(std::string(e.what()) + " 请手动打开上面的地址。");
    }
}

// Before each request: when ② has rewritten data.mdb, the working copy takes its new design
// with the rows it holds. One check at a time; a stat per request when nothing changed.
class DesignFollower {
public:
    DesignFollower(fs::path mdb, fs::path workingCopy)
        : mdb_(std::move(mdb)),
          workingCopy_(std::move(workingCopy)),
          followed_(preview::recordedSource(workingCopy_)) {}

    void follow() {
        const std::lock_guard lock(mutex_);
        const auto now = preview::fileStamp(mdb_);
        if (now.empty() || now == followed_) return;
        try {
            const auto lines = preview::followDesign(mdb_, workingCopy_);
            std::cerr << "data.mdb 已改变：工作副本已改用新的表结构，原有数据已带入。" << std::endl;
            for (const auto& line : lines) std::cerr << line << std::endl;
        } catch (const Error& e) {
            std::cerr << e.what() << std::endl;  // the pages go on with the copy as it was
        }
        followed_ = now;
    }

private:
    fs::path mdb_, workingCopy_;
    std::string followed_;
    std::mutex mutex_;
};

int writeBackAndSay(const fs::path& mdb, const fs::path& workingCopy, Messages& messages) {
    try {
        const auto result = preview::writeBack(mdb, workingCopy);
        messages.show("预览数据已写回 " + displayPath(mdb) + "（" + std::to_string(result.rows) +
                      " 条记录）；原文件保留为 " + displayPath(result.keptCopy) + "。");
        for (const auto& line : result.lines) messages.show(line);
        return kSuccess;
    } catch (const Error& e) {
        messages.show(e.what());
        return kFailure;
    }
}

int serveProject(const fs::path& runFolder, const fs::path& programFolder, const ServeOptions& options,
                 Messages& messages) {
    StopOnSignals signals;
    const auto runDir = fs::absolute(runFolder).lexically_normal();
    auto environment = currentEnvironment();
    const auto plan = planHost(programFolder, environment, messages);
    if (!plan) return kFailure;
    // The Wine prefix is made while the catalogue loads and the site is built.
    std::optional<PrefixPreparation> wine;
    if (plan->wine) {
        wine.emplace(*plan->wine, environment);
        if (wine->making())
            messages.show("正在建立预览用的 Wine 环境 " + displayPath(wine->prefix()) +
                          "（只需一次，约 10 至 30 秒）……");
    }

    const auto catalogue = catalogue::Catalogue::openInRunFolder(runDir);
    const auto model = catalogue::Snapshot::load(catalogue);
    const auto* project = findProject(model, options.project);
    if (!project) throw Error("没有名为或编号为“" + options.project + "”的项目。");

    const auto site = generator::siteFolder(runDir, project->name);
    std::error_code error;
    if (!fs::exists(site, error)) {
        messages.show("网站文件夹 " + displayPath(site) + " 不存在，先生成网站。");
        if (build(runDir, std::to_string(project->id), messages) != kSuccess) {
            messages.show("网站没有完整生成，预览未启动。");
            return kFailure;
        }
    }

    // The working copy lives in the run folder, apart from the site, and survives restarts.
    const auto workingCopy = preview::workingCopyPath(runDir, project->id);
    const auto previewFolder = workingCopy.parent_path();
    fs::create_directories(previewFolder, error);
    if (error) throw Error("无法建立文件夹 " + displayPath(previewFolder) + "：" + error.message());
    const auto mdb = site / "data" / "data.mdb";
    if (options.fresh || !fs::exists(workingCopy, error)) {
        reloadWorkingCopy(mdb, workingCopy);
        messages.show("已从 " + displayPath(mdb) + " 建立工作副本 " + displayPath(workingCopy) + "。");
        // Sessions kept from before speak of rows the new copy may not have.
        fs::remove(previewFolder / "host-state.bin", error);
    }
    DesignFollower follower(mdb, workingCopy);
    follower.follow();
    linkSite(previewFolder, fs::canonical(site));

    if (wine) {
        const auto started = std::chrono::steady_clock::now();
        wine->wait([&messages](int seconds) {
            messages.show("……仍在建立 Wine 环境（已用 " + std::to_string(seconds) + " 秒）");
        });
        if (wine->making()) {
            const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            messages.show("Wine 环境已建立（最后等待 " + std::to_string(static_cast<int>(seconds + 0.5)) + " 秒）。");
        }
    }
    HostProcess host(hostCommand(*plan, previewFolder, options, environment));
    host.ensureRunning();
    if (signals.asked()) return kSuccess;  // stopped while starting: the host goes with `host`

    const SiteFolder folder(site);
    const ErrorAnnotator annotator(folder, model.templates());
    ProxyOptions proxyOptions;
    proxyOptions.pageLimit = std::chrono::milliseconds(static_cast<long>(options.pageSeconds * 1000));
    HostProxy proxy(host, &annotator, proxyOptions);

    ServerOptions serverOptions;
    serverOptions.port = static_cast<std::uint16_t>(options.port);
    serverOptions.testHooks = options.testHooks;
    serverOptions.log = [](std::string_view line) { std::cerr << line << std::endl; };
    serverOptions.onStopping = [&host] { host.shutDown(); };
    FrontServer server(
        folder,
        [&proxy, &follower](const HttpRequest& request, const std::string& target, const std::string& client) {
            follower.follow();  // a page never runs on columns ② has changed since
            return proxy.forward(request, target, client);
        },
        serverOptions);
    const auto port = server.listen();
    signals.attach(server);

    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/";
    messages.show("预览网站 " + project->name +
                  (options.save ? "（按 Ctrl+C 停止；停止时预览中的数据写回 data/data.mdb）："
                                : "（按 Ctrl+C 停止；预览中的数据留在工作副本里，可用 tabulon database " +
                                      std::to_string(project->id) + " --from-preview 写回 data/data.mdb）："));
    messages.show(address);
    if (!options.noBrowser) openBrowser(address, environment, messages);
    server.run();
    signals.detach();
    host.shutDown();
    messages.show("预览已停止。");
    if (options.save) return writeBackAndSay(mdb, workingCopy, messages);
    return kSuccess;
}

}  // namespace

int databaseFromPreview(const fs::path& runDir, const std::string& projectName, Messages& messages) {
    try {
        const auto catalogue = catalogue::Catalogue::openInRunFolder(fs::absolute(runDir));
        const auto model = catalogue::Snapshot::load(catalogue);
        const auto* project = findProject(model, projectName);
        if (!project) throw Error("没有名为或编号为“" + projectName + "”的项目。");
        const auto mdb = generator::siteFolder(fs::absolute(runDir), project->name) / "data" / "data.mdb";
        return writeBackAndSay(mdb, preview::workingCopyPath(fs::absolute(runDir), project->id), messages);
    } catch (const Error& e) {
        messages.show(e.what());
        return kFailure;
    }
}

int serve(const fs::path& runDir, const fs::path& programFolder, const ServeOptions& options, Messages& messages) {
    try {
        return serveProject(runDir, programFolder, options, messages);
    } catch (const Error& e) {
        messages.show(e.what());
        return kFailure;
    }
}

}  // namespace tabulon::cli
