#pragma once
// Starting and stopping the programs the preview runs (the ASP host, Wine's tools): each in
// a process group of its own, so that stopping it stops whatever it started.
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <optional>
#include <string>
#include <vector>

namespace tabulon::preview {

struct ProcessSpec {
    std::vector<std::string> argv;         // argv[0] is run as given when it holds a '/', else found on PATH
    std::vector<std::string> environment;  // the whole environment, "NAME=value"
    // Standard output and error go to this file (created or truncated); empty: /dev/null.
    // Never a pipe: Wine's helper processes inherit it and keep it open.
    std::filesystem::path output;
    bool newSession = false;  // detached from our terminal and group, for a lasting server
    // Killed when the thread that started it ends (so when we die, however we die): start
    // such a process from a thread that lasts, see ProcessStarter.
    bool endWithStarter = false;
};

// Throws tabulon::Error naming the program when it cannot be started.
pid_t startProcess(const ProcessSpec& spec);

// A thread of its own that starts processes for the threads that come and go, so that a
// process started with endWithStarter lives exactly as long as this object.
class ProcessStarter {
public:
    ProcessStarter();
    ~ProcessStarter();
    ProcessStarter(const ProcessStarter&) = delete;
    ProcessStarter& operator=(const ProcessStarter&) = delete;

    // startProcess(spec) on the starter's thread; throws what it throws.
    pid_t start(const ProcessSpec& spec);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

// The exit status (or 128 + signal) once the process has ended, waiting at most `limit`.
std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds limit);

// True while the process runs (reaps it when it has ended).
bool isRunning(pid_t pid);

// Kills the process and its whole group, and reaps it.
void killProcessGroup(pid_t pid);

// The environment of this process, as "NAME=value" entries.
std::vector<std::string> currentEnvironment();
// Sets or, with no value, removes NAME in an environment list.
void setVariable(std::vector<std::string>& environment, const std::string& name,
                 const std::optional<std::string>& value);
std::optional<std::string> variable(const std::vector<std::string>& environment, const std::string& name);

// The first executable file called `name` in the folders of `searchPath` (":"-separated).
std::optional<std::filesystem::path> findExecutable(const std::string& name, const std::string& searchPath);

}  // namespace tabulon::preview
