#pragma once
// Jet expressions read from a statement's tokens and written as SQLite over the working copy:
// the part of the translation every kind of statement shares. Internal to the ADO core.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "preview/ado/ado.h"
#include "preview/ado/catalog.h"
#include "preview/ado/sql_lexer.h"

namespace tabulon::preview::ado::sql {

// What an expression holds, as far as the query text tells.
enum class Cls { Unknown, Text, Number, Date, Boolean };

struct Expr {
    std::string sql;
    Cls cls = Cls::Unknown;
    bool literal = false;
    int source = -1;                       // a plain column: the source in the innermost query that holds it
    int column = -1;                       // and its index there
    const ColumnSchema* schema = nullptr;  // a plain column's description
    bool aggregate = false;
    std::optional<JetType> jetType;  // the column type the value has (a column, or Min/Max of one)
    int scale = 0;
};

// A table or a derived table a query reads, under the name the query gives it.
struct Source {
    const TableSchema* table = nullptr;  // null for a derived table
    std::vector<ColumnSchema> derived;   // a derived table's columns
    std::vector<std::string> sqlNames;   // their names in the SQL written for it
    std::string alias;                   // the name the query uses
    std::string qualifier;               // that name as an SQLite identifier

    const std::vector<ColumnSchema>& columns() const { return table ? table->columns : derived; }
};

// A text as an SQLite string literal.
std::string quoteText(std::string_view text);
// A number as an SQLite literal that reads back exactly.
std::string numberLiteral(double value);
// The SQL kind a column's values belong to.
Cls clsOf(JetType type);

// A query written as SQLite: every output column is named "tabulon.<n>".
struct QuerySql {
    std::string sql;
    std::vector<ColumnSchema> columns;  // the output columns as Jet names and types them
    std::vector<Expr> items;            // how each was computed
};

class ExpressionParser {
public:
    ExpressionParser(std::string_view sql, const Catalog& catalog, const std::vector<Value>* parameters);
    virtual ~ExpressionParser() = default;

protected:
    // The tokens.
    const Token& peek(std::size_t ahead = 0) const;
    const Token& next();
    bool accept(std::string_view word);
    bool acceptSymbol(std::string_view symbol);
    void expectSymbol(std::string_view symbol);
    bool isName(const Token& token) const;
    std::string name();
    void expectEnd();
    // The clause being read, for messages: up to the next clause at the same level.
    AdoError clauseError() const;
    void startClause();
    // The token that ends the query level at `from`: its closing parenthesis or the end.
    std::size_t levelEnd(std::size_t from) const;

    // The queries being read, innermost last; a subquery sees the sources of those around it.
    std::vector<Source>& scope() { return scopes_.back(); }
    void pushScope() { scopes_.emplace_back(); }
    void popScope() { scopes_.pop_back(); }
    Source tableSource(const TableSchema& table, const std::string& alias) const;
    Expr columnRef(const Source& source, int sourceIndex, int index) const;
    // A column, bare or qualified by its table's name or alias.
    Expr reference();

    Expr expression();
    // A query in parentheses; `position_` is at SELECT. Implemented by the statement reader.
    virtual QuerySql subquery() = 0;

    std::string_view sql_;
    std::vector<Token> tokens_;
    const Catalog& catalog_;
    std::size_t position_ = 0;
    std::size_t clauseToken_ = 0;
    std::vector<std::vector<Source>> scopes_;
    const std::vector<Value>* parameters_ = nullptr;      // values for `?`, in order
    std::map<std::string, std::size_t> namedParameters_;  // a name's place among the values

    Expr comparison();
    static Expr boolean(std::string sql, bool aggregate);
    static std::string asText(const Expr& expr);

private:
    // Lowest precedence first.
    Expr orExpr();
    Expr andExpr();
    Expr logical(const Expr& left, const char* op, const Expr& right);
    Expr notExpr();
    static void checkComparable(const Expr& a, const Expr& b);
    static std::string collated(const Expr& left, const Expr& right);
    Expr concatenation();
    static Expr arithmetic(std::string sql, const Expr& left, const Expr& right, Cls cls = Cls::Number);
    Expr additive();
    // Mod and \ round both sides to whole numbers first, as Jet does.
    static Expr wholeArithmetic(const Expr& left, const char* op, const Expr& right);
    Expr modulo();
    Expr integerDivision();
    Expr multiplicative();
    Expr unary();
    Expr power();
    Expr primary();
    Expr parameter();
    Expr subqueryValue(bool oneColumn);
    Expr nextParameterValue();

    // Jet's functions (sql_function_call.cpp, sql_date_functions.cpp).
    std::vector<Expr> arguments(std::string_view function, std::size_t least, std::size_t most);
    Expr function();
    // The VBA functions Jet's expression service lends to queries.
    bool vbaFunction(const std::string& lower, const std::string& functionName, Expr& expr);
    bool moreFunction(const std::string& lower, const std::string& functionName, Expr& expr);
};

}  // namespace tabulon::preview::ado::sql
