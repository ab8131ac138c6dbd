#include "preview/ado/sql_expression.h"

#include <algorithm>
#include <charconv>

#include "preview/ado/errors.h"
#include "preview/ado/jet_values.h"
#include "preview/ado/like_pattern.h"
#include "preview/ado/sql_translate.h"
#include "preview/ado/working_copy_schema.h"

namespace tabulon::preview::ado::sql {
namespace {

bool isReserved(const Token& token) {
    static const char* const words[] = {"select",  "from",  "where",    "and",   "or",     "not",    "in",  "like",
                                        "between", "is",    "order",    "group", "by",     "having", "as",  "on",
                                        "join",    "union", "distinct", "top",   "into",   "values", "set", "asc",
                                        "desc",    "inner", "left",     "right", "exists", "outer",  "full"};
    if (token.type != Token::Type::Name) return false;
    for (const char* word : words) {
        if (token.is(word)) return true;
    }
    return false;
}

}  // namespace

std::string numberLiteral(double value) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);  // shortest exact form
    std::string text(buffer, error == std::errc() ? end : buffer);
    if (text.find_first_of(".eE") == std::string::npos) text += ".0";
    return text;
}

Cls clsOf(JetType type) {
    switch (type) {
    case JetType::Text:
    case JetType::Memo: return Cls::Text;
    case JetType::DateTime: return Cls::Date;
    case JetType::Boolean: return Cls::Boolean;
    default: return Cls::Number;
    }
}

std::string quoteText(std::string_view text) {
    std::string quoted = "'";
    bool zero = false;
    for (char c : text) {
        if (c == '\'') quoted += '\'';
        if (c == '\0') {
            quoted += "' || char(0) || '";  // SQLite would end the statement at the byte itself
            zero = true;
            continue;
        }
        quoted += c;
    }
    quoted += "'";
    return zero ? "(" + quoted + ")" : quoted;
}

ExpressionParser::ExpressionParser(std::string_view sql, const Catalog& catalog, const std::vector<Value>* parameters)
    : sql_(sql), tokens_(tokenize(sql)), catalog_(catalog), parameters_(parameters) {
    scopes_.emplace_back();
}

const Token& ExpressionParser::peek(std::size_t ahead) const {
    return tokens_[std::min(position_ + ahead, tokens_.size() - 1)];
}

const Token& ExpressionParser::next() {
    const Token& token = peek();
    if (position_ < tokens_.size() - 1) ++position_;
    return token;
}

bool ExpressionParser::accept(std::string_view word) {
    if (!peek().is(word)) return false;
    next();
    return true;
}

bool ExpressionParser::acceptSymbol(std::string_view symbol) {
    if (!peek().isSymbol(symbol)) return false;
    next();
    return true;
}

void ExpressionParser::expectSymbol(std::string_view symbol) {
    if (!acceptSymbol(symbol)) throw clauseError();
}

bool ExpressionParser::isName(const Token& token) const {
    return token.type == Token::Type::Bracketed || (token.type == Token::Type::Name && !isReserved(token));
}

std::string ExpressionParser::name() {
    if (!isName(peek())) throw clauseError();
    return next().text;
}

void ExpressionParser::expectEnd() {
    if (acceptSymbol(";") && peek().type != Token::Type::End) {
        throw errors::syntax("Characters found after end of SQL statement.");
    }
    if (peek().type != Token::Type::End) throw clauseError();
}

// The clause being read, for messages: up to the next clause at the same level.
AdoError ExpressionParser::clauseError() const {
    std::size_t end = sql_.size();
    int depth = 0;
    for (std::size_t i = clauseToken_; i < tokens_.size(); ++i) {
        const Token& token = tokens_[i];
        if (token.isSymbol("(")) ++depth;
        if (token.isSymbol(")")) --depth;
        if (depth == 0 && i > clauseToken_ &&
            (token.is("order") || token.is("group") || token.is("having") || token.isSymbol(";"))) {
            end = token.start;
            break;
        }
    }
    std::size_t start = tokens_[clauseToken_].start;
    std::string_view text = sql_.substr(start, end > start ? end - start : 0);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return errors::missingOperator(text);
}

void ExpressionParser::startClause() { clauseToken_ = position_; }

