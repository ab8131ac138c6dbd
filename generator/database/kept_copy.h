#pragma once
// A dated copy of a file kept next to it before the file is replaced.
#include <ctime>
#include <filesystem>
#include <string_view>

#include "generator/site_sink.h"

namespace tabulon::generator {

// Writes `bytes` through `sink` as `<folder>/<stem>-YYYYMMDD-HHMMSS<extension>` for the
// local time `when`; an existing file is never overwritten: the name then gets "-2", "-3", ….
// Returns the path written; throws tabulon::Error on failure.
std::filesystem::path keepDatedCopy(const std::filesystem::path& folder, std::string_view stem,
                                    std::string_view extension, std::string_view bytes, const std::tm& when,
                                    SiteSink& sink);

// The same for a file on disk, copied without reading it into memory: to a name of its own
// first, then linked to the dated name, so that a copy cut short is never taken for one.
std::filesystem::path keepDatedCopyOfFile(const std::filesystem::path& file, std::string_view stem,
                                          std::string_view extension, const std::tm& when);

}  // namespace tabulon::generator
