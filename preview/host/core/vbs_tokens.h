#pragma once
// A light VBScript tokenizer for the rewriting passes: it knows strings, comments, date
// literals, brackets and statement ends well enough to find constructs, and keeps every
// token's byte range so that edits can be made in place.
#include <string>
#include <string_view>
#include <vector>

namespace tabulon::preview::host {

struct VbsToken {
    enum Kind { Identifier, Number, String, Dot, Open, Close, Comma, Equals, Other, StatementEnd } kind;
    std::size_t begin;
    std::size_t end;
    bool spaceBefore = false;  // white space (or a line continuation) right before it
};

// Tokens of `code`; statement ends are ':' and line ends (not continued lines).
std::vector<VbsToken> tokenizeVbs(std::string_view code);

// The lower-case text of an identifier token, "" for any other token.
std::string lowerWord(std::string_view code, const VbsToken& token);

}  // namespace tabulon::preview::host
