#pragma once
// SQLite functions that translated statements call: Jet's checks on values written to a
// column, and Jet's text of a value in a `&` concatenation.
#include <optional>

#include "preview/ado/ado.h"

struct sqlite3;

namespace tabulon::preview::ado::sql {

void registerFunctions(sqlite3* db);
void registerVbaFunctions(sqlite3* db);

// A function that fails as Jet does raises "<prefix><HRESULT in hex>:<Jet's text>".
inline constexpr const char* kJetErrorPrefix = "tabulon-jet:";

// The Jet error behind a failure one of these functions raised, from SQLite's message.
std::optional<AdoError> jetErrorFrom(const char* message);

}  // namespace tabulon::preview::ado::sql
