#include <fstream>
#include <iterator>

#include "tests/support/temp_folder.h"

namespace tabulon::testing {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace tabulon::testing
