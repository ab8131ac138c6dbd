#pragma once
// A dated copy of a file kept next to it before the file is replaced.
#include <ctime>
#include <filesystem>
#include <string_view>

namespace tabulon::generator {

// Writes `bytes` atomically as `<folder>/<stem>-YYYYMMDD-HHMMSS<extension>` for the local
// time `when`; an existing file is never overwritten: the name then gets "-2", "-3", ….
// Returns the path written; throws tabulon::Error on failure.
std::filesystem::path keepDatedCopy(const std::filesystem::path& folder, std::string_view stem,
                                    std::string_view extension, std::string_view bytes, const std::tm& when);

}  // namespace tabulon::generator
