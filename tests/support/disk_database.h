#pragma once
// The database step as the command line runs it: into the site folder on disk.
#include <filesystem>

#include "generator/database/database_generator.h"

namespace tabulon::testing {

inline generator::DatabaseResult generateDatabase(const catalogue::Snapshot& model, const std::filesystem::path& runDir,
                                                  catalogue::Id projectId, Messages& messages,
                                                  const generator::DatabaseOptions& options = {}) {
    generator::FileSink disk;
    return generator::generateDatabase(model, runDir, projectId, disk, messages, options);
}

}  // namespace tabulon::testing
