// FROM: tables, derived tables, comma lists and joins, with Access's parentheses around
// every join after the first.
#include "preview/ado/errors.h"
#include "preview/ado/sql_statement.h"
#include "preview/ado/working_copy_schema.h"

namespace tabulon::preview::ado::sql {
namespace {

bool startsJoin(const Token& token) {
    return token.is("inner") || token.is("left") || token.is("right") || token.is("join") || token.is("full");
}

}  // namespace

std::string StatementTranslator::fromList() {
    std::string sql = joined();
    while (acceptSymbol(",")) sql += ", " + joined();
    return sql;
}

// One source, or one join of two; a second join needs parentheses around the first.
std::string StatementTranslator::joined() {
    std::string left = fromItem();
    if (!startsJoin(peek())) return left;
    bool leftOuter = false, rightOuter = false;
    if (accept("inner")) {
    } else if (accept("left")) {
        leftOuter = true;
        accept("outer");
    } else if (accept("right")) {
        rightOuter = true;
        accept("outer");
    } else {
        throw errors::fromClause();  // JOIN alone, or FULL: Jet knows neither
    }
    if (!accept("join")) throw errors::fromClause();
    std::string right = fromItem();
    if (!accept("on")) throw errors::syntax("Syntax error in JOIN operation.");
    const std::size_t conditionStart = position_;
    Expr condition = expression();
    if (startsJoin(peek())) {
        std::size_t end = levelEnd(conditionStart);
        for (std::size_t i = conditionStart; i < end; ++i) {
            if (tokens_[i].is("where") || tokens_[i].is("group") || tokens_[i].is("order") || tokens_[i].is("having")) {
                end = i;
                break;
            }
        }
        const std::size_t from = tokens_[conditionStart].start;
        const std::size_t to = end < tokens_.size() ? tokens_[end].start : sql_.size();
        std::string_view text = sql_.substr(from, to > from ? to - from : 0);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\r')) {
            text.remove_suffix(1);
        }
        throw errors::missingOperator(text);
    }
    // A RIGHT JOIN is the LEFT JOIN of the other way round; the select list keeps its order.
    if (rightOuter) return right + " LEFT JOIN " + left + " ON " + condition.sql;
    return left + (leftOuter ? " LEFT JOIN " : " INNER JOIN ") + right + " ON " + condition.sql;
}

std::string StatementTranslator::fromItem() {
    if (acceptSymbol("(")) {
        if (peek().is("select")) {
            QuerySql query = subquery();
            expectSymbol(")");
            Source source;
            source.derived = query.columns;
            for (std::size_t i = 0; i < query.columns.size(); ++i) {
                source.sqlNames.push_back("\"tabulon." + std::to_string(i) + "\"");
            }
            if (accept("as") || isName(peek())) {
                if (!isName(peek())) throw errors::fromClause();
                source.alias = next().text;
            } else {
                source.alias = "Query" + std::to_string(scope().size() + 1);
            }
            source.qualifier = schema::quotedName(source.alias);
            scope().push_back(source);
            return "(" + query.sql + ") AS " + source.qualifier;
        }
        std::string inner = joined();
        while (acceptSymbol(",")) inner += ", " + joined();
        if (!acceptSymbol(")")) throw errors::syntax("Syntax error in JOIN operation.");
        return "(" + inner + ")";
    }
    if (!isName(peek())) throw errors::fromClause();
    const Token& token = next();
    const TableSchema* table = catalog_.find(token.text);
    if (!table) throw errors::unknownTable(token.text);
    std::string alias;
    if (accept("as") || isName(peek())) {
        if (!isName(peek())) throw errors::fromClause();
        alias = next().text;
    }
    Source source = tableSource(*table, alias);
    scope().push_back(source);
    std::string sql = schema::quotedName(table->sqliteName);
    if (!alias.empty()) sql += " AS " + source.qualifier;
    return sql;
}

}  // namespace tabulon::preview::ado::sql
