// The statements Jet runs over one table: SELECT, INSERT INTO … VALUES, UPDATE, DELETE.
#include "preview/ado/sql_translate.h"

#include <optional>

#include "preview/ado/errors.h"
#include "preview/ado/sql_expression.h"
#include "preview/ado/working_copy_schema.h"

namespace tabulon::preview::ado::sql {
namespace {

class StatementTranslator : public ExpressionParser {
public:
    using ExpressionParser::ExpressionParser;

    Translation run() {
        Translation translation;
        if (peek().is("select")) {
            translation.isSelect = true;
            translation.select = select();
        } else if (peek().is("insert")) {
            translation.writeSql = insert();
        } else if (peek().is("update")) {
            translation.writeSql = update();
        } else if (peek().is("delete")) {
            translation.writeSql = remove();
        } else if (peek().is("create") || peek().is("drop") || peek().is("alter")) {
            throw errors::notSupported("changes to the tables' design");
        } else {
            throw errors::invalidStatement();
        }
        return translation;
    }

private:
    // ---- SELECT
    std::size_t findTopLevel(std::string_view word) const {
        int depth = 0;
        for (std::size_t i = position_; i < tokens_.size(); ++i) {
            if (tokens_[i].isSymbol("(")) ++depth;
            if (tokens_[i].isSymbol(")")) --depth;
            if (depth == 0 && tokens_[i].is(word)) return i;
        }
        return tokens_.size();
    }

    OutputColumn output(const Expr& expr, const std::string& alias, int& expressionNumber) {
        OutputColumn column;
        if (expr.column >= 0) {
            const ColumnSchema& schema = table_->columns[static_cast<std::size_t>(expr.column)];
            column.info.name = alias;
            column.info.type = schema.type;
            column.info.definedSize = definedSizeOf(schema);
            column.info.nullable = !schema.required;
            column.kind = ResultKind::Column;
            column.scale = schema.scale;
            column.tableColumn = expr.column;
            return column;
        }
        column.info.name = alias.empty() ? "Expr" + std::to_string(1000 + expressionNumber++) : alias;
        if (expr.jetType) {
            ColumnSchema schema;
            schema.type = *expr.jetType;
            schema.size = 255;
            column.info.type = *expr.jetType;
            column.info.definedSize = definedSizeOf(schema);
            column.kind = ResultKind::Column;
            column.scale = expr.scale;
            return column;
        }
        switch (expr.cls) {
        case Cls::Date:
            column.info.type = JetType::DateTime;
            column.info.definedSize = 8;
            column.kind = ResultKind::Date;
            break;
        case Cls::Boolean:
            column.info.type = JetType::Boolean;
            column.info.definedSize = 2;
            column.kind = ResultKind::Boolean;
            break;
        case Cls::Text:
            column.info.type = JetType::Text;
            column.info.definedSize = 255;
            break;
        default:
            column.info.type = JetType::Double;
            column.info.definedSize = 8;
            break;
        }
        return column;
    }

