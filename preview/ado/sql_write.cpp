// Writes: INSERT INTO … VALUES / SELECT, UPDATE (over joins too) and DELETE, with every
// value checked against its column on the way in.
#include <algorithm>

#include "preview/ado/errors.h"
#include "preview/ado/sql_statement.h"
#include "preview/ado/working_copy_schema.h"

namespace tabulon::preview::ado::sql {

std::string StatementTranslator::stored(const std::string& valueSql, const ColumnSchema& column) const {
    return std::string(kStoreFunction) + "(" + valueSql + ", '" + schema::typeName(column.type) + "', " +
           std::to_string(column.size) + ", " + std::to_string(column.precision) + ", " + std::to_string(column.scale) +
           ", " + (column.required ? "1" : "0") + ", " + quoteText(column.name) + ")";
}

// An optional WHERE of UPDATE and DELETE.
std::string StatementTranslator::whereClause() {
    if (!accept("where")) return "";
    startClause();
    return " WHERE " + expression().sql;
}

const TableSchema& StatementTranslator::targetTable() {
    if (!isName(peek())) throw errors::fromClause();
    const Token& token = next();
    const TableSchema* table = catalog_.find(token.text);
    if (!table) throw errors::unknownTable(token.text);
    return *table;
}

std::string StatementTranslator::insert() {
    next();  // INSERT
    if (!accept("into")) throw errors::syntax("Syntax error in INSERT INTO statement.");
    const TableSchema& target = targetTable();
    auto unknownField = [](const std::string& field) {
        return errors::syntax("The INSERT INTO statement contains the following unknown field name: '" + field +
                              "'.  Make sure you have typed the name correctly, and try the operation again.");
    };
    std::vector<int> columns;
    const bool listed = acceptSymbol("(");
    if (listed) {
        do {
            const std::string columnName = name();
            const int index = target.columnIndex(columnName);
            if (index < 0) throw unknownField(columnName);
            columns.push_back(index);
        } while (acceptSymbol(","));
        expectSymbol(")");
    }
    const bool parenthesisedQuery = peek().isSymbol("(") && peek(1).is("select");
    if (peek().is("select") || parenthesisedQuery) {
        if (parenthesisedQuery) next();
        QuerySql query = subquery();
        if (parenthesisedQuery) expectSymbol(")");
        expectEnd();
        if (!listed) {
            // Without a list, the query's columns go to the target's columns of the same name.
            for (const ColumnSchema& column : query.columns) {
                const int index = target.columnIndex(column.name);
                if (index < 0) throw unknownField(column.name);
                columns.push_back(index);
            }
        }
        if (query.columns.size() != columns.size()) {
            throw errors::syntax("Number of query values and destination fields are not the same.");
        }
        std::string names, values;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const ColumnSchema& column = target.columns[static_cast<std::size_t>(columns[i])];
            names += (i ? ", " : "") + schema::quotedName(column.name);
            values += (i ? ", " : "") + stored("\"tabulon." + std::to_string(i) + "\"", column);
        }
        return "INSERT INTO " + schema::quotedName(target.sqliteName) + " (" + names + ") SELECT " + values +
               " FROM (" + query.sql + ")";
    }
    if (!listed) {
        for (std::size_t i = 0; i < target.columns.size(); ++i) columns.push_back(static_cast<int>(i));
    }
    if (!accept("values")) throw errors::syntax("Syntax error in INSERT INTO statement.");
    expectSymbol("(");
    startClause();
    std::vector<Expr> values;  // values cannot name columns: Jet takes such names for parameters
    do {
        values.push_back(expression());
    } while (acceptSymbol(","));
    expectSymbol(")");
    expectEnd();
    if (values.size() != columns.size()) {
        throw errors::syntax("Number of query values and destination fields are not the same.");
    }
    std::string names, sqlValues;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const ColumnSchema& column = target.columns[static_cast<std::size_t>(columns[i])];
        names += (i ? ", " : "") + schema::quotedName(column.name);
        sqlValues += (i ? ", " : "") + stored(values[i].sql, column);
    }
    // A required column the statement leaves out would be Null: Jet refuses that too.
    for (std::size_t c = 0; c < target.columns.size(); ++c) {
        const ColumnSchema& column = target.columns[c];
        if (!column.required || column.type == JetType::Counter) continue;
        if (std::find(columns.begin(), columns.end(), static_cast<int>(c)) != columns.end()) continue;
        names += ", " + schema::quotedName(column.name);
        sqlValues += ", " + stored("NULL", column);
    }
    return "INSERT INTO " + schema::quotedName(target.sqliteName) + " (" + names + ") VALUES (" + sqlValues + ")";
}

