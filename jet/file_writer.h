#pragma once
// Lays out a whole database file: the Jet system pages, then every user
// table (definition, usage maps, key index, long values, data pages), then
// the catalogue rows and the page map of the file.

#include <filesystem>
#include <string>
#include <vector>

#include "jet/table_store.h"

namespace tabulon::jet {

std::string writeDatabaseFile(const std::vector<StoredTable>& tables);
// The same file written straight to `path` through a bounded page cache, whole or not at
// all (a temporary next to it, then rename). Throws Error naming the path on failure.
void writeDatabaseFile(const std::vector<StoredTable>& tables, const std::filesystem::path& path);

}  // namespace tabulon::jet
