#pragma once
// The reader of whole Jet statements: queries (sql_select.cpp, sql_from.cpp), writes
// (sql_write.cpp) and table design (sql_table_design.cpp). Internal to the ADO core.
#include "preview/ado/sql_expression.h"
#include "preview/ado/sql_translate.h"

namespace tabulon::preview::ado::sql {

class StatementTranslator : public ExpressionParser {
public:
    using ExpressionParser::ExpressionParser;
    Translation run();

protected:
    QuerySql subquery() override;

private:
    // A query with its UNION parts and ORDER BY; `outermost` plans the recordset too.
    struct Query {
        QuerySql sql;
        SelectPlan plan;
    };
    Query query(bool outermost);
    Query select(bool outermost, bool orderAllowed);
    OutputColumn output(const Expr& expr, const std::string& alias, int& expressionNumber) const;

    // FROM: tables, derived tables, joins (sql_from.cpp). Adds the sources to the scope.
    std::string fromList();
    std::string joined();
    std::string fromItem();

    // Writes.
    std::string stored(const std::string& valueSql, const ColumnSchema& column) const;
    std::string whereClause();
    std::string insert();
    std::string update();
    std::string remove();
    const TableSchema& targetTable();

    // Table design.
    std::vector<std::string> createTable();
    std::vector<std::string> dropTable();
    std::vector<std::string> selectInto(std::size_t into);
};

// The statements that make a table and record it in the working copy's description.
std::vector<std::string> tableStatements(const std::string& tableName, const std::vector<ColumnSchema>& columns,
                                         const std::vector<std::string>& declarations,
                                         const std::vector<std::string>& uniques);

}  // namespace tabulon::preview::ado::sql
