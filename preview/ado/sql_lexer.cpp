#include "preview/ado/sql_lexer.h"

#include "preview/ado/catalog.h"
#include "preview/ado/errors.h"

namespace tabulon::preview::ado::sql {

bool Token::is(std::string_view word) const { return type == Type::Name && sameName(text, word); }

namespace {

bool isNameStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80; }
bool isNamePart(unsigned char c) { return isNameStart(c) || (c >= '0' && c <= '9'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A quoted literal starting at `at` (the quote); a doubled quote stands for one.
std::size_t readQuoted(std::string_view sql, std::size_t at, std::string& content) {
    const char quote = sql[at];
    std::size_t i = at + 1;
    while (true) {
        if (i >= sql.size()) {
            throw errors::syntax("Syntax error in string in query expression '" + std::string(sql.substr(at)) + "'.");
        }
        if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                content += quote;
                i += 2;
                continue;
            }
            return i + 1;
        }
        content += sql[i++];
    }
}

}  // namespace

std::vector<Token> tokenize(std::string_view sql) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < sql.size()) {
        const unsigned char c = static_cast<unsigned char>(sql[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        Token token;
        token.start = i;
        if (c == '@' && i + 2 < sql.size() && sql[i + 1] == '@' &&
            isNameStart(static_cast<unsigned char>(sql[i + 2]))) {
            std::size_t j = i + 2;  // @@IDENTITY
            while (j < sql.size() && isNamePart(static_cast<unsigned char>(sql[j]))) ++j;
            token.type = Token::Type::Name;
            token.text = std::string(sql.substr(i, j - i));
            i = j;
        } else if (isNameStart(c)) {
            std::size_t j = i;
            while (j < sql.size() && isNamePart(static_cast<unsigned char>(sql[j]))) ++j;
            if (j < sql.size() && sql[j] == '$' && j + 1 < sql.size() && sql[j + 1] == '(') ++j;  // Left$( as Left(
            token.type = Token::Type::Name;
            token.text = std::string(sql.substr(i, j - i));
            i = j;
        } else if (c == '[') {
            std::size_t close = sql.find(']', i + 1);
            if (close == std::string_view::npos) {
                throw errors::syntax("Invalid bracketing of name '" + std::string(sql.substr(i)) + "'.");
            }
            token.type = Token::Type::Bracketed;
            token.text = std::string(sql.substr(i + 1, close - i - 1));
            if (token.text.empty()) throw errors::syntax("Invalid bracketing of name '[]'.");
            for (char n : token.text) {
                if (static_cast<unsigned char>(n) < 0x20) {  // Jet's names hold no control characters
                    throw errors::syntax("Invalid bracketing of name '" + std::string(sql.substr(i, close - i + 1)) +
                                         "'.");
                }
            }
            i = close + 1;
        } else if (isDigit(static_cast<char>(c)) || (c == '.' && i + 1 < sql.size() && isDigit(sql[i + 1]))) {
            std::size_t j = i;
            while (j < sql.size() && isDigit(sql[j])) ++j;
            if (j < sql.size() && sql[j] == '.') {
                ++j;
                while (j < sql.size() && isDigit(sql[j])) ++j;
            }
            if (j < sql.size() && (sql[j] == 'e' || sql[j] == 'E')) {
                std::size_t k = j + 1;
                if (k < sql.size() && (sql[k] == '+' || sql[k] == '-')) ++k;
                if (k < sql.size() && isDigit(sql[k])) {
                    while (k < sql.size() && isDigit(sql[k])) ++k;
                    j = k;
                }
            }
            token.type = Token::Type::Number;
            token.text = std::string(sql.substr(i, j - i));
            i = j;
        } else if (c == '\'' || c == '"') {
            token.type = Token::Type::Text;
            i = readQuoted(sql, i, token.text);
        } else if (c == '#') {
            std::size_t close = sql.find('#', i + 1);
            if (close == std::string_view::npos) {
                throw errors::syntax("Syntax error in date in query expression '" + std::string(sql.substr(i)) + "'.");
            }
            token.type = Token::Type::Date;
            token.text = std::string(sql.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            static const char* const twoCharacter[] = {"<>", "<=", ">="};
            token.type = Token::Type::Symbol;
            for (const char* symbol : twoCharacter) {
                if (sql.substr(i, 2) == symbol) token.text = symbol;
            }
            if (token.text.empty()) {
                if (std::string_view("=<>+-*/\\&(),.;^?").find(static_cast<char>(c)) == std::string_view::npos) {
                    throw errors::syntax("Invalid character in query expression '" + std::string(sql.substr(i)) + "'.");
                }
                token.text = std::string(1, static_cast<char>(c));
            }
            i += token.text.size();
        }
        token.end = i;
        tokens.push_back(std::move(token));
    }
    Token end;
    end.start = end.end = sql.size();
    tokens.push_back(end);
    return tokens;
}

}  // namespace tabulon::preview::ado::sql
