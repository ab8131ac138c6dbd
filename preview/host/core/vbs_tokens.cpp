#include "vbs_tokens.h"

#include <cctype>
#include <cstring>

namespace tabulon::preview::host {
namespace {

bool identStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool identPart(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

}  // namespace

std::string lowerWord(std::string_view code, const VbsToken& token) {
    if (token.kind != VbsToken::Identifier) return {};
    std::string out(code.substr(token.begin, token.end - token.begin));
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::vector<VbsToken> tokenizeVbs(std::string_view s) {
    std::vector<VbsToken> out;
    out.reserve(s.size() / 4);
    std::size_t i = 0;
    bool space = false;
    auto push = [&](VbsToken::Kind kind, std::size_t begin, std::size_t end) {
        out.push_back({kind, begin, end, space});
        space = false;
    };
    auto skipToLineEnd = [&] {
        while (i < s.size() && s[i] != '\n' && s[i] != '\r') ++i;
    };
    while (i < s.size()) {
        char c = s[i];
        std::size_t start = i;
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
            if (i < s.size() && s[i] == '"') ++i;
            push(VbsToken::String, start, i);
        } else if (c == '\'') {
            skipToLineEnd();
        } else if (c == '#') {
            std::size_t close = s.find_first_of("#\n", i + 1);
            i = (close == std::string_view::npos || s[close] == '\n') ? i + 1 : close + 1;
            push(VbsToken::Other, start, i);
        } else if (c == '\n') {
            ++i;
            push(VbsToken::StatementEnd, start, i);
        } else if (c == ':') {
            ++i;
            push(VbsToken::StatementEnd, start, i);
        } else if (c == '.' && !(i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            ++i;
            push(VbsToken::Dot, start, i);
        } else if (c == '(' || c == ')' || c == ',' || c == '=') {
            ++i;
            push(c == '('   ? VbsToken::Open
                 : c == ')' ? VbsToken::Close
                 : c == ',' ? VbsToken::Comma
                            : VbsToken::Equals,
                 start, i);
        } else if (c == '[') {
            std::size_t close = s.find_first_of("]\n", i);
            i = close == std::string_view::npos || s[close] == '\n' ? i + 1 : close + 1;
            push(VbsToken::Identifier, start, i);
        } else if (identStart(c)) {
            while (i < s.size() && identPart(s[i])) ++i;
            bool rem = i - start == 3 && (s[start] | 0x20) == 'r' && (s[start + 1] | 0x20) == 'e' &&
                       (s[start + 2] | 0x20) == 'm';
            if (rem) {
                skipToLineEnd();
                continue;
            }
            push(VbsToken::Identifier, start, i);
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '.' ||
                   (c == '&' && i + 2 < s.size() && std::strchr("hHoO", s[i + 1]) &&
                    std::isxdigit(static_cast<unsigned char>(s[i + 2])))) {
            i += c == '&' ? 2 : 1;  // &H1F, &O17
            while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '.')) ++i;
            push(VbsToken::Number, start, i);
        } else if (c == '_' && (i + 1 >= s.size() || s[i + 1] == '\r' || s[i + 1] == '\n' || s[i + 1] == ' ')) {
            // a line continuation: the statement goes on on the next line
            ++i;
            while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r')) ++i;
            if (i < s.size() && s[i] == '\n') ++i;
            space = true;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            space = true;
        } else {
            ++i;
            push(VbsToken::Other, start, i);
        }
    }
    return out;
}

}  // namespace tabulon::preview::host