std::size_t ExpressionParser::levelEnd(std::size_t from) const {
    int depth = 0;
    for (std::size_t i = from; i < tokens_.size(); ++i) {
        if (tokens_[i].isSymbol("(")) ++depth;
        if (tokens_[i].isSymbol(")") && --depth < 0) return i;
    }
    return tokens_.size() - 1;
}

Source ExpressionParser::tableSource(const TableSchema& table, const std::string& alias) const {
    Source source;
    source.table = &table;
    source.alias = alias.empty() ? table.name : alias;
    source.qualifier = schema::quotedName(alias.empty() ? table.sqliteName : alias);
    return source;
}

Expr ExpressionParser::columnRef(const Source& source, int sourceIndex, int index) const {
    const ColumnSchema& column = source.columns()[static_cast<std::size_t>(index)];
    Expr expr;
    expr.sql = source.qualifier + "." +
               (source.table ? schema::quotedName(column.name) : source.sqlNames[static_cast<std::size_t>(index)]);
    expr.cls = clsOf(column.type);
    if (expr.cls == Cls::Boolean) expr.cls = Cls::Number;  // a Yes/No column compares as -1 or 0
    expr.source = sourceIndex;
    expr.column = index;
    expr.schema = &column;
    expr.jetType = column.type;
    expr.scale = column.scale;
    return expr;
}

Expr ExpressionParser::expression() { return orExpr(); }

Expr ExpressionParser::orExpr() {
    Expr left = andExpr();
    while (accept("or")) left = logical(left, "OR", andExpr());
    return left;
}

Expr ExpressionParser::andExpr() {
    Expr left = notExpr();
    while (accept("and")) left = logical(left, "AND", notExpr());
    return left;
}

Expr ExpressionParser::logical(const Expr& left, const char* op, const Expr& right) {
    Expr expr;
    expr.sql = "(" + left.sql + " " + op + " " + right.sql + ")";
    expr.cls = Cls::Boolean;
    expr.aggregate = left.aggregate || right.aggregate;
    return expr;
}

Expr ExpressionParser::notExpr() {
    if (accept("not")) {
        Expr inner = notExpr();
        inner.sql = "(NOT " + inner.sql + ")";
        inner.cls = Cls::Boolean;
        inner.column = -1;
        inner.literal = false;
        return inner;
    }
    return comparison();
}

void ExpressionParser::checkComparable(const Expr& a, const Expr& b) {
    auto mismatch = [](const Expr& column, const Expr& literal) {
        if (!column.schema || !literal.literal) return false;
        if (literal.cls == Cls::Text) return column.cls != Cls::Text;
        if (literal.cls == Cls::Number) return column.cls == Cls::Text;
        return false;
    };
    if (mismatch(a, b) || mismatch(b, a)) throw errors::typeMismatch();
}

std::string ExpressionParser::collated(const Expr& left, const Expr& right) {
    return left.cls == Cls::Text || right.cls == Cls::Text ? left.sql + " COLLATE NOCASE" : left.sql;
}

Expr ExpressionParser::boolean(std::string sql, bool aggregate) {
    Expr expr;
    expr.sql = std::move(sql);
    expr.cls = Cls::Boolean;
    expr.aggregate = aggregate;
    return expr;
}

