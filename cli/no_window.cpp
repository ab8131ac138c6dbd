// Built when the designer window is left out (and for tabulon-cli): the program is a
// command-line tool only.
#include <iostream>

#include "cli/commands.h"
#include "cli/window_entry.h"

namespace tabulon::cli {

int openWindow(const std::filesystem::path&, int, char**) {
    std::cerr << "This program has no window; run it with --help for its commands.\n";
    return kUsageError;
}

}  // namespace tabulon::cli
