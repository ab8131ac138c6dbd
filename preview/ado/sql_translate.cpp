#include "preview/ado/sql_translate.h"

#include "preview/ado/sql_statement.h"

namespace tabulon::preview::ado::sql {

Translation translate(std::string_view accessSql, const Catalog& catalog, const std::vector<Value>* parameters) {
    return StatementTranslator(accessSql, catalog, parameters).run();
}

}  // namespace tabulon::preview::ado::sql
