#pragma once
// Tokens of Access (Jet) SQL: names (bare, with Chinese letters, or [bracketed]),
// numbers, 'text' and "text" literals, #date# literals and operator symbols.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tabulon::preview::ado::sql {

struct Token {
    enum class Type { End, Name, Bracketed, Number, Text, Date, Symbol };
    Type type = Type::End;
    std::string text;       // the name, the literal's content, or the symbol
    std::size_t start = 0;  // offsets in the statement
    std::size_t end = 0;

    // A bare name equal to `word`, ignoring ASCII case.
    bool is(std::string_view word) const;
    bool isSymbol(std::string_view symbol) const { return type == Type::Symbol && text == symbol; }
};

// Throws AdoError (syntax) for an unterminated literal or a character Jet does not know.
std::vector<Token> tokenize(std::string_view statement);

}  // namespace tabulon::preview::ado::sql
