#pragma once
// Lays out a whole database file: the Jet system pages, then every user
// table (definition, usage maps, key index, long values, data pages), then
// the catalogue rows and the page map of the file.

#include <string>
#include <vector>

#include "jet/table_store.h"

namespace tabulon::jet {

std::string writeDatabaseFile(const std::vector<StoredTable>& tables);

}  // namespace tabulon::jet
