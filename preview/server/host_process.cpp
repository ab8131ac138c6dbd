#include "preview/server/host_process.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

#include "base/error.h"
#include "preview/host/core/front_link.h"
#include "preview/server/child_process.h"
#include "preview/server/random_key.h"

namespace tabulon::preview {
namespace {

std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The last lines of the host's output, for a message.
std::string tail(const std::string& output) {
    constexpr std::size_t kShown = 1500;
    auto text = output.size() > kShown ? output.substr(output.size() - kShown) : output;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text.empty() ? "（没有输出）" : text;
}

}  // namespace

std::optional<std::uint16_t> listeningPort(std::string_view output) {
    constexpr std::string_view kMark = "LISTENING ";
    for (std::size_t at = output.find(kMark); at != std::string_view::npos; at = output.find(kMark, at + 1)) {
        if (at > 0 && output[at - 1] != '\n') continue;
        const auto digits = output.substr(at + kMark.size());
        const auto end = digits.find_first_of("\r\n");
        if (end == std::string_view::npos) return std::nullopt;  // the line is not complete yet
        unsigned port = 0;
        const auto [stop, error] = std::from_chars(digits.data(), digits.data() + end, port);
        if (error != std::errc() || stop != digits.data() + end || port == 0 || port > 65535) return std::nullopt;
        return static_cast<std::uint16_t>(port);
    }
    return std::nullopt;
}

HostProcess::~HostProcess() { shutDown(); }

std::uint16_t HostProcess::ensureRunning() {
    std::lock_guard lock(mutex_);
    if (pid_ > 0 && isRunning(pid_)) return port_;
    stopLocked();
    return startLocked();
}

HostProcess::Instance HostProcess::ensureInstance() {
    std::lock_guard lock(mutex_);
    if (!(pid_ > 0 && isRunning(pid_))) {
        stopLocked();
        startLocked();
    }
    return {port_, key_, starts_};
}

void HostProcess::restartUnlessSince(int start) {
    std::lock_guard lock(mutex_);
    if (starts_ != start) return;
    stopLocked();
    startLocked();
}

std::uint16_t HostProcess::restart() {
    std::lock_guard lock(mutex_);
    stopLocked();
    return startLocked();
}

void HostProcess::shutDown() {
    std::lock_guard lock(mutex_);
    shutDown_ = true;
    stopLocked();
}

bool HostProcess::running() {
    std::lock_guard lock(mutex_);
    return pid_ > 0 && isRunning(pid_);
}

pid_t HostProcess::pid() {
    std::lock_guard lock(mutex_);
    return pid_;
}

std::string HostProcess::key() {
    std::lock_guard lock(mutex_);
    return key_;
}

int HostProcess::starts() {
    std::lock_guard lock(mutex_);
    return starts_;
}

void HostProcess::stopLocked() {
    if (pid_ > 0) killProcessGroup(pid_);
    pid_ = -1;
    port_ = 0;
}

std::uint16_t HostProcess::startLocked() {
    if (shutDown_) throw Error("预览正在停止。");
    ProcessSpec spec;
    spec.argv = command_.argv;
    // The key goes in the environment, which other users cannot read (unlike the arguments).
    key_ = randomHexKey();
    const std::string keyVariable = std::string(host::kHostKeyVariable) + "=";
    for (const auto& variable : command_.environment)
        if (!variable.starts_with(keyVariable)) spec.environment.push_back(variable);
    spec.environment.push_back(keyVariable + key_);
    spec.output = command_.log;
    spec.endWithStarter = true;
    pid_ = starter_.start(spec);
    ++starts_;
    const auto deadline = std::chrono::steady_clock::now() + command_.startLimit;
    for (auto pause = std::chrono::milliseconds(2);; pause = std::min(pause * 2, std::chrono::milliseconds(25))) {
        const auto output = readAll(command_.log);
        if (const auto port = listeningPort(output)) return port_ = *port;
        if (const auto status = waitForExit(pid_, std::chrono::milliseconds(0))) {
            pid_ = -1;
            throw Error("预览主机启动失败（退出状态 " + std::to_string(*status) + "）：\r\n" +
                        tail(readAll(command_.log)));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            stopLocked();
            char limit[32];
            std::snprintf(limit, sizeof limit, "%.1f", std::chrono::duration<double>(command_.startLimit).count());
            throw Error("预览主机在 " + std::string(limit) + " 秒内没有就绪，已停止：\r\n" +
                        tail(readAll(command_.log)));
        }
        std::this_thread::sleep_for(pause);
    }
}

}  // namespace tabulon::preview
