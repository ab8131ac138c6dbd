#include "builtin_rewriter.h"

#include <cctype>
#include <vector>

#include "base/ascii_text.h"

namespace tabulon::preview::host {
namespace {

bool identStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool identPart(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

std::string lower(std::string_view text) { return asciiLowered(text); }

struct Token {
    enum Kind { Identifier, Dot, Other, LineEnd } kind;
    std::size_t begin;
    std::size_t end;
};

// Splits code into the tokens the rewriter cares about, skipping strings, comments and dates.
std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> out;
    std::size_t i = 0;
    auto skipToLineEnd = [&] {
        while (i < s.size() && s[i] != '\n' && s[i] != '\r') ++i;
    };
    while (i < s.size()) {
        char c = s[i];
        if (c == '"') {
            ++i;
            while (i < s.size() && s[i] != '\n') {
                if (s[i] == '"') {
                    if (i + 1 < s.size() && s[i + 1] == '"') {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
            out.push_back({Token::Other, i, i});
        } else if (c == '\'') {
            skipToLineEnd();
        } else if (c == '#') {
            std::size_t close = s.find_first_of("#\n", i + 1);
            i = (close == std::string_view::npos || s[close] == '\n') ? i + 1 : close + 1;
            out.push_back({Token::Other, i, i});
        } else if (c == '\n' || c == ':') {
            out.push_back({Token::LineEnd, i, i + 1});
            ++i;
        } else if (c == '.') {
            out.push_back({Token::Dot, i, i + 1});
            ++i;
        } else if (c == '[') {
            std::size_t close = s.find_first_of("]\n", i);
            i = close == std::string_view::npos ? s.size() : close + 1;
            out.push_back({Token::Other, i, i});
        } else if (identStart(c)) {
            std::size_t start = i;
            while (i < s.size() && identPart(s[i])) ++i;
            if (lower(s.substr(start, i - start)) == "rem") {
                skipToLineEnd();
                continue;
            }
            out.push_back({Token::Identifier, start, i});
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '_') {
            ++i;  // line continuation
        } else {
            out.push_back({Token::Other, i, i + 1});
            ++i;
        }
    }
    return out;
}

bool isDefinitionKeyword(const std::string& word) {
    return word == "function" || word == "sub" || word == "get" || word == "let" || word == "set" || word == "dim" ||
           word == "const" || word == "class" || word == "redim" || word == "private" || word == "public";
}

}  // namespace

std::string rewriteBuiltins(std::string_view script, const std::set<std::string>& names, std::string_view object) {
    if (names.empty()) return std::string(script);
    std::vector<Token> tokens = tokenize(script);

    // A page that defines a procedure of the same name means its own procedure; a class's
    // method of that name is reached only as a member and changes nothing.
    std::set<std::string> own;
    bool inClass = false;
    auto wordAt = [&](std::size_t k) {
        return tokens[k].kind == Token::Identifier
                   ? lower(script.substr(tokens[k].begin, tokens[k].end - tokens[k].begin))
                   : std::string();
    };
    for (std::size_t k = 0; k + 1 < tokens.size(); ++k) {
        std::string word = wordAt(k);
        std::string next = wordAt(k + 1);
        if (word == "class" && (k == 0 || tokens[k - 1].kind == Token::LineEnd)) inClass = true;
        if (word == "end" && next == "class") inClass = false;
        if (!inClass && !next.empty() && (word == "function" || word == "sub") && (k == 0 || wordAt(k - 1) != "end"))
            own.insert(next);
    }

    std::string out;
    out.reserve(script.size() + 256);
    std::size_t copied = 0;
    inClass = false;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        if (t.kind != Token::Identifier) continue;
        std::string word = lower(script.substr(t.begin, t.end - t.begin));
        // Inside a class a name may be one of its members: leave class bodies alone.
        if (word == "class" && (k == 0 || tokens[k - 1].kind == Token::LineEnd)) inClass = true;
        if (word == "class" && k > 0 && wordAt(k - 1) == "end") inClass = false;
        if (inClass) continue;
        if (!names.count(word) || own.count(word)) continue;
        if (k > 0 && tokens[k - 1].kind == Token::Dot) continue;
        if (k > 0 && tokens[k - 1].kind == Token::Identifier &&
            isDefinitionKeyword(lower(script.substr(tokens[k - 1].begin, tokens[k - 1].end - tokens[k - 1].begin))))
            continue;
        out.append(script.substr(copied, t.begin - copied));
        out.append(object);
        out += '.';
        copied = t.begin;
    }
    out.append(script.substr(copied));
    return out;
}

}  // namespace tabulon::preview::host
