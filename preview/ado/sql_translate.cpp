#include "preview/ado/sql_translate.h"

#include <charconv>
#include <optional>

#include "preview/ado/errors.h"
#include "preview/ado/jet_values.h"
#include "preview/ado/like_pattern.h"
#include "preview/ado/sql_lexer.h"
#include "preview/ado/working_copy_schema.h"

namespace tabulon::preview::ado::sql {
namespace {

// What an expression holds, as far as the query text tells.
enum class Cls { Unknown, Text, Number, Date, Boolean };

struct Expr {
    std::string sql;
    Cls cls = Cls::Unknown;
    bool literal = false;
    int column = -1;  // a plain column of the table
    bool aggregate = false;
    std::optional<JetType> jetType;  // the column type the value has (a column, or Min/Max of one)
    int scale = 0;
};

std::string quoteText(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += '\'';
        quoted += c;
    }
    return quoted + "'";
}

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
    default: return Cls::Number;
    }
}

bool isReserved(const Token& token) {
    static const char* const words[] = {"select", "from",  "where", "and",   "or",     "not",  "in",
                                        "like",   "between", "is",  "order", "group",  "by",   "having",
                                        "as",     "on",    "join",  "union", "distinct", "top", "into",
                                        "values", "set",   "asc",   "desc",  "inner",  "left", "right"};
    if (token.type != Token::Type::Name) return false;
    for (const char* word : words) {
        if (token.is(word)) return true;
    }
    return false;
}

class Parser {
public:
    Parser(std::string_view sql, const Catalog& catalog) : sql_(sql), tokens_(tokenize(sql)), catalog_(catalog) {}

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
    // ---- tokens
    const Token& peek(std::size_t ahead = 0) const {
        return tokens_[std::min(position_ + ahead, tokens_.size() - 1)];
    }
    const Token& next() {
        const Token& token = peek();
        if (position_ < tokens_.size() - 1) ++position_;
        return token;
    }
    bool accept(std::string_view word) {
        if (!peek().is(word)) return false;
        next();
        return true;
    }
    bool acceptSymbol(std::string_view symbol) {
        if (!peek().isSymbol(symbol)) return false;
        next();
        return true;
    }
    void expectSymbol(std::string_view symbol) {
        if (!acceptSymbol(symbol)) throw clauseError();
    }
    bool isName(const Token& token) const {
        return token.type == Token::Type::Bracketed || (token.type == Token::Type::Name && !isReserved(token));
    }
    std::string name() {
        if (!isName(peek())) throw clauseError();
        return next().text;
    }
    void expectEnd() {
        if (acceptSymbol(";") && peek().type != Token::Type::End) {
            throw errors::syntax("Characters found after end of SQL statement.");
        }
        if (peek().type != Token::Type::End) throw clauseError();
    }

