#pragma once
#include <filesystem>

namespace tabulon::cli {

// Opens the designer window on the run folder and returns when it is closed.
int openWindow(const std::filesystem::path& runDir, int argc, char** argv);

}  // namespace tabulon::cli
