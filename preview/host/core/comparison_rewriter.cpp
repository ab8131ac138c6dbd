#include "comparison_rewriter.h"

#include "vbs_tokens.h"

#include <algorithm>
#include <set>
#include <vector>

namespace tabulon::preview::host {
namespace {

struct Edit {
    std::size_t at;
    std::size_t end;
    std::string text;
};

// Words that end one operand of a comparison and start the next expression.
const std::set<std::string>& boundaries() {
    static const std::set<std::string> words = {"if",   "then", "elseif", "else",   "while", "until", "and",
                                                "or",   "xor",  "not",    "eqv",    "imp",   "case",  "to",
                                                "step", "do",   "loop",   "select", "each",  "in"};
    return words;
}

class Comparisons {
public:
    Comparisons(std::string_view code, std::string_view host) : code_(code), host_(host), tokens_(tokenizeVbs(code)) {}

    std::string run() {
        std::size_t start = 0;
        for (std::size_t k = 0; k <= tokens_.size(); ++k) {
            if (k == tokens_.size() || tokens_[k].kind == VbsToken::StatementEnd) {
                if (k > start) range(start, k, true);
                start = k + 1;
            }
        }
        std::stable_sort(edits_.begin(), edits_.end(), [](const Edit& a, const Edit& b) { return a.at < b.at; });
        std::string out;
        std::size_t copied = 0;
        for (const Edit& e : edits_) {
            if (e.at < copied) continue;
            out.append(code_.substr(copied, e.at - copied));
            out += e.text;
            copied = e.end;
        }
        out.append(code_.substr(copied));
        return out;
    }

private:
    std::string word(std::size_t k) const { return lowerWord(code_, tokens_[k]); }
    char symbol(std::size_t k) const {
        const VbsToken& t = tokens_[k];
        return t.kind == VbsToken::Other && t.end == t.begin + 1 ? code_[t.begin] : '\0';
    }
    bool adjacent(std::size_t a, std::size_t b) const { return tokens_[a].end == tokens_[b].begin; }

    std::size_t closeOf(std::size_t open, std::size_t to) const {
        int depth = 0;
        for (std::size_t k = open; k < to; ++k) {
            if (tokens_[k].kind == VbsToken::Open) ++depth;
            if (tokens_[k].kind == VbsToken::Close && --depth == 0) return k;
        }
        return to;
    }

    // Tokens [from, to) at one bracket depth; a statement's own range when `statement`.
    void range(std::size_t from, std::size_t to, bool statement) {
        std::size_t segment = from;
        bool statementSegment = statement;
        for (std::size_t k = from; k <= to; ++k) {
            bool boundary = k == to || tokens_[k].kind == VbsToken::Comma ||
                            (tokens_[k].kind == VbsToken::Identifier && boundaries().count(word(k)));
            if (boundary) {
                if (k > segment) operands(segment, k, statementSegment);
                // after Then/Else of a one-line If comes a statement again
                statementSegment = k < to && statement && (word(k) == "then" || word(k) == "else");
                segment = k + 1;
                continue;
            }
            if (tokens_[k].kind == VbsToken::Open) {
                std::size_t close = closeOf(k, to);
                range(k + 1, close, false);
                k = close;
            }
        }
    }

    // One operand sequence between boundaries: at most one comparison at this depth.
    void operands(std::size_t from, std::size_t to, bool statement) {
        std::size_t begin = from;
        if (statement) {
            // an assignment's target is no comparison: look at what is assigned
            std::size_t k = from;
            for (; k < to; ++k) {
                if (tokens_[k].kind == VbsToken::Open)
                    k = closeOf(k, to);
                else if (tokens_[k].kind == VbsToken::Equals)
                    break;
            }
            if (k >= to) return;  // a call statement: its arguments are not rewritten here
            begin = k + 1;
        }
        std::size_t op = to, opEnd = to;
        std::string name;
        for (std::size_t k = begin; k < to; ++k) {
            if (tokens_[k].kind == VbsToken::Open) {
                k = closeOf(k, to);
                continue;
            }
            std::string found;
            std::size_t end = k + 1;
            if (tokens_[k].kind == VbsToken::Equals) {
                found = "=";
            } else if (symbol(k) == '<' || symbol(k) == '>') {
                found = std::string(1, symbol(k));
                if (k + 1 < to && adjacent(k, k + 1) &&
                    (tokens_[k + 1].kind == VbsToken::Equals || (symbol(k) == '<' && symbol(k + 1) == '>'))) {
                    found += code_[tokens_[k + 1].begin];
                    end = k + 2;
                }
            }
            if (found.empty()) continue;
            if (op != to) return;  // two comparisons side by side: leave them to the engine
            op = k;
            opEnd = end;
            name = found;
            k = end - 1;
        }
        if (op == to || op == begin || opEnd >= to) return;
        if (word(begin) == "is") return;  // Case Is < 5
        // equality is the engine's: it already compares strings by their characters
        if (name == "=" || name == "<>") return;
        std::size_t right = opEnd;
        if (symbol(right) == '-' && right + 1 < to) ++right;
        bool literal = right + 1 == to && tokens_[right].kind == VbsToken::Number;
        edits_.push_back({tokens_[begin].begin, tokens_[begin].begin, std::string(host_) + ".Compare("});
        edits_.push_back({tokens_[op].begin, tokens_[opEnd - 1].end, ","});
        edits_.push_back({tokens_[to - 1].end, tokens_[to - 1].end, (literal ? ", True) " : ") ") + name + " 0"});
    }

    std::string_view code_;
    std::string_view host_;
    std::vector<VbsToken> tokens_;
    std::vector<Edit> edits_;
};

}  // namespace

std::string rewriteComparisons(std::string_view script, std::string_view hostObject) {
    return Comparisons(script, hostObject).run();
}

}  // namespace tabulon::preview::host
