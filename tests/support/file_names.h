#pragma once
// The file names of written paths, in their order: ".../manage/XS7_Add.asp" -> "XS7_Add.asp".
#include <filesystem>
#include <string>
#include <vector>

namespace tabulon::testing {

inline std::vector<std::string> fileNames(const std::vector<std::filesystem::path>& paths) {
    std::vector<std::string> names;
    for (const auto& path : paths) names.push_back(path.filename().string());
    return names;
}

}  // namespace tabulon::testing