    SelectPlan select() {
        next();  // SELECT
        bool distinct = false;
        if (accept("distinct") || accept("distinctrow"))
            distinct = true;
        else
            accept("all");
        std::optional<long> top;
        if (accept("top")) {
            if (peek().type != Token::Type::Number ||
                peek().text.find_first_not_of("0123456789") != std::string::npos) {
                throw errors::syntax(
                    "The SELECT statement includes a reserved word or an argument name that is "
                    "misspelled or missing, or the punctuation is incorrect.");
            }
            top = std::stol(next().text);
            if (accept("percent")) throw errors::notSupported("TOP … PERCENT");
        }
        const std::size_t itemsStart = position_;
        const std::size_t from = findTopLevel("from");
        if (from >= tokens_.size()) {
            throw errors::syntax(
                "The SELECT statement includes a reserved word or an argument name that is "
                "misspelled or missing, or the punctuation is incorrect.");
        }
        position_ = from + 1;
        table(true);

        std::string where, groupBy, having, orderBy;
        bool grouped = false;
        if (accept("where")) {
            startClause();
            Expr condition = expression();
            if (condition.aggregate)
                throw errors::syntax("Cannot have aggregate function in WHERE clause (" +
                                     std::string(sql_.substr(tokens_[clauseToken_].start)) + ").");
            where = " WHERE " + condition.sql;
        }
        if (accept("group")) {
            if (!accept("by")) throw clauseError();
            startClause();
            grouped = true;
            do {
                groupBy += (groupBy.empty() ? " GROUP BY " : ", ") + expression().sql;
            } while (acceptSymbol(","));
        }
        if (accept("having")) {
            startClause();
            grouped = true;
            having = " HAVING " + expression().sql;
        }
        if (accept("order")) {
            if (!accept("by")) throw clauseError();
            startClause();
            do {
                const bool constant = peek().type == Token::Type::Number;
                Expr item = expression();
                std::string direction;
                if (accept("desc"))
                    direction = " DESC";
                else
                    accept("asc");
                if (constant && item.literal) continue;  // Jet orders by the constant: no order at all
                orderBy += (orderBy.empty() ? " ORDER BY " : ", ") + item.sql + direction;
            } while (acceptSymbol(","));
        }
        expectEnd();
        const std::size_t end = position_;

        // The select list, now that the table is known.
        position_ = itemsStart;
        startClause();
        SelectPlan plan;
        plan.table = table_;
        std::string columnsSql;
        bool aggregate = false;
        int expressionNumber = 0;
        auto add = [&](const Expr& expr, const std::string& alias) {
            plan.columns.push_back(output(expr, alias, expressionNumber));
            std::string sql = expr.sql;
            if (expr.cls == Cls::Boolean && expr.column < 0) sql = "-(" + sql + ")";
            columnsSql += (columnsSql.empty() ? "" : ", ") + sql;
            aggregate = aggregate || expr.aggregate;
        };
        auto addEveryColumn = [&] {
            for (std::size_t i = 0; i < table_->columns.size(); ++i) {
                add(columnRef(table_->columns[i], static_cast<int>(i)), table_->columns[i].name);
            }
        };
        do {
            if (acceptSymbol("*")) {
                addEveryColumn();
                continue;
            }
            if (isName(peek()) && peek(1).isSymbol(".") && peek(2).isSymbol("*")) {
                if (!sameName(next().text, alias_)) throw errors::missingParameter();
                next();
                next();
                addEveryColumn();
                continue;
            }
            Expr item = expression();
            std::string alias;
            if (accept("as")) {
                alias = name();
            } else if (item.column >= 0) {
                alias = tokens_[position_ - 1].text;  // the column as the query spells it
            }
            add(item, alias);
        } while (acceptSymbol(","));
        if (position_ != from) throw clauseError();
        position_ = end;

        const std::string key = qualifier_ + ".\"id\"";
        plan.keyed = !distinct && !grouped && !aggregate;
        if (plan.keyed) {
            if (top && !orderBy.empty()) {
                // TOP n keeps every row that ties with the n-th.
                const std::string window = " OVER (" + orderBy.substr(1) + ")";
                plan.keySql = "SELECT k FROM (SELECT " + key + " AS k, RANK()" + window + " AS r, ROW_NUMBER()" +
                              window + " AS n FROM " + fromSql_ + where + ") WHERE r <= " + std::to_string(*top) +
                              " ORDER BY n";
            } else {
                plan.keySql = "SELECT " + key + " FROM " + fromSql_ + where + orderBy +
                              (top ? " LIMIT " + std::to_string(*top) : "");
            }
            plan.fetchSql = "SELECT " + columnsSql + " FROM " + fromSql_ + " WHERE " + key + " = ?1";
        } else {
            const std::string body = "SELECT " + std::string(distinct ? "DISTINCT " : "") + columnsSql;
            const std::string rest = " FROM " + fromSql_ + where + groupBy + having;
            if (top && !orderBy.empty() && !distinct) {
                const std::string window = " OVER (" + orderBy.substr(1) + ")";
                plan.rowsSql = "SELECT * FROM (" + body + ", RANK()" + window + " AS \"tabulon.r\", ROW_NUMBER()" +
                               window + " AS \"tabulon.n\"" + rest +
                               ") WHERE \"tabulon.r\" <= " + std::to_string(*top) + " ORDER BY \"tabulon.n\"";
            } else {
                plan.rowsSql = body + rest + orderBy + (top ? " LIMIT " + std::to_string(*top) : "");
            }
        }
        return plan;
    }