Expr ExpressionParser::comparison() {
    Expr left = concatenation();
    static const char* const operators[] = {"=", "<>", "<", ">", "<=", ">="};
    for (const char* op : operators) {
        if (acceptSymbol(op)) {
            if ((peek().is("any") || peek().is("all") || peek().is("some")) && peek(1).isSymbol("(")) {
                throw errors::notSupported(peek().text + " before a subquery");
            }
            Expr right = concatenation();
            checkComparable(left, right);
            return boolean("(" + collated(left, right) + " " + op + " " + right.sql + ")",
                           left.aggregate || right.aggregate);
        }
    }
    const bool negated = accept("not");
    if (accept("like")) {
        const Token& patternToken = peek();
        Expr pattern = concatenation();
        bool plain = false;
        if (pattern.literal && patternToken.type == Token::Type::Text) {
            auto parsed = LikePattern::parse(patternToken.text);
            if (!parsed) throw errors::syntax("Invalid pattern string.");
            plain = parsed->plain();
        }
        const std::string test = plain ? left.sql + " LIKE " + pattern.sql
                                       : std::string(kLikeFunction) + "(" + left.sql + ", " + pattern.sql + ")";
        return boolean(std::string(negated ? "(NOT " : "(") + test + ")", left.aggregate || pattern.aggregate);
    }
    if (accept("between")) {
        Expr low = concatenation();
        if (!accept("and")) throw clauseError();
        Expr high = concatenation();
        checkComparable(left, low);
        checkComparable(left, high);
        Expr reference = low.cls == Cls::Text ? low : high;
        return boolean("(" + collated(left, reference) + (negated ? " NOT BETWEEN " : " BETWEEN ") + low.sql + " AND " +
                           high.sql + ")",
                       left.aggregate);
    }
    if (accept("in")) {
        expectSymbol("(");
        if (peek().is("select")) {
            Expr inner = subqueryValue(true);
            expectSymbol(")");
            return boolean("(" + collated(left, inner) + (negated ? " NOT IN (" : " IN (") + inner.sql + "))",
                           left.aggregate);
        }
        if (peek().isSymbol(")")) throw clauseError();  // IN () is no list at all
        std::string list;
        bool text = false;
        do {
            Expr item = concatenation();
            checkComparable(left, item);
            text = text || item.cls == Cls::Text;
            list += (list.empty() ? "" : ", ") + item.sql;
        } while (acceptSymbol(","));
        expectSymbol(")");
        Expr reference;
        reference.cls = text ? Cls::Text : Cls::Unknown;
        return boolean("(" + collated(left, reference) + (negated ? " NOT IN (" : " IN (") + list + "))",
                       left.aggregate);
    }
    if (negated) throw clauseError();
    if (accept("is")) {
        const bool isNot = accept("not");
        if (!accept("null")) throw clauseError();
        return boolean("(" + left.sql + (isNot ? " IS NOT NULL)" : " IS NULL)"), left.aggregate);
    }
    return left;
}

std::string ExpressionParser::asText(const Expr& expr) {
    int kind = 0;
    if (expr.cls == Cls::Date)
        kind = 2;
    else if (expr.jetType == JetType::Single)
        kind = 1;
    return std::string(kTextFunction) + "(" + expr.sql + ", " + std::to_string(kind) + ")";
}

Expr ExpressionParser::concatenation() {
    Expr left = additive();
    while (acceptSymbol("&")) {
        Expr right = additive();
        Expr expr;
        expr.sql = "(" + asText(left) + " || " + asText(right) + ")";
        expr.cls = Cls::Text;
        expr.aggregate = left.aggregate || right.aggregate;
        left = expr;
    }
    return left;
}

Expr ExpressionParser::arithmetic(std::string sql, const Expr& left, const Expr& right, Cls cls) {
    Expr expr;
    expr.sql = std::move(sql);
    expr.cls = cls;
    expr.aggregate = left.aggregate || right.aggregate;
    return expr;
}

Expr ExpressionParser::additive() {
    Expr left = modulo();
    while (peek().isSymbol("+") || peek().isSymbol("-")) {
        const std::string op = next().text;
        Expr right = modulo();
        if (op == "+" && left.cls == Cls::Text && right.cls == Cls::Text) {
            left = arithmetic("(" + left.sql + " || " + right.sql + ")", left, right, Cls::Text);
        } else {
            Cls cls = (left.cls == Cls::Date || right.cls == Cls::Date) && op == "+" ? Cls::Date : Cls::Number;
            left = arithmetic("(" + left.sql + " " + op + " " + right.sql + ")", left, right, cls);
        }
    }
    return left;
}

// Mod and \ round both sides to whole numbers first, as Jet does.
Expr ExpressionParser::wholeArithmetic(const Expr& left, const char* op, const Expr& right) {
    return arithmetic("(CAST(round(" + left.sql + ") AS INTEGER) " + op + " CAST(round(" + right.sql + ") AS INTEGER))",
                      left, right);
}

Expr ExpressionParser::modulo() {
    Expr left = integerDivision();
    while (accept("mod")) left = wholeArithmetic(left, "%", integerDivision());
    return left;
}

