#include "cli/run_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace tabulon::cli {
namespace fs = std::filesystem;
namespace {

bool sameFolder(const fs::path& a, const fs::path& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code error;
    if (fs::equivalent(a, b, error)) return true;
    return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

bool writable(const fs::path& folder) { return ::access(folder.c_str(), W_OK) == 0; }

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

}  // namespace

fs::path defaultRunFolder(const RunFolderPlaces& places) {
    bool installed = false;
    for (const auto& bin : places.installedBinDirs) installed = installed || sameFolder(places.programFolder, bin);
    if (!installed && writable(places.programFolder)) return places.programFolder;
    // The XDG rule: a relative XDG_DATA_HOME is to be ignored.
    if (places.xdgDataHome && fs::path(*places.xdgDataHome).is_absolute())
        return fs::path(*places.xdgDataHome) / "tabulon";
    if (places.home) return fs::path(*places.home) / ".local" / "share" / "tabulon";
    return fs::temp_directory_path() / "tabulon";
}

RunFolderPlaces currentPlaces(const char* argv0, const fs::path& installedBinDir) {
    RunFolderPlaces places;
    std::error_code error;
    const auto self = fs::read_symlink("/proc/self/exe", error);
    places.programFolder = !error ? self.parent_path() : fs::absolute(argv0).parent_path();
    places.installedBinDirs = {installedBinDir, "/usr/bin", "/usr/local/bin"};
    places.xdgDataHome = variable("XDG_DATA_HOME");
    places.home = variable("HOME");
    return places;
}

}  // namespace tabulon::cli
