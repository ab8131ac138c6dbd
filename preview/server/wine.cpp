#include "preview/server/wine.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "base/error.h"
#include "base/file_output.h"
#include "preview/server/child_process.h"

namespace tabulon::preview {
namespace fs = std::filesystem;
namespace {

constexpr const char* kReadyMark = ".tabulon-ready";
constexpr const char* kCreatingMark = ".tabulon-creating";

bool plain(const std::string& text) {
    for (const char c : text)
        if (c <= 0x20 || c >= 0x7f) return false;
    return true;
}

void touch(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw Error("无法写入 " + displayPath(file) + "。");
}

// Holds an exclusive lock on a file until it goes; the system drops it if we die.
class FileLock {
public:
    explicit FileLock(const fs::path& file) {
        fd_ = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) throw Error("无法打开锁文件 " + displayPath(file) + "：" + std::strerror(errno));
        while (flock(fd_, LOCK_EX) != 0)
            if (errno != EINTR) throw Error("无法锁定 " + displayPath(file) + "：" + std::strerror(errno));
    }
    ~FileLock() { close(fd_); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

int runToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
             std::chrono::seconds limit) {
    ProcessSpec spec;
    spec.argv = argv;
    spec.environment = environment;
    const pid_t pid = startProcess(spec);
    const auto status = waitForExit(pid, limit);
    if (!status) {
        killProcessGroup(pid);
        throw Error(argv.front() + " 运行超过 " + std::to_string(limit.count()) + " 秒，已停止。");
    }
    return *status;
}

}  // namespace

std::optional<WineTools> findWine(const std::string& searchPath) {
    WineTools tools;
    const std::pair<fs::path*, const char*> wanted[] = {
        {&tools.wine, "wine"}, {&tools.wineserver, "wineserver"}, {&tools.wineboot, "wineboot"}};
    for (const auto& [slot, name] : wanted) {
        const auto found = findExecutable(name, searchPath);
        if (!found) return std::nullopt;
        *slot = *found;
    }
    return tools;
}

std::string missingWineMessage() {
    return "预览网站需要 Wine，本机没有找到 wine（或 wineserver、wineboot）。\r\n"
           "请安装 Debian 软件包 wine 和 wine64：sudo apt-get install wine wine64\r\n"
           "Tabulon 的其他功能不需要 Wine。";
}

fs::path previewPrefix(const std::vector<std::string>& environment) {
    fs::path cache;
    if (const auto xdg = variable(environment, "XDG_CACHE_HOME"); xdg && !xdg->empty() && fs::path(*xdg).is_absolute())
        cache = *xdg;
    else if (const auto home = variable(environment, "HOME"); home && !home->empty())
        cache = fs::path(*home) / ".cache";
    else
        cache = fs::temp_directory_path();
    return cache / "tabulon" / "wine-preview";
}

std::vector<std::string> wineEnvironment(std::vector<std::string> base, const fs::path& prefix,
                                         std::string_view locale) {
    setVariable(base, "WINEPREFIX", prefix.string());
    setVariable(base, "WINEDEBUG", "-all");
    setVariable(base, "WINEDLLOVERRIDES", "mscoree,mshtml=");
    // Wine takes its locale from the Unix environment only (the system need not have that
    // locale installed): pages format dates and numbers the way a Chinese (LCID 2052), US
    // (1033) or German (1031) server does.
    std::string unixLocale(locale);
    if (const auto dash = unixLocale.find('-'); dash != std::string::npos) unixLocale[dash] = '_';
    unixLocale += ".UTF-8";
    setVariable(base, "LC_ALL", unixLocale);
    setVariable(base, "LANG", unixLocale);
    setVariable(base, "DISPLAY", std::nullopt);
    setVariable(base, "WAYLAND_DISPLAY", std::nullopt);
    return base;
}

bool prefixReady(const fs::path& prefix) {
    std::error_code error;
    return fs::exists(prefix / kReadyMark, error);
}

bool ensurePrefix(const fs::path& prefix, const WineTools& tools, const std::vector<std::string>& environment) {
    std::error_code error;
    if (fs::exists(prefix / kReadyMark, error)) return false;
    fs::create_directories(prefix.parent_path(), error);
    if (error) throw Error("无法建立文件夹 " + displayPath(prefix.parent_path()) + "：" + error.message());
    FileLock lock(prefix.string() + ".lock");
    if (fs::exists(prefix / kReadyMark, error)) return false;  // made while we waited

    if (fs::exists(prefix, error) && !fs::is_empty(prefix, error)) {
        if (fs::exists(prefix / kCreatingMark, error)) {
            fs::remove_all(prefix, error);  // our own, left half made by a stopped run
        } else if (fs::exists(prefix / "system.reg", error)) {
            touch(prefix / kReadyMark, "adopted\n");
            return false;
        } else {
            throw Error(displayPath(prefix) + " 既不是 Wine 前缀也不是空文件夹，Tabulon 不会改动它。");
        }
    }
    fs::create_directories(prefix, error);
    if (error) throw Error("无法建立文件夹 " + displayPath(prefix) + "：" + error.message());
    touch(prefix / kCreatingMark, std::to_string(getpid()) + "\n");
    const auto env = wineEnvironment(environment, prefix);
    const int status = runToEnd({tools.wineboot.string(), "-i"}, env, std::chrono::seconds(300));
    if (status != 0)
        throw Error("wineboot -i 失败（状态 " + std::to_string(status) + "），Wine 前缀 " + displayPath(prefix) +
                    " 未建成。");
    // The registry reaches the disk when the server ends.
    runToEnd({tools.wineserver.string(), "-w"}, env, std::chrono::seconds(60));
    if (!fs::exists(prefix / "system.reg", error))
        throw Error("wineboot 没有在 " + displayPath(prefix) + " 留下注册表。");
    touch(prefix / kReadyMark, "ready\n");
    fs::remove(prefix / kCreatingMark, error);
    return true;
}

void startWineServer(const WineTools& tools, const std::vector<std::string>& environment) {
    ProcessSpec spec;
    spec.argv = {tools.wineserver.string(), "-p300"};
    spec.environment = environment;
    spec.newSession = true;
    const pid_t pid = startProcess(spec);
    // It goes to the background at once (or ends when one already runs); reap it meanwhile.
    std::thread([pid] { waitForExit(pid, std::chrono::hours(24 * 365)); }).detach();
}

std::string windowsPath(const fs::path& path) {
    std::string text = "Z:" + fs::absolute(path).lexically_normal().string();
    for (auto& c : text)
        if (c == '/') c = '\\';
    return text;
}

fs::path plainPathTo(const fs::path& folder) {
    const auto absolute = fs::absolute(folder).lexically_normal();
    if (plain(absolute.string())) return absolute;
    fs::path base = fs::temp_directory_path();
    if (!plain(base.string())) base = "/tmp";
    const auto links = base / ("tabulon-preview-" + std::to_string(getuid()));
    mkdir(links.c_str(), 0700);
    struct stat info {};
    if (lstat(links.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
        throw Error("文件夹 " + displayPath(links) + " 不属于当前用户，无法在其中建立链接。");
    char name[32];
    std::snprintf(name, sizeof name, "%016zx", std::hash<std::string>{}(absolute.string()));
    const auto link = links / name;
    std::error_code error;
    if (fs::is_symlink(link, error)) {
        if (fs::read_symlink(link, error) == absolute) return link;
        fs::remove(link, error);
    }
    fs::create_directory_symlink(absolute, link, error);
    if (error) throw Error("无法建立链接 " + displayPath(link) + "：" + error.message());
    return link;
}

}  // namespace tabulon::preview
