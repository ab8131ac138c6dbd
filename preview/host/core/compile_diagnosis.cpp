#include "compile_diagnosis.h"

#include "vbs_tokens.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace tabulon::preview::host {
namespace {

long lineAt(std::string_view code, std::size_t offset) {
    return static_cast<long>(std::count(code.begin(), code.begin() + static_cast<long>(offset), '\n'));
}

// What closes each kind of block, and the error when it is missing.
struct Block {
    std::string kind;  // "if", "for", "do", "while", "select", "with", "function", "sub", "property", "class"
    long line;
};

int missingCloser(const std::string& kind) {
    if (kind == "for") return 1020;    // Expected 'Next'
    if (kind == "do") return 1019;     // Expected 'Loop'
    if (kind == "while") return 1018;  // Expected 'Wend'
    return 1014;                       // Expected 'End'
}

bool isValue(const VbsToken& t) { return t.kind == VbsToken::Number || t.kind == VbsToken::String; }

}  // namespace

std::optional<CompileDiagnosis> diagnoseCompileError(std::string_view code) {
    std::vector<VbsToken> tokens = tokenizeVbs(code);
    for (const VbsToken& t : tokens) {
        if (t.kind == VbsToken::String && (t.end - t.begin < 2 || code[t.end - 1] != '"'))
            return CompileDiagnosis{1033, lineAt(code, t.begin)};  // Unterminated string constant
    }
    std::vector<Block> open;
    auto word = [&](std::size_t k) { return k < tokens.size() ? lowerWord(code, tokens[k]) : std::string(); };
    std::size_t start = 0;
    for (std::size_t k = 0; k <= tokens.size(); ++k) {
        if (k < tokens.size() && tokens[k].kind != VbsToken::StatementEnd) continue;
        std::size_t first = start, last = k;
        start = k + 1;
        if (first >= last) continue;
        long line = lineAt(code, tokens[first].begin);
        for (std::size_t q = first; q + 1 < last; ++q)
            if (isValue(tokens[q]) && (isValue(tokens[q + 1]) || tokens[q + 1].kind == VbsToken::Identifier) &&
                !std::set<std::string>{"then", "to", "step", "and", "or", "xor", "mod", "eqv", "imp", "is", "else",
                                       "in"}
                     .count(word(q + 1)))
                return CompileDiagnosis{1025, line};  // Expected end of statement
        std::size_t p = first;
        if (word(p) == "public" || word(p) == "private") ++p;
        if (word(p) == "default") ++p;
        std::string w = word(p), next = word(p + 1);
        if (w == "if") {
            // a block If ends its line with Then; a one-line If has a statement after it
            if (word(last - 1) == "then") open.push_back({"if", line});
        } else if (w == "for" || w == "do" || w == "while" || w == "with" || w == "class" || w == "function" ||
                   w == "sub" || w == "property" || (w == "select" && next == "case")) {
            open.push_back({w, line});
        } else if (w == "next" || w == "loop" || w == "wend" || (w == "end" && !next.empty())) {
            std::string kind = w == "next" ? "for" : w == "loop" ? "do" : w == "wend" ? "while" : next;
            if (open.empty() || open.back().kind != kind) {
                if (w == "next") return CompileDiagnosis{1055, line};  // Unexpected 'Next'
                if (w == "loop") return CompileDiagnosis{1038, line};  // 'loop' without 'do'
                if (!open.empty()) return CompileDiagnosis{missingCloser(open.back().kind), line};
                return CompileDiagnosis{1024, line};  // Expected statement
            }
            open.pop_back();
        }
    }
    if (!open.empty()) return CompileDiagnosis{missingCloser(open.back().kind), -1};
    return std::nullopt;
}

}  // namespace tabulon::preview::host
