#pragma once
// Where the catalogue and the site folders live when no --run-dir is given.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tabulon::cli {

struct RunFolderPlaces {
    std::filesystem::path programFolder;                  // the folder of the running program
    std::vector<std::filesystem::path> installedBinDirs;  // where installations put programs
    std::optional<std::string> xdgDataHome;               // $XDG_DATA_HOME
    std::optional<std::string> home;                      // $HOME
};

// The program's own folder, as in a build tree; but an installed program (in one of the
// installation bin folders, or in any folder it cannot write) keeps its data in the
// user's data folder: $XDG_DATA_HOME/tabulon, else ~/.local/share/tabulon.
std::filesystem::path defaultRunFolder(const RunFolderPlaces& places);

// The places of this process: /proc/self/exe, the environment, and as bin folders the
// configured one besides /usr/bin and /usr/local/bin (a package installs to /usr).
RunFolderPlaces currentPlaces(const char* argv0, const std::filesystem::path& installedBinDir);

}  // namespace tabulon::cli
