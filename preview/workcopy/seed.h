#pragma once
// The preview's working copy: a SQLite file holding the tables and rows of a site's
// data/data.mdb, with each column's Jet type recorded, so that the ASP host's ADO answers
// the pages' SQL the way Jet would. The site's own file is only read. The layout of the
// working copy is described in preview/ado/working_copy_schema.h.
#include <filesystem>
#include <string>

#include "jet/database.h"

namespace tabulon::preview {

// Builds the working copy at `workingCopy` from the Jet file `mdb`, replacing an existing
// copy only once the new one is complete (written beside it, then renamed). Throws
// tabulon::Error with a message naming the file when the Jet file cannot be read.
void seedWorkingCopy(const std::filesystem::path& mdb, const std::filesystem::path& workingCopy);

// The same from a database already in memory; `source` names it in the copy.
void seedWorkingCopy(const jet::Database& source, const std::string& sourceName,
                     const std::filesystem::path& workingCopy);

}  // namespace tabulon::preview
