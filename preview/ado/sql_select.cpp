// Queries: SELECT with its clauses, UNION, subqueries, and the plan a recordset reads.
#include <optional>

#include "preview/ado/errors.h"
#include "preview/ado/sql_statement.h"
#include "preview/ado/working_copy_schema.h"

namespace tabulon::preview::ado::sql {
namespace {

std::string outputName(std::size_t index) { return "\"tabulon." + std::to_string(index) + "\""; }

AdoError selectError() {
    return errors::syntax(
        "The SELECT statement includes a reserved word or an argument name that is misspelled or missing, or the "
        "punctuation is incorrect.");
}

ColumnSchema describe(const OutputColumn& column) {
    ColumnSchema schema;
    schema.name = column.info.name;
    schema.type = column.info.type;
    schema.size = column.info.type == JetType::Text ? static_cast<int>(column.info.definedSize) : 0;
    schema.scale = column.scale;
    schema.required = !column.info.nullable;
    return schema;
}

}  // namespace

Translation StatementTranslator::run() {
    Translation translation;
    if (peek().is("select")) {
        // SELECT … INTO makes a table: INTO comes before FROM at the top level.
        int depth = 0;
        for (std::size_t i = 0; i < tokens_.size(); ++i) {
            if (tokens_[i].isSymbol("(")) ++depth;
            if (tokens_[i].isSymbol(")")) --depth;
            if (depth != 0) continue;
            if (tokens_[i].is("from") || tokens_[i].is("union")) break;
            if (tokens_[i].is("into")) {
                translation.designSql = selectInto(i);
                translation.designCountsRows = true;
                return translation;
            }
        }
        translation.isSelect = true;
        translation.select = query(true).plan;
        expectEnd();
    } else if (peek().is("insert")) {
        translation.writeSql = insert();
    } else if (peek().is("update")) {
        translation.writeSql = update();
    } else if (peek().is("delete")) {
        translation.writeSql = remove();
    } else if (peek().is("create")) {
        translation.designSql = createTable();
    } else if (peek().is("drop")) {
        translation.designSql = dropTable();
    } else if (peek().is("alter")) {
        throw errors::notSupported("ALTER TABLE");
    } else if (peek().is("transform") || peek().is("procedure") || peek().is("execute") || peek().is("exec") ||
               peek().is("parameters")) {
        throw errors::notSupported(next().text + " statements");
    } else {
        throw errors::invalidStatement();
    }
    return translation;
}

QuerySql StatementTranslator::subquery() { return query(false).sql; }

OutputColumn StatementTranslator::output(const Expr& expr, const std::string& alias, int& expressionNumber) const {
    OutputColumn column;
    if (expr.schema) {
        column.info.name = alias;
        column.info.type = expr.schema->type;
        column.info.definedSize = definedSizeOf(*expr.schema);
        column.info.nullable = !expr.schema->required;
        column.kind = ResultKind::Column;
        column.scale = expr.schema->scale;
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

StatementTranslator::Query StatementTranslator::query(bool outermost) {
    const std::size_t stop = levelEnd(position_);
    bool hasUnion = false;
    int depth = 0;
    for (std::size_t i = position_; i < stop; ++i) {
        if (tokens_[i].isSymbol("(")) ++depth;
        if (tokens_[i].isSymbol(")")) --depth;
        if (depth == 0 && tokens_[i].is("union")) hasUnion = true;
    }
    if (!hasUnion) return select(outermost, true);

    Query first = select(false, false);
    Query result;
    result.sql.columns = first.sql.columns;
    result.sql.items = first.sql.items;
    result.plan.columns = first.plan.columns;
    std::string sql = "SELECT * FROM (" + first.sql.sql + ")";
    while (accept("union")) {
        const bool all = accept("all");
        if (!peek().is("select")) throw errors::syntax("Syntax error in union query.");
        Query part = select(false, false);
        if (part.sql.columns.size() != result.sql.columns.size()) {
            throw errors::engine(
                "The number of columns in the two selected tables or queries of a union query do not match.");
        }
        for (std::size_t i = 0; i < part.plan.columns.size(); ++i) {
            OutputColumn& column = result.plan.columns[i];
            if (part.plan.columns[i].info.type != column.info.type) column.kind = ResultKind::Storage;
            column.tableColumn = -1;
        }
        sql += (all ? " UNION ALL " : " UNION ") + std::string("SELECT * FROM (") + part.sql.sql + ")";
    }
    if (accept("order")) {
        if (!accept("by")) throw clauseError();
        std::string orderBy;
        do {
            std::size_t ordinal = 0;
            if (peek().type == Token::Type::Number) {
                ordinal = static_cast<std::size_t>(std::stoul(next().text));
                if (ordinal < 1 || ordinal > result.sql.columns.size()) throw selectError();
            } else {
                const std::size_t at = peek().start;
                std::string wanted = name();
                if (acceptSymbol(".")) wanted = name();
                for (std::size_t i = 0; i < result.sql.columns.size() && !ordinal; ++i) {
                    if (sameName(result.sql.columns[i].name, wanted)) ordinal = i + 1;
                }
                if (!ordinal) {
                    throw errors::syntax("The ORDER BY expression (" +
                                         std::string(sql_.substr(at, tokens_[position_ - 1].end - at)) +
                                         ") includes fields that are not selected by the query.  Only those fields "
                                         "requested in the first query can be included in an ORDER BY expression.");
                }
            }
            std::string direction;
            if (accept("desc"))
                direction = " DESC";
            else
                accept("asc");
            orderBy += (orderBy.empty() ? " ORDER BY " : ", ") + std::to_string(ordinal) + direction;
        } while (acceptSymbol(","));
        sql += orderBy;
    }
    result.sql.sql = sql;
    result.plan.rowsSql = sql;
    return result;
}

StatementTranslator::Query StatementTranslator::select(bool outermost, bool orderAllowed) {
    next();  // SELECT
    bool distinct = false;
    if (accept("distinct"))
        distinct = true;
    else if (!accept("distinctrow"))  // whole rows of one table are distinct already
        accept("all");
    std::optional<long> top;
    if (accept("top")) {
        if (peek().type != Token::Type::Number || peek().text.find_first_not_of("0123456789") != std::string::npos ||
            peek().text.size() > 9) {
            throw selectError();
        }
        top = std::stol(next().text);
        if (accept("percent")) throw errors::notSupported("TOP … PERCENT");
    }
    const std::size_t itemsStart = position_;
    // This SELECT ends at its level's end or at a UNION; FROM may be left out.
    const std::size_t stop = levelEnd(position_);
    std::size_t from = stop, selectEnd = stop;
    int depth = 0;
    for (std::size_t i = position_; i < stop; ++i) {
        if (tokens_[i].isSymbol("(")) ++depth;
        if (tokens_[i].isSymbol(")")) --depth;
        if (depth != 0) continue;
        if (tokens_[i].is("from") && from == stop) from = i;
        if (tokens_[i].is("union")) {
            selectEnd = i;
            break;
        }
    }
    if (from > selectEnd) from = selectEnd;
    if (from == itemsStart) throw selectError();

    pushScope();
    std::string fromSql;
    if (from < selectEnd) {
        position_ = from + 1;
        fromSql = fromList();
    } else {
        position_ = from;
    }

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
    if (orderAllowed && accept("order")) {
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
    const std::size_t end = position_;

    // The select list, now that the sources are known.
    position_ = itemsStart;
    startClause();
    Query result;
    std::vector<std::string> aliases;
    std::vector<bool> named;  // the query named the column itself
    auto add = [&](const Expr& expr, const std::string& alias, bool explicitName) {
        result.sql.items.push_back(expr);
        aliases.push_back(alias);
        named.push_back(explicitName);
    };
    auto addEveryColumn = [&](std::size_t s) {
        const Source& source = scope()[s];
        for (std::size_t c = 0; c < source.columns().size(); ++c) {
            add(columnRef(source, static_cast<int>(s), static_cast<int>(c)), source.columns()[c].name, false);
        }
    };
    do {
        if (acceptSymbol("*")) {
            if (scope().empty()) throw selectError();
            for (std::size_t s = 0; s < scope().size(); ++s) addEveryColumn(s);
            continue;
        }
        if (isName(peek()) && peek(1).isSymbol(".") && peek(2).isSymbol("*")) {
            const std::string qualifier = next().text;
            next();
            next();
            std::size_t s = 0;
            while (s < scope().size() && !sameName(scope()[s].alias, qualifier)) ++s;
            if (s == scope().size()) throw errors::missingParameter();
            addEveryColumn(s);
            continue;
        }
        Expr item = expression();
        std::string alias;
        bool explicitName = false;
        if (accept("as")) {
            alias = name();
            explicitName = true;
        } else if (item.schema) {
            alias = tokens_[position_ - 1].text;  // the column as the query spells it
        }
        add(item, alias, explicitName);
    } while (acceptSymbol(","));
    if (position_ != from) throw clauseError();
    position_ = end;

    // Columns of the same name from different tables are told apart by their table.
    std::vector<std::string> shown = aliases;
    for (std::size_t i = 0; i < aliases.size(); ++i) {
        const Expr& item = result.sql.items[i];
        if (named[i] || !item.schema || item.source < 0) continue;
        for (std::size_t j = 0; j < aliases.size(); ++j) {
            const Expr& other = result.sql.items[j];
            if (j != i && !named[j] && other.source >= 0 && other.source != item.source &&
                sameName(aliases[j], aliases[i])) {
                shown[i] = scope()[static_cast<std::size_t>(item.source)].alias + "." + item.schema->name;
                break;
            }
        }
    }
    aliases = shown;

    std::string columnsSql;
    bool aggregate = false;
    int expressionNumber = 0;
    const bool keyed = outermost && scope().size() == 1 && scope()[0].table && !distinct && !grouped;
    for (std::size_t i = 0; i < result.sql.items.size(); ++i) {
        const Expr& item = result.sql.items[i];
        OutputColumn column = output(item, aliases[i], expressionNumber);
        if (item.source == 0 && item.schema && scope().size() == 1 && scope()[0].table)
            column.tableColumn = item.column;
        result.plan.columns.push_back(column);
        result.sql.columns.push_back(describe(column));
        std::string sql = item.sql;
        if (item.cls == Cls::Boolean && !item.schema) sql = "-(" + sql + ")";
        columnsSql += (columnsSql.empty() ? "" : ", ") + sql + " AS " + outputName(i);
        aggregate = aggregate || item.aggregate;
    }
    const std::string fromPart = fromSql.empty() ? "" : " FROM " + fromSql;
    const Source only = scope().size() == 1 ? scope()[0] : Source();
    popScope();

    SelectPlan& plan = result.plan;
    plan.keyed = keyed && !aggregate;
    if (plan.keyed) {
        // One row per table row: the recordset keeps the rows' keys and reads each row when asked.
        plan.table = only.table;
        const std::string key = only.qualifier + "._rowid_";
        if (top && !orderBy.empty()) {
            const std::string window = " OVER (" + orderBy.substr(1) + ")";
            plan.keySql = "SELECT k FROM (SELECT " + key + " AS k, RANK()" + window + " AS r, ROW_NUMBER()" + window +
                          " AS n" + fromPart + where + ") WHERE r <= " + std::to_string(*top) + " ORDER BY n";
        } else {
            plan.keySql = "SELECT " + key + fromPart + where + orderBy + (top ? " LIMIT " + std::to_string(*top) : "");
        }
        plan.fetchSql = "SELECT " + columnsSql + fromPart + " WHERE " + key + " = ?1";
    }
    const std::string body = "SELECT " + std::string(distinct ? "DISTINCT " : "") + columnsSql;
    const std::string rest = fromPart + where + groupBy + having;
    if (top && !orderBy.empty() && !distinct) {
        // TOP n keeps every row that ties with the n-th.
        const std::string window = " OVER (" + orderBy.substr(1) + ")";
        std::string names;
        for (std::size_t i = 0; i < result.sql.items.size(); ++i) names += (i ? ", " : "") + outputName(i);
        result.sql.sql = "SELECT " + names + " FROM (" + body + ", RANK()" + window +
                         " AS \"tabulon.r\", ROW_NUMBER()" + window + " AS \"tabulon.n\"" + rest +
                         ") WHERE \"tabulon.r\" <= " + std::to_string(*top) + " ORDER BY \"tabulon.n\"";
    } else {
        result.sql.sql = body + rest + orderBy + (top ? " LIMIT " + std::to_string(*top) : "");
    }
    plan.rowsSql = result.sql.sql;
    return result;
}

}  // namespace tabulon::preview::ado::sql
