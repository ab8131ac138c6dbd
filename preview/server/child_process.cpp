#include "preview/server/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <future>
#include <mutex>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "base/error.h"

extern char** environ;

namespace tabulon::preview {
namespace {

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> out;
    for (auto& text : texts) out.push_back(text.data());
    out.push_back(nullptr);
    return out;
}

}  // namespace

pid_t startProcess(const ProcessSpec& spec) {
    if (spec.argv.empty()) throw Error("没有要启动的程序。");
    auto argv = spec.argv;
    auto environment = spec.environment;
    std::string program = argv.front();
    if (program.find('/') == std::string::npos) {
        const auto found = findExecutable(program, variable(environment, "PATH").value_or(""));
        if (!found) throw Error("找不到程序 " + program + "。");
        program = found->string();
    }
    auto argvPointers = pointers(argv);
    auto environmentPointers = pointers(environment);
    const pid_t starter = getpid();
    const std::string output = spec.output.empty() ? std::string("/dev/null") : spec.output.string();

    // A close-on-exec pipe tells the parent whether exec failed, and why.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) throw Error("无法启动 " + program + "：" + std::strerror(errno));
    const pid_t pid = fork();
    if (pid < 0) {
        close(report[0]);
        close(report[1]);
        throw Error("无法启动 " + program + "：" + std::strerror(errno));
    }
    if (pid == 0) {
        // Only async-signal-safe calls from here to exec.
        if (spec.newSession)
            setsid();
        else
            setpgid(0, 0);
        if (spec.endWithStarter) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != starter) _exit(127);  // the starter ended before the line above
        }
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGPIPE, SIG_DFL);
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0) {
            const int code = errno;
            (void)!write(report[1], &code, sizeof code);
            _exit(127);
        }
        dup2(in, 0);
        dup2(out, 1);
        dup2(out, 2);
        execve(program.c_str(), argvPointers.data(), environmentPointers.data());
        const int code = errno;
        (void)!write(report[1], &code, sizeof code);
        _exit(127);
    }
    close(report[1]);
    int code = 0;
    ssize_t got;
    do got = read(report[0], &code, sizeof code);
    while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof code)) {
        waitpid(pid, nullptr, 0);
        throw Error("无法启动 " + program + "：" + std::strerror(code));
    }
    // The parent sets the group too, so a kill right after the start reaches it.
    if (!spec.newSession) setpgid(pid, pid);
    return pid;
}

struct ProcessStarter::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> tasks;
    bool ending = false;
};

ProcessStarter::ProcessStarter() : shared_(std::make_shared<Shared>()) {
    thread_ = std::thread([shared = shared_] {
        std::unique_lock lock(shared->mutex);
        for (;;) {
            shared->wake.wait(lock, [&] { return shared->ending || !shared->tasks.empty(); });
            if (shared->tasks.empty()) return;
            auto task = std::move(shared->tasks.front());
            shared->tasks.pop_front();
            lock.unlock();
            task();
            lock.lock();
        }
    });
}

ProcessStarter::~ProcessStarter() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->ending = true;
    }
    shared_->wake.notify_all();
    thread_.join();
}

pid_t ProcessStarter::start(const ProcessSpec& spec) {
    std::packaged_task<pid_t()> task([&spec] { return startProcess(spec); });
    auto result = task.get_future();
    {
        std::lock_guard lock(shared_->mutex);
        shared_->tasks.emplace_back([&task] { task(); });
    }
    shared_->wake.notify_all();
    return result.get();
}

std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (auto pause = std::chrono::milliseconds(1);; pause = std::min(pause * 2, std::chrono::milliseconds(20))) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (done < 0 && errno != EINTR) return -1;  // not our child (any more)
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(pause);
    }
}

bool isRunning(pid_t pid) { return pid > 0 && !waitForExit(pid, std::chrono::milliseconds(0)); }

void killProcessGroup(pid_t pid) {
    if (pid <= 0) return;
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    waitForExit(pid, std::chrono::seconds(10));
}

std::vector<std::string> currentEnvironment() {
    std::vector<std::string> out;
    for (char** entry = environ; entry && *entry; ++entry) out.emplace_back(*entry);
    return out;
}

void setVariable(std::vector<std::string>& environment, const std::string& name,
                 const std::optional<std::string>& value) {
    std::erase_if(environment, [&](const std::string& entry) { return entry.starts_with(name + "="); });
    if (value) environment.push_back(name + "=" + *value);
}

std::optional<std::string> variable(const std::vector<std::string>& environment, const std::string& name) {
    for (const auto& entry : environment)
        if (entry.starts_with(name + "=")) return entry.substr(name.size() + 1);
    return std::nullopt;
}

std::optional<std::filesystem::path> findExecutable(const std::string& name, const std::string& searchPath) {
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        const auto colon = std::min(searchPath.find(':', start), searchPath.size());
        const auto folder = searchPath.substr(start, colon - start);
        start = colon + 1;
        if (folder.empty()) continue;
        const auto candidate = std::filesystem::path(folder) / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

}  // namespace tabulon::preview
