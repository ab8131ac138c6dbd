#include "generator/database/site_tables.h"

namespace tabulon::generator {

void addSiteTables(jet::Database& database) {
    if (database.hasTable(kLoginLockTable)) return;
    jet::TableDefinition lock;
    lock.name = std::string(kLoginLockTable);
    lock.columns = {{"account", jet::ColumnType::Text, 50},
                    {"failures", jet::ColumnType::Long},
                    {"last_failure", jet::ColumnType::DateTime}};
    database.createTable(lock);
}

}  // namespace tabulon::generator