    // ---- writes
    std::string stored(const Expr& value, const ColumnSchema& column) const {
        return std::string(kStoreFunction) + "(" + value.sql + ", '" + schema::typeName(column.type) + "', " +
               std::to_string(column.size) + ", " + std::to_string(column.precision) + ", " +
               std::to_string(column.scale) + ", " + (column.required ? "1" : "0") + ", " + quoteText(column.name) +
               ")";
    }

    // An optional WHERE of UPDATE and DELETE.
    std::string whereClause() {
        if (!accept("where")) return "";
        startClause();
        return " WHERE " + expression().sql;
    }

    std::string insert() {
        next();  // INSERT
        if (!accept("into")) throw errors::syntax("Syntax error in INSERT INTO statement.");
        table(false);
        const TableSchema* target = table_;
        std::vector<int> columns;
        if (acceptSymbol("(")) {
            do {
                const std::string columnName = name();
                const int index = target->columnIndex(columnName);
                if (index < 0) {
                    throw errors::syntax("The INSERT INTO statement contains the following unknown field name: '" +
                                         columnName +
                                         "'.  Make sure you have typed the name correctly, and try the "
                                         "operation again.");
                }
                columns.push_back(index);
            } while (acceptSymbol(","));
            expectSymbol(")");
        } else {
            for (std::size_t i = 0; i < target->columns.size(); ++i) columns.push_back(static_cast<int>(i));
        }
        if (peek().is("select")) throw errors::notSupported("INSERT INTO … SELECT");
        if (!accept("values")) throw errors::syntax("Syntax error in INSERT INTO statement.");
        expectSymbol("(");
        startClause();
        table_ = nullptr;  // values cannot name columns: Jet takes such names for parameters
        std::vector<Expr> values;
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
            const ColumnSchema& column = target->columns[static_cast<std::size_t>(columns[i])];
            names += (i ? ", " : "") + schema::quotedName(column.name);
            sqlValues += (i ? ", " : "") + stored(values[i], column);
        }
        return "INSERT INTO " + schema::quotedName(target->sqliteName) + " (" + names + ") VALUES (" + sqlValues + ")";
    }

    std::string update() {
        next();  // UPDATE
        table(false);
        if (!accept("set")) throw errors::syntax("Syntax error in UPDATE statement.");
        startClause();
        std::string assignments;
        do {
            Expr target = reference();
            const ColumnSchema& column = table_->columns[static_cast<std::size_t>(target.column)];
            if (column.type == JetType::Counter) {
                throw errors::engine("Cannot update '" + column.name + "'; field not updateable.");
            }
            expectSymbol("=");
            Expr value = expression();
            assignments +=
                (assignments.empty() ? "" : ", ") + schema::quotedName(column.name) + " = " + stored(value, column);
        } while (acceptSymbol(","));
        const std::string where = whereClause();
        expectEnd();
        return "UPDATE " + fromSql_ + " SET " + assignments + where;
    }

    std::string remove() {
        next();  // DELETE
        if (!peek().is("from")) {
            if (acceptSymbol("*")) {
            } else if (isName(peek()) && peek(1).isSymbol(".") && peek(2).isSymbol("*")) {
                next();
                next();
                next();
            }
        }
        if (!accept("from")) throw errors::syntax("Syntax error in DELETE statement.");
        table(false);
        const std::string where = whereClause();
        expectEnd();
        return "DELETE FROM " + fromSql_ + where;
    }
};

}  // namespace

Translation translate(std::string_view accessSql, const Catalog& catalog) {
    return StatementTranslator(accessSql, catalog).run();
}

}  // namespace tabulon::preview::ado::sql
