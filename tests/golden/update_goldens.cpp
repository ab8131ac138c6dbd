// Rewrites the golden pages in tests/golden/<design>/ from what the generators write now.
// Run it only after an intended change, then review the diff before committing:
//   cmake --build build --target update_goldens && build/tests/golden/update_goldens
#include <filesystem>
#include <fstream>
#include <iostream>

#include "tests/golden/golden_pages.h"

int main() {
    namespace fs = std::filesystem;
    for (const auto& design : tabulon::golden::designs()) {
        const fs::path folder = fs::path(GOLDEN_ROOT) / fs::path(std::u8string(design.begin(), design.end()));
        const auto pages = tabulon::golden::pagesOf(design);
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const auto& [name, text] : pages) {
            std::ofstream out(folder / fs::path(std::u8string(name.begin(), name.end())), std::ios::binary);
            out << text;
            if (!out) {
                std::cerr << "cannot write " << (folder / name).string() << '\n';
                return 1;
            }
        }
        std::cout << pages.size() << " golden pages written to " << folder.string() << '\n';
    }
    return 0;
}