Expr ExpressionParser::integerDivision() {
    Expr left = multiplicative();
    while (acceptSymbol("\\")) left = wholeArithmetic(left, "/", multiplicative());
    return left;
}

Expr ExpressionParser::multiplicative() {
    Expr left = unary();
    while (peek().isSymbol("*") || peek().isSymbol("/")) {
        const std::string op = next().text;
        Expr right = unary();
        left = op == "*" ? arithmetic("(" + left.sql + " * " + right.sql + ")", left, right)
                         : arithmetic("(CAST(" + left.sql + " AS REAL) / " + right.sql + ")", left, right);
    }
    return left;
}

Expr ExpressionParser::unary() {
    if (acceptSymbol("-")) {
        Expr inner = unary();
        inner.sql = "(-" + inner.sql + ")";
        inner.column = -1;
        if (inner.cls != Cls::Date) inner.cls = Cls::Number;
        return inner;
    }
    if (acceptSymbol("+")) return unary();
    return power();
}

// ^ binds tighter than a sign in Jet: -2^2 is -4.
Expr ExpressionParser::power() {
    Expr left = primary();
    while (acceptSymbol("^")) {
        Expr right = peek().isSymbol("-") || peek().isSymbol("+") ? unary() : primary();
        left = arithmetic(std::string(kPowerFunction) + "(" + left.sql + ", " + right.sql + ")", left, right);
    }
    return left;
}

// A query in parentheses used as a value; `position_` is at SELECT.
Expr ExpressionParser::subqueryValue(bool oneColumn) {
    QuerySql query = subquery();
    if (oneColumn && query.columns.size() != 1) {
        throw errors::engine(
            "You have written a subquery that can return more than one field without using the EXISTS reserved "
            "word in the main query's FROM clause.  Revise the SELECT statement of the subquery to request only "
            "one field.");
    }
    Expr expr;
    expr.sql = query.sql;
    if (oneColumn) {
        expr.cls = clsOf(query.columns[0].type);
        if (query.items[0].cls == Cls::Unknown && !query.items[0].jetType) expr.cls = Cls::Unknown;
        expr.jetType = query.columns[0].type;
        expr.scale = query.columns[0].scale;
    }
    return expr;
}

Expr ExpressionParser::primary() {
    const Token& token = peek();
    Expr expr;
    switch (token.type) {
    case Token::Type::Number:
        next();
        expr.sql = token.text;
        expr.cls = Cls::Number;
        expr.literal = true;
        return expr;
    case Token::Type::Text:
        next();
        expr.sql = quoteText(token.text);
        expr.cls = Cls::Text;
        expr.literal = true;
        return expr;
    case Token::Type::Date: {
        next();
        auto ole = parseDateText(token.text, true);
        if (!ole) {
            throw errors::syntax("Syntax error in date in query expression '" +
                                 std::string(sql_.substr(token.start, token.end - token.start)) + "'.");
        }
        expr.sql = numberLiteral(*ole);
        expr.cls = Cls::Date;
        expr.literal = true;
        return expr;
    }
    case Token::Type::Symbol:
        if (acceptSymbol("?")) return nextParameterValue();
        if (acceptSymbol("(")) {
            if (peek().is("select")) {
                Expr inner = subqueryValue(true);
                expectSymbol(")");
                // A subquery used as a value must find one row at most, or Jet refuses the query.
                inner.sql =
                    "(SELECT CASE WHEN count(*) > 1 THEN tabulon_more_than_one_row() ELSE min(\"tabulon.0\") "
                    "END FROM (" +
                    inner.sql + "))";
                if (inner.cls == Cls::Boolean) inner.cls = Cls::Number;
                return inner;
            }
            Expr inner = expression();
            expectSymbol(")");
            inner.sql = "(" + inner.sql + ")";
            return inner;
        }
        throw clauseError();
    case Token::Type::End: throw clauseError();
    case Token::Type::Name:
        if (token.is("true") || token.is("false") || token.is("yes") || token.is("no")) {
            next();
            expr.sql = token.is("true") || token.is("yes") ? "-1" : "0";
            expr.cls = Cls::Number;
            expr.literal = true;
            return expr;
        }
        if (token.is("null")) {
            next();
            expr.sql = "NULL";
            expr.literal = true;
            return expr;
        }
        if (token.is("exists") && peek(1).isSymbol("(") && peek(2).is("select")) {
            next();
            next();
            Expr inner = subqueryValue(false);
            expectSymbol(")");
            return boolean("(EXISTS (" + inner.sql + "))", false);
        }
        if (token.is("@@identity")) {
            next();
            expr.sql = "last_insert_rowid()";
            expr.cls = Cls::Number;
            expr.jetType = JetType::Long;
            return expr;
        }
        if (peek(1).isSymbol("(") && !token.is("not") && !token.is("in")) return function();
        if (isReserved(token)) throw clauseError();
        break;
    case Token::Type::Bracketed: break;
    }
    return reference();
}

