#pragma once
// Reads the preview's working copy back as the tables and rows of a Jet file, so that the
// rows entered in the preview can be carried into a database design the way ② carries the
// rows of an old data.mdb (by table and column name, values converted where they fit).
#include <filesystem>

#include "jet/table_data.h"

namespace tabulon::preview {

// Throws tabulon::Error naming the file when it is no working copy or cannot be read.
jet::FileData readWorkingCopy(const std::filesystem::path& workingCopy);

}  // namespace tabulon::preview
