#pragma once
// Where the catalogue and the site folders live when no --run-dir is given.
#include <filesystem>
#include <optional>
#include <string>

namespace tabulon::cli {

struct RunFolderPlaces {
    std::filesystem::path programFolder;  // the folder of the running program
    std::filesystem::path installedBinDir;  // where an installation puts the program
    std::optional<std::string> xdgDataHome;  // $XDG_DATA_HOME
    std::optional<std::string> home;  // $HOME
};

// The program's own folder, as in a build tree; but an installed program (in the
// installation's bin folder, or in any folder it cannot write) keeps its data in the
// user's data folder: $XDG_DATA_HOME/tabulon, else ~/.local/share/tabulon.
std::filesystem::path defaultRunFolder(const RunFolderPlaces& places);

// The places of this process: /proc/self/exe, the environment, the installation's bin folder.
RunFolderPlaces currentPlaces(const char* argv0, const std::filesystem::path& installedBinDir);

}  // namespace tabulon::cli