std::string StatementTranslator::update() {
    next();  // UPDATE
    const std::string fromSql = fromList();
    if (!accept("set")) throw errors::syntax("Syntax error in UPDATE statement.");
    startClause();
    int targetSource = -1;
    std::vector<std::string> names, values;
    do {
        Expr target = reference();
        if (!target.schema || target.source < 0 || !scope()[static_cast<std::size_t>(target.source)].table) {
            throw errors::syntax("Syntax error in UPDATE statement.");
        }
        if (targetSource >= 0 && target.source != targetSource) {
            throw errors::notSupported("an UPDATE that changes more than one table");
        }
        targetSource = target.source;
        const ColumnSchema& column = *target.schema;
        if (column.type == JetType::Counter) {
            throw errors::engine("Cannot update '" + column.name + "'; field not updateable.");
        }
        expectSymbol("=");
        Expr value = expression();
        names.push_back(schema::quotedName(column.name));
        values.push_back(stored(value.sql, column));
    } while (acceptSymbol(","));
    const std::string where = whereClause();
    expectEnd();
    if (scope().size() == 1) {
        std::string assignments;
        for (std::size_t i = 0; i < names.size(); ++i) assignments += (i ? ", " : "") + names[i] + " = " + values[i];
        return "UPDATE " + fromSql + " SET " + assignments + where;
    }
    // Over a join: each row of the target that the join finds takes the values of its first match.
    const Source& target = scope()[static_cast<std::size_t>(targetSource)];
    const std::string key = target.qualifier + "._rowid_";
    std::string list, selected;
    for (std::size_t i = 0; i < names.size(); ++i) {
        list += (i ? ", " : "") + names[i];
        selected += (i ? ", " : "") + values[i];
    }
    const std::string match = where.empty() ? "" : " AND (" + where.substr(7) + ")";
    return "UPDATE " + schema::quotedName(target.table->sqliteName) + " AS \"tabulon.target\" SET (" + list +
           ") = (SELECT " + selected + " FROM " + fromSql + " WHERE " + key + " = \"tabulon.target\"._rowid_" + match +
           " LIMIT 1) WHERE \"tabulon.target\"._rowid_ IN (SELECT " + key + " FROM " + fromSql + where + ")";
}

std::string StatementTranslator::remove() {
    next();  // DELETE
    std::string targetName;
    if (!peek().is("from")) {
        if (acceptSymbol("*")) {
        } else if (isName(peek()) && peek(1).isSymbol(".") && peek(2).isSymbol("*")) {
            targetName = next().text;
            next();
            next();
        } else if (peek().is("distinctrow")) {
            next();
        }
    }
    if (!accept("from")) throw errors::syntax("Syntax error in DELETE statement.");
    const std::string fromSql = fromList();
    const std::string where = whereClause();
    expectEnd();
    if (scope().size() == 1) return "DELETE FROM " + fromSql + where;
    std::size_t target = 0;
    if (!targetName.empty()) {
        while (target < scope().size() && !sameName(scope()[target].alias, targetName)) ++target;
        if (target == scope().size()) throw errors::engine("Could not delete from specified tables.");
    }
    const Source& source = scope()[target];
    if (!source.table) throw errors::engine("Could not delete from specified tables.");
    return "DELETE FROM " + schema::quotedName(source.table->sqliteName) + " WHERE _rowid_ IN (SELECT " +
           source.qualifier + "._rowid_ FROM " + fromSql + where + ")";
}

}  // namespace tabulon::preview::ado::sql
