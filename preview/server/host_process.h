#pragma once
// The ASP host as a child process: started with its command, ready once it has printed
// "LISTENING <port>", stopped with its whole process group. Safe to use from several threads.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "preview/server/child_process.h"

namespace tabulon::preview {

struct HostCommand {
    std::vector<std::string> argv;         // the whole command, port included
    std::vector<std::string> environment;  // the whole environment
    std::filesystem::path log;             // its output goes here; "LISTENING" is read from it
    std::chrono::milliseconds startLimit{60000};
};

class HostProcess {
public:
    explicit HostProcess(HostCommand command) : command_(std::move(command)) {}
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    // Starts the host unless it runs, and returns its port. Throws tabulon::Error with the
    // end of its output when it stops or stays silent instead.
    std::uint16_t ensureRunning();
    // The same, with what a request needs: the port, the key and which start it is.
    struct Instance {
        std::uint16_t port = 0;
        std::string key;
        int start = 0;
    };
    Instance ensureInstance();
    // Restarts the host unless it was restarted since `start` (requests that ran side by side
    // and all met the same dead host restart it once).
    void restartUnlessSince(int start);
    // Stops a running host and starts a new one.
    std::uint16_t restart();
    // Stops the host for good: later starts throw.
    void shutDown();
    // The key the running host expects on every request (a new one for each start).
    std::string key();

    bool running();
    pid_t pid();
    int starts();  // how many times it was started

private:
    std::uint16_t startLocked();
    void stopLocked();

    HostCommand command_;
    ProcessStarter starter_;  // the host ends with it, even when we are killed
    std::mutex mutex_;
    pid_t pid_ = -1;
    std::uint16_t port_ = 0;
    std::string key_;
    int starts_ = 0;
    bool shutDown_ = false;
};

// The port in a host's output: the number after the first "LISTENING " at a line start.
std::optional<std::uint16_t> listeningPort(std::string_view output);

}  // namespace tabulon::preview