    // The clause being read, for messages: up to the next clause at the same level.
    AdoError clauseError() const {
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
    void startClause() { clauseToken_ = position_; }

    // ---- the table
    void table(bool allowAlias) {
        if (peek().isSymbol("(")) throw errors::notSupported("subqueries");
        if (!isName(peek())) throw errors::fromClause();
        const Token& token = next();
        table_ = catalog_.find(token.text);
        if (!table_) throw errors::unknownTable(token.text);
        alias_ = table_->name;
        qualifier_ = schema::quotedName(table_->sqliteName);
        fromSql_ = qualifier_;
        if (allowAlias && (accept("as") || isName(peek()))) {
            if (!isName(peek())) throw errors::fromClause();
            alias_ = next().text;
            qualifier_ = schema::quotedName(alias_);
            fromSql_ += " AS " + qualifier_;
        }
        if (peek().isSymbol(",") || peek().is("inner") || peek().is("left") || peek().is("right") ||
            peek().is("join")) {
            throw errors::notSupported("queries over more than one table");
        }
    }

    Expr columnRef(const ColumnSchema& column, int index) const {
        Expr expr;
        expr.sql = qualifier_ + "." + schema::quotedName(column.name);
        expr.cls = clsOf(column.type);
        expr.column = index;
        expr.jetType = column.type;
        expr.scale = column.scale;
        return expr;
    }

    // ---- expressions, lowest precedence first
    Expr expression() { return orExpr(); }

    Expr orExpr() {
        Expr left = andExpr();
        while (accept("or")) left = logical(left, "OR", andExpr());
        return left;
    }
    Expr andExpr() {
        Expr left = notExpr();
        while (accept("and")) left = logical(left, "AND", notExpr());
        return left;
    }
    Expr logical(const Expr& left, const char* op, const Expr& right) {
        Expr expr;
        expr.sql = "(" + left.sql + " " + op + " " + right.sql + ")";
        expr.cls = Cls::Boolean;
        expr.aggregate = left.aggregate || right.aggregate;
        return expr;
    }
    Expr notExpr() {
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

    static void checkComparable(const Expr& a, const Expr& b) {
        auto mismatch = [](const Expr& column, const Expr& literal) {
            if (column.column < 0 || !literal.literal) return false;
            if (literal.cls == Cls::Text) return column.cls != Cls::Text;
            if (literal.cls == Cls::Number) return column.cls == Cls::Text;
            return false;
        };
        if (mismatch(a, b) || mismatch(b, a)) throw errors::typeMismatch();
    }
    static std::string collated(const Expr& left, const Expr& right) {
        return left.cls == Cls::Text || right.cls == Cls::Text ? left.sql + " COLLATE NOCASE" : left.sql;
    }
    static Expr boolean(std::string sql, bool aggregate) {
        Expr expr;
        expr.sql = std::move(sql);
        expr.cls = Cls::Boolean;
        expr.aggregate = aggregate;
        return expr;
    }

    Expr comparison() {
        Expr left = concatenation();
        static const char* const operators[] = {"=", "<>", "<", ">", "<=", ">="};
        for (const char* op : operators) {
            if (acceptSymbol(op)) {
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
            return boolean("(" + collated(left, reference) + (negated ? " NOT BETWEEN " : " BETWEEN ") + low.sql +
                               " AND " + high.sql + ")",
                           left.aggregate);
        }
        if (accept("in")) {
            expectSymbol("(");
            if (peek().is("select")) throw errors::notSupported("subqueries");
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

    static std::string asText(const Expr& expr) {
        int kind = 0;
        if (expr.cls == Cls::Date) kind = 2;
        else if (expr.jetType == JetType::Single) kind = 1;
        return std::string(kTextFunction) + "(" + expr.sql + ", " + std::to_string(kind) + ")";
    }

    Expr concatenation() {
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

    static Expr arithmetic(std::string sql, const Expr& left, const Expr& right, Cls cls = Cls::Number) {
        Expr expr;
        expr.sql = std::move(sql);
        expr.cls = cls;
        expr.aggregate = left.aggregate || right.aggregate;
        return expr;
    }

    Expr additive() {
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
    static Expr wholeArithmetic(const Expr& left, const char* op, const Expr& right) {
        return arithmetic("(CAST(round(" + left.sql + ") AS INTEGER) " + op + " CAST(round(" + right.sql +
                              ") AS INTEGER))",
                          left, right);
    }
    Expr modulo() {
        Expr left = integerDivision();
        while (accept("mod")) left = wholeArithmetic(left, "%", integerDivision());
        return left;
    }
    Expr integerDivision() {
        Expr left = multiplicative();
        while (acceptSymbol("\\")) left = wholeArithmetic(left, "/", multiplicative());
        return left;
    }
    Expr multiplicative() {
        Expr left = unary();
        while (peek().isSymbol("*") || peek().isSymbol("/")) {
            const std::string op = next().text;
            Expr right = unary();
            left = op == "*" ? arithmetic("(" + left.sql + " * " + right.sql + ")", left, right)
                             : arithmetic("(CAST(" + left.sql + " AS REAL) / " + right.sql + ")", left, right);
        }
        return left;
    }
    Expr unary() {
        if (acceptSymbol("-")) {
            Expr inner = unary();
            inner.sql = "(-" + inner.sql + ")";
            inner.column = -1;
            if (inner.cls != Cls::Date) inner.cls = Cls::Number;
            return inner;
        }
        if (acceptSymbol("+")) return unary();
        Expr base = primary();
        if (peek().isSymbol("^")) throw errors::notSupported("the ^ operator");
        return base;
    }

    Expr primary() {
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
            if (acceptSymbol("(")) {
                Expr inner = expression();
                expectSymbol(")");
                inner.sql = "(" + inner.sql + ")";
                return inner;
            }
            throw clauseError();
        case Token::Type::End: throw clauseError();
        case Token::Type::Name:
            if (token.is("true") || token.is("false")) {
                next();
                expr.sql = token.is("true") ? "-1" : "0";
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
            if (peek(1).isSymbol("(") && !token.is("not") && !token.is("in")) return function();
            if (isReserved(token)) throw clauseError();
            break;
        case Token::Type::Bracketed: break;
        }
        return reference();
    }

    // A column, bare or qualified by the table's name or alias.
    Expr reference() {
        std::string first = name();
        std::string columnName = first;
        if (acceptSymbol(".")) {
            columnName = name();
            if (!table_ || !sameName(first, alias_)) throw errors::missingParameter();
        }
        if (!table_) throw errors::missingParameter();
        const int index = table_->columnIndex(columnName);
        if (index < 0) throw errors::missingParameter();
        return columnRef(table_->columns[static_cast<std::size_t>(index)], index);
    }

    std::vector<Expr> arguments(std::string_view function, std::size_t least, std::size_t most) {
        std::vector<Expr> args;
        expectSymbol("(");
        if (!peek().isSymbol(")")) {
            do {
                args.push_back(expression());
            } while (acceptSymbol(","));
        }
        expectSymbol(")");
        if (args.size() < least || args.size() > most) {
            throw errors::syntax("Wrong number of arguments used with function in query expression '" +
                                 std::string(function) + "'.");
        }
        return args;
    }

    Expr function() {
        const std::string functionName = next().text;
        const std::string lower = foldName(functionName);
        Expr expr;
        if (lower == "count" && peek(1).isSymbol("*")) {
            next();
            next();
            expectSymbol(")");
            expr.sql = "count(*)";
            expr.cls = Cls::Number;
            expr.aggregate = true;
            expr.jetType = JetType::Long;
            return expr;
        }
        if (lower == "count" || lower == "sum" || lower == "avg" || lower == "min" || lower == "max") {
            std::vector<Expr> args = arguments(functionName, 1, 1);
            expr.sql = lower + "(" + args[0].sql + ")";
            expr.aggregate = true;
            expr.cls = Cls::Number;
            if (lower == "count") expr.jetType = JetType::Long;
            if (lower == "min" || lower == "max") {
                expr.cls = args[0].cls;
                expr.jetType = args[0].jetType;
                expr.scale = args[0].scale;
            }
            return expr;
        }
        auto unaryText = [&](const char* sqliteName) {
            std::vector<Expr> args = arguments(functionName, 1, 1);
            expr.sql = std::string(sqliteName) + "(" + args[0].sql + ")";
            expr.cls = Cls::Text;
            expr.aggregate = args[0].aggregate;
            return expr;
        };
        if (lower == "ucase") return unaryText("upper");
        if (lower == "lcase") return unaryText("lower");
        if (lower == "trim") return unaryText("trim");
        if (lower == "ltrim") return unaryText("ltrim");
        if (lower == "rtrim") return unaryText("rtrim");
        if (lower == "len") {
            std::vector<Expr> args = arguments(functionName, 1, 1);
            expr.sql = "length(" + asText(args[0]) + ")";
            expr.cls = Cls::Number;
            return expr;
        }
        if (lower == "left" || lower == "right") {
            std::vector<Expr> args = arguments(functionName, 2, 2);
            expr.sql = lower == "left" ? "substr(" + args[0].sql + ", 1, " + args[1].sql + ")"
                                       : "(CASE WHEN " + args[1].sql + " <= 0 THEN '' ELSE substr(" + args[0].sql +
                                             ", -(" + args[1].sql + ")) END)";
            expr.cls = Cls::Text;
            return expr;
        }
        if (lower == "mid") {
            std::vector<Expr> args = arguments(functionName, 2, 3);
            expr.sql = "substr(" + args[0].sql + ", " + args[1].sql + (args.size() == 3 ? ", " + args[2].sql : "") + ")";
            expr.cls = Cls::Text;
            return expr;
        }
        if (lower == "instr") {
            std::vector<Expr> args = arguments(functionName, 2, 2);
            expr.sql = "instr(lower(" + args[0].sql + "), lower(" + args[1].sql + "))";
            expr.cls = Cls::Number;
            return expr;
        }
        if (lower == "abs") {
            std::vector<Expr> args = arguments(functionName, 1, 1);
            expr.sql = "abs(" + args[0].sql + ")";
            expr.cls = Cls::Number;
            return expr;
        }
        if (lower == "now" || lower == "date") {
            arguments(functionName, 0, 0);
            expr.sql = lower == "now" ? "(round((julianday('now', 'localtime') - 2415018.5) * 86400) / 86400.0)"
                                      : "(julianday('now', 'localtime', 'start of day') - 2415018.5)";
            expr.cls = Cls::Date;
            return expr;
        }
        static const std::pair<const char*, const char*> parts[] = {
            {"year", "%Y"}, {"month", "%m"}, {"day", "%d"}, {"hour", "%H"}, {"minute", "%M"}, {"second", "%S"}};
        for (const auto& [part, format] : parts) {
            if (lower == part) {
                std::vector<Expr> args = arguments(functionName, 1, 1);
                expr.sql = std::string("CAST(strftime('") + format + "', " + args[0].sql +
                           " + 2415018.5 + 0.000000005) AS INTEGER)";
                expr.cls = Cls::Number;
                return expr;
            }
        }
        if (lower == "iif") {
            std::vector<Expr> args = arguments(functionName, 3, 3);
            expr.sql = "(CASE WHEN " + args[0].sql + " THEN " + args[1].sql + " ELSE " + args[2].sql + " END)";
            expr.cls = args[1].cls == args[2].cls ? args[1].cls : Cls::Unknown;
            return expr;
        }
        if (lower == "isnull") {
            std::vector<Expr> args = arguments(functionName, 1, 1);
            return boolean("(" + args[0].sql + " IS NULL)", args[0].aggregate);
        }
        throw errors::undefinedFunction(functionName);
    }

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
        if (accept("distinct") || accept("distinctrow")) distinct = true;
        else accept("all");
        std::optional<long> top;
        if (accept("top")) {
            if (peek().type != Token::Type::Number || peek().text.find_first_not_of("0123456789") != std::string::npos) {
                throw errors::syntax("The SELECT statement includes a reserved word or an argument name that is "
                                     "misspelled or missing, or the punctuation is incorrect.");
            }
            top = std::stol(next().text);
            if (accept("percent")) throw errors::notSupported("TOP … PERCENT");
        }
        const std::size_t itemsStart = position_;
        const std::size_t from = findTopLevel("from");
        if (from >= tokens_.size()) {
            throw errors::syntax("The SELECT statement includes a reserved word or an argument name that is "
                                 "misspelled or missing, or the punctuation is incorrect.");
        }
        position_ = from + 1;
        table(true);

        std::string where, groupBy, having, orderBy;
        bool grouped = false;
        if (accept("where")) {
            startClause();
            Expr condition = expression();
            if (condition.aggregate) throw errors::syntax("Cannot have aggregate function in WHERE clause (" +
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
                if (accept("desc")) direction = " DESC";
                else accept("asc");
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
                               window + " AS \"tabulon.n\"" + rest + ") WHERE \"tabulon.r\" <= " +
                               std::to_string(*top) + " ORDER BY \"tabulon.n\"";
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
               std::to_string(column.scale) + ", " + (column.required ? "1" : "0") + ", " + quoteText(column.name) + ")";
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
                                         columnName + "'.  Make sure you have typed the name correctly, and try the "
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
            assignments += (assignments.empty() ? "" : ", ") + schema::quotedName(column.name) + " = " + stored(value, column);
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

    std::string_view sql_;
    std::vector<Token> tokens_;
    const Catalog& catalog_;
    std::size_t position_ = 0;
    std::size_t clauseToken_ = 0;
    const TableSchema* table_ = nullptr;
    std::string alias_;
    std::string qualifier_;
    std::string fromSql_;
};

}  // namespace

Translation translate(std::string_view accessSql, const Catalog& catalog) {
    return Parser(accessSql, catalog).run();
}

}  // namespace tabulon::preview::ado::sql
