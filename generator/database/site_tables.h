#pragma once
// Tables the generated site keeps for itself beside the designed ones: the login lock
// (failed logins counted per account, so that a restart of the server does not clear them).
#include <string_view>

#include "jet/database.h"

namespace tabulon::generator {

// account (the login name, trimmed and in lower case), failures, last_failure.
inline constexpr std::string_view kLoginLockTable = "kovel_login_lock";

// Adds the site's tables that `database` lacks. A designed table of the same name is left
// as it is (the site then keeps its counts in memory).
void addSiteTables(jet::Database& database);

}  // namespace tabulon::generator
