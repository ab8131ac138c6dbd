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

    // A page that defines a procedure of the same name means its own procedure. Inside a class
    // a name may also be one of the class's own members (methods, properties, fields): there
    // the member wins, so each class body keeps its own list.
    std::set<std::string> own;
    std::vector<std::set<std::string>> classMembers;
    std::vector<int> classOf(tokens.size(), -1);
    auto wordAt = [&](std::size_t k) {
        return k < tokens.size() && tokens[k].kind == Token::Identifier
                   ? lower(script.substr(tokens[k].begin, tokens[k].end - tokens[k].begin))
                   : std::string();
    };
    auto statementStart = [&](std::size_t k) { return k == 0 || tokens[k - 1].kind == Token::LineEnd; };
    int current = -1;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        std::string word = wordAt(k);
        if (word == "class" && statementStart(k)) {
            current = static_cast<int>(classMembers.size());
            classMembers.emplace_back();
        } else if (word == "class" && k > 0 && wordAt(k - 1) == "end") {
            classOf[k] = current;
            current = -1;
            continue;
        }
        classOf[k] = current;
        std::string next = wordAt(k + 1);
        if (next.empty()) continue;
        bool procedure =
            (word == "function" || word == "sub") && (k == 0 || wordAt(k - 1) != "end" && wordAt(k - 1) != "exit");
        bool property = (word == "get" || word == "let" || word == "set") && k > 0 && wordAt(k - 1) == "property";
        bool field = (word == "public" || word == "private" || word == "dim") && statementStart(k) &&
                     next != "function" && next != "sub" && next != "property" && next != "default" && next != "const";
        if (current < 0) {
            if (procedure) own.insert(next);
        } else if (procedure || property || field) {
            classMembers[static_cast<std::size_t>(current)].insert(next);
        }
    }

    std::string out;
    out.reserve(script.size() + 256);
    std::size_t copied = 0;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        if (t.kind != Token::Identifier) continue;
        std::string word = lower(script.substr(t.begin, t.end - t.begin));
        if (!names.count(word) || own.count(word)) continue;
        if (classOf[k] >= 0 && classMembers[static_cast<std::size_t>(classOf[k])].count(word)) continue;
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
