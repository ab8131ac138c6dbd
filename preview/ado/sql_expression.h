#pragma once
// Jet expressions read from a statement's tokens and written as SQLite over the working copy:
// the part of the translation every kind of statement shares. Internal to the ADO core.
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
    int column = -1;  // a plain column of the table
    bool aggregate = false;
    std::optional<JetType> jetType;  // the column type the value has (a column, or Min/Max of one)
    int scale = 0;
};

// A text as an SQLite string literal.
std::string quoteText(std::string_view text);

class ExpressionParser {
public:
    ExpressionParser(std::string_view sql, const Catalog& catalog);

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

    // The one table a statement names; columns of it.
    void table(bool allowAlias);
    Expr columnRef(const ColumnSchema& column, int index) const;
    // A column, bare or qualified by the table's name or alias.
    Expr reference();

    Expr expression();

    std::string_view sql_;
    std::vector<Token> tokens_;
    const Catalog& catalog_;
    std::size_t position_ = 0;
    std::size_t clauseToken_ = 0;
    const TableSchema* table_ = nullptr;
    std::string alias_;
    std::string qualifier_;
    std::string fromSql_;

private:
    // Lowest precedence first.
    Expr orExpr();
    Expr andExpr();
    Expr logical(const Expr& left, const char* op, const Expr& right);
    Expr notExpr();
    static void checkComparable(const Expr& a, const Expr& b);
    static std::string collated(const Expr& left, const Expr& right);
    static Expr boolean(std::string sql, bool aggregate);
    Expr comparison();
    static std::string asText(const Expr& expr);
    Expr concatenation();
    static Expr arithmetic(std::string sql, const Expr& left, const Expr& right, Cls cls = Cls::Number);
    Expr additive();
    // Mod and \ round both sides to whole numbers first, as Jet does.
    static Expr wholeArithmetic(const Expr& left, const char* op, const Expr& right);
    Expr modulo();
    Expr integerDivision();
    Expr multiplicative();
    Expr unary();
    Expr primary();

    // Jet's functions (sql_function_call.cpp).
    std::vector<Expr> arguments(std::string_view function, std::size_t least, std::size_t most);
    Expr function();
};

}  // namespace tabulon::preview::ado::sql
