#pragma once
// Reads a database file this writer produced back into tables and rows.

#include <string_view>
#include <vector>

#include "jet/table_store.h"

namespace tabulon::jet {

// Throws Error when the file is not a Jet 4 database of the shape this
// writer produces.
std::vector<StoredTable> readDatabaseFile(std::string_view file);

}  // namespace tabulon::jet
