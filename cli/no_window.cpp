// Built when the designer window is left out: the program is a command-line tool only.
#include <iostream>

#include "cli/commands.h"
#include "cli/window_entry.h"

namespace tabulon::cli {

int openWindow(const std::filesystem::path&, int, char**) {
    std::cerr << "This build of Tabulon has no window; run `tabulon --help` for its commands.\n";
    return kUsageError;
}

}  // namespace tabulon::cli
