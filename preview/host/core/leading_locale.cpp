#include "leading_locale.h"

#include "vbs_tokens.h"

#include <vector>

namespace tabulon::preview::host {

std::optional<LeadingLocale> leadingLocale(std::string_view code) {
    std::vector<VbsToken> tokens = tokenizeVbs(code);
    auto word = [&](std::size_t k) { return k < tokens.size() ? lowerWord(code, tokens[k]) : std::string(); };
    auto kind = [&](std::size_t k) { return k < tokens.size() ? tokens[k].kind : VbsToken::StatementEnd; };
    auto value = [&](std::size_t k) -> std::optional<LeadingLocale> {
        if (kind(k) == VbsToken::Number) {
            std::string digits(code.substr(tokens[k].begin, tokens[k].end - tokens[k].begin));
            if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos)
                return std::nullopt;
            return LeadingLocale{std::stol(digits), {}};
        }
        if (kind(k) == VbsToken::String && tokens[k].end - tokens[k].begin >= 2)
            return LeadingLocale{0, std::string(code.substr(tokens[k].begin + 1, tokens[k].end - tokens[k].begin - 2))};
        return std::nullopt;
    };
    std::string skipping;  // the block being skipped: "function", "sub", "property", "class"
    std::size_t k = 0;
    while (k < tokens.size()) {
        std::size_t first = k, last = k;
        while (last < tokens.size() && tokens[last].kind != VbsToken::StatementEnd) ++last;
        k = last + 1;
        if (first == last) continue;
        std::string w0 = word(first), w1 = word(first + 1);
        if (!skipping.empty()) {
            if (w0 == "end" && w1 == skipping) skipping.clear();
            continue;
        }
        std::size_t p = first;
        if (w0 == "public" || w0 == "private") ++p;
        std::string w = word(p);
        if (w == "function" || w == "sub" || w == "property" || w == "class") {
            skipping = w;
            continue;
        }
        if (w0 == "dim" || w0 == "const" || w0 == "option" || ((w0 == "public" || w0 == "private") && p > first))
            continue;
        if (w0 == "response" && kind(first + 1) == VbsToken::Dot && word(first + 2) == "writeblock") continue;
        // Session.LCID = n / Response.LCID = n
        if ((w0 == "session" || w0 == "response") && kind(first + 1) == VbsToken::Dot && word(first + 2) == "lcid" &&
            kind(first + 3) == VbsToken::Equals && last == first + 5)
            return value(first + 4);
        // SetLocale n, SetLocale(n), Call SetLocale(n), x = SetLocale(n)
        std::size_t s = first;
        if (w0 == "call")
            ++s;
        else if (kind(first) == VbsToken::Identifier && kind(first + 1) == VbsToken::Equals)
            s += 2;
        if (word(s) == "setlocale") {
            if (kind(s + 1) == VbsToken::Open && kind(s + 3) == VbsToken::Close && last == s + 4) return value(s + 2);
            if (last == s + 2) return value(s + 1);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace tabulon::preview::host