// A column, bare or qualified by its table's name or alias; the innermost query first.
// A name no table has is a parameter to Jet: filled from the command's values, if any.
Expr ExpressionParser::reference() {
    const std::size_t at = position_;
    std::string first = name();
    const bool qualified = acceptSymbol(".");
    const std::string columnName = qualified ? name() : first;
    for (std::size_t level = scopes_.size(); level-- > 0;) {
        const std::vector<Source>& sources = scopes_[level];
        const bool innermost = level + 1 == scopes_.size();
        std::optional<Expr> found;
        for (std::size_t s = 0; s < sources.size(); ++s) {
            if (qualified && !sameName(sources[s].alias, first)) continue;
            const auto& columns = sources[s].columns();
            for (std::size_t c = 0; c < columns.size(); ++c) {
                if (!sameName(columns[c].name, columnName)) continue;
                if (found) {
                    throw errors::engine("The specified field '" + columnName +
                                         "' could refer to more than one table listed in the FROM clause of your "
                                         "SQL statement.");
                }
                found = columnRef(sources[s], innermost ? static_cast<int>(s) : -1, static_cast<int>(c));
                if (!innermost) found->source = found->column = -1;
                break;
            }
        }
        if (found) return *found;
    }
    if (parameters_) {
        (void)at;
        return nextParameterValue();
    }
    throw errors::missingParameter();
}

// The next value the command passed, written as a literal of its kind.
Expr ExpressionParser::nextParameterValue() {
    // A `?` takes the value of its place in the text (clauses are read out of order); a name
    // takes the next value the first time it appears and the same value after that.
    std::size_t index = 0;
    const Token& marker = tokens_[position_ - 1];
    if (marker.isSymbol("?")) {
        for (std::size_t i = 0; i + 1 < position_; ++i) index += tokens_[i].isSymbol("?") ? 1 : 0;
    } else {
        const std::string key = foldName(marker.text);
        auto known = namedParameters_.find(key);
        index = known != namedParameters_.end() ? known->second : namedParameters_.size();
        namedParameters_.emplace(key, index);
    }
    if (!parameters_ || index >= parameters_->size()) throw errors::missingParameter();
    const Value& value = (*parameters_)[index];
    Expr expr;
    switch (value.kind) {
    case Value::Kind::Empty:
    case Value::Kind::Null: expr.sql = "NULL"; break;
    case Value::Kind::Boolean:
        expr.sql = value.boolean ? "-1" : "0";
        expr.cls = Cls::Number;
        break;
    case Value::Kind::Byte:
    case Value::Kind::Integer:
    case Value::Kind::Long:
        expr.sql = std::to_string(value.integer);
        expr.cls = Cls::Number;
        break;
    case Value::Kind::Single:
    case Value::Kind::Double:
        expr.sql = numberLiteral(value.number);
        expr.cls = Cls::Number;
        break;
    case Value::Kind::Decimal:
        expr.sql = numberLiteral(parseNumberText(value.text).value_or(0));
        expr.cls = Cls::Number;
        break;
    case Value::Kind::Date:
        expr.sql = numberLiteral(value.number);
        expr.cls = Cls::Date;
        break;
    case Value::Kind::Text:
        expr.sql = quoteText(value.text);
        expr.cls = Cls::Text;
        break;
    }
    return expr;
}

}  // namespace tabulon::preview::ado::sql
