#include "construct_rewriter.h"

#include "vbs_tokens.h"

#include <algorithm>
#include <set>
#include <vector>

namespace tabulon::preview::host {
namespace {

struct Edit {
    std::size_t begin;
    std::size_t end;
    std::string text;
};

std::string applyEdits(std::string_view code, std::vector<Edit> edits) {
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
    std::string out;
    out.reserve(code.size() + 64 * edits.size());
    std::size_t copied = 0;
    for (const Edit& e : edits) {
        if (e.begin < copied) continue;  // overlaps an earlier edit: the next pass sees it
        out.append(code.substr(copied, e.begin - copied));
        out += e.text;
        copied = e.end;
    }
    out.append(code.substr(copied));
    return out;
}

// A statement: tokens [first, last) between statement ends.
struct Statement {
    std::size_t first;
    std::size_t last;
};

std::vector<Statement> statementsOf(const std::vector<VbsToken>& tokens) {
    std::vector<Statement> out;
    std::size_t start = 0;
    for (std::size_t k = 0; k <= tokens.size(); ++k) {
        if (k == tokens.size() || tokens[k].kind == VbsToken::StatementEnd) {
            if (k > start) out.push_back({start, k});
            start = k + 1;
        }
    }
    return out;
}

// The index of the token closing the bracket opened at `open`, or tokens.size().
std::size_t matchingClose(const std::vector<VbsToken>& tokens, std::size_t open) {
    int depth = 0;
    for (std::size_t k = open; k < tokens.size(); ++k) {
        if (tokens[k].kind == VbsToken::Open) ++depth;
        if (tokens[k].kind == VbsToken::Close && --depth == 0) return k;
        if (tokens[k].kind == VbsToken::StatementEnd) break;
    }
    return tokens.size();
}

const std::set<std::string>& keywords() {
    static const std::set<std::string> words = {
        "and",   "byref",    "byval",    "call",     "case",   "class", "const",   "default", "dim",    "do",
        "each",  "else",     "elseif",   "empty",    "end",    "eqv",   "erase",   "error",   "exit",   "explicit",
        "false", "for",      "function", "get",      "goto",   "if",    "imp",     "in",      "is",     "let",
        "loop",  "me",       "mod",      "new",      "next",   "not",   "nothing", "null",    "on",     "option",
        "or",    "preserve", "private",  "property", "public", "redim", "rem",     "resume",  "select", "set",
        "step",  "sub",      "then",     "to",       "true",   "until", "wend",    "while",   "with",   "xor"};
    return words;
}

class Rewriter {
public:
    Rewriter(std::string_view code, std::string_view host) : code_(code), host_(host) {}

    // Declarations, ReDim of undeclared names, class names and Option Explicit.
    std::string declarations() {
        tokens_ = tokenizeVbs(code_);
        std::vector<Statement> statements = statementsOf(tokens_);
        collectGlobals(statements);
        std::vector<Edit> edits;
        bool inClass = false;
        std::string className;
        bool inProcedure = false;
        std::set<std::string> local;
        std::size_t procedureHeaderEnd = 0;
        bool onlyBlocksSoFar = true;
        for (const Statement& st : statements) {
            std::size_t k = st.first;
            std::string w0 = word(k), w1 = word(k + 1);
            if (w0 == "option" && w1 == "explicit") {
                if (onlyBlocksSoFar && tokens_[k].begin > 0) {
                    edits.push_back({tokens_[k].begin, tokens_[k + 1].end,
                                     std::string(tokens_[k + 1].end - tokens_[k].begin, ' ')});
                    edits.push_back({0, 0, "Option Explicit : "});
                }
                onlyBlocksSoFar = false;
                continue;
            }
            if (!(w0 == "response" && tokens_[k + 1].kind == VbsToken::Dot && word(k + 2) == "writeblock"))
                onlyBlocksSoFar = false;
            if (w0 == "class" && !w1.empty()) {
                inClass = true;
                className = text(k + 1);
                classArrays_.clear();
                initializeHeaderEnd_ = 0;
                continue;
            }
            if (w0 == "end" && w1 == "class") {
                std::string added;
                // array fields are sized when an object is made (the engine refuses them declared)
                std::string sizing;
                for (const auto& [name, bounds] : classArrays_) sizing += " : ReDim " + name + "(" + bounds + ")";
                if (!sizing.empty() && initializeHeaderEnd_)
                    edits.push_back({initializeHeaderEnd_, initializeHeaderEnd_, sizing});
                else if (!sizing.empty())
                    added += "Private Sub Class_Initialize()" + sizing + " : End Sub : ";
                if (inClass)
                    edits.push_back({tokens_[k].begin, tokens_[k].begin,
                                     added + "Public Function " + std::string(classNameMethod) + "() : " +
                                         std::string(classNameMethod) + " = \"" + className + "\" : End Function : "});
                inClass = false;
                continue;
            }
            if (w0 == "end" && (w1 == "function" || w1 == "sub" || w1 == "property")) {
                inProcedure = false;
                continue;
            }
            std::size_t p = k;
            if (word(p) == "public" || word(p) == "private") ++p;
            if (word(p) == "default") ++p;
            std::string w = word(p);
            if (w == "function" || w == "sub" || w == "property") {
                inProcedure = true;
                local.clear();
                std::size_t open = p + (w == "property" ? 3 : 2);
                if (open < st.last && tokens_[open].kind == VbsToken::Open) {
                    std::size_t close = matchingClose(tokens_, open);
                    for (std::size_t q = open + 1; q < close; ++q) {
                        std::string name = word(q);
                        if (!name.empty() && name != "byval" && name != "byref") local.insert(name);
                    }
                }
                procedureHeaderEnd = tokens_[st.last - 1].end;
                if (inClass && w == "sub" && word(p + 1) == "class_initialize")
                    initializeHeaderEnd_ = procedureHeaderEnd;
                continue;
            }
            bool declaration = w0 == "dim" || ((w0 == "public" || w0 == "private") && p == k + 1 && !w.empty());
            if (declaration) {
                declare(st, k + 1, inClass && !inProcedure, inProcedure ? local : globals_, edits);
                continue;
            }
            if (inProcedure && !local.empty()) localCode(st, local, edits);
            // ReDim of a name nobody declared: declare it where VBScript would have.
            for (std::size_t q = st.first; q < st.last; ++q) {
                if (word(q) != "redim") continue;
                std::size_t n = q + 1;
                if (word(n) == "preserve") ++n;
                std::string name = word(n);
                if (name.empty()) continue;
                if (inProcedure) {
                    if (local.count(name) || globals_.count(name)) continue;
                    local.insert(name);
                    edits.push_back({procedureHeaderEnd, procedureHeaderEnd, " : Dim " + text(n)});
                } else if (!inClass) {
                    if (globals_.count(name)) continue;
                    globals_.insert(name);
                    edits.push_back({tokens_[q].begin, tokens_[q].begin, "Dim " + text(n) + " : "});
                }
            }
        }
        return applyEdits(code_, std::move(edits));
    }

    // X(a)(b): reading goes through host.Item(X(a), b), assigning through host.PutItem.
    std::string chainedItems() {
        tokens_ = tokenizeVbs(code_);
        std::vector<Edit> edits;
        std::size_t skipUntil = 0;
        for (std::size_t k = 0; k < tokens_.size(); ++k) {
            if (k < skipUntil || tokens_[k].kind != VbsToken::Identifier) continue;
            if (k > 0 && tokens_[k - 1].kind == VbsToken::Dot) continue;
            if (keywords().count(word(k))) continue;
            std::size_t p = k;
            while (p + 2 < tokens_.size() && tokens_[p + 1].kind == VbsToken::Dot &&
                   tokens_[p + 2].kind == VbsToken::Identifier)
                p += 2;
            std::size_t open1 = p + 1;
            if (open1 >= tokens_.size() || tokens_[open1].kind != VbsToken::Open || tokens_[open1].spaceBefore)
                continue;
            std::size_t close1 = matchingClose(tokens_, open1);
            std::size_t open2 = close1 + 1;
            if (open2 >= tokens_.size() || tokens_[open2].kind != VbsToken::Open || tokens_[open2].spaceBefore)
                continue;
            std::size_t close2 = matchingClose(tokens_, open2);
            if (close2 >= tokens_.size()) continue;
            std::string target(code_.substr(tokens_[k].begin, tokens_[close1].end - tokens_[k].begin));
            std::string index(code_.substr(tokens_[open2].end, tokens_[close2].begin - tokens_[open2].end));
            bool statementStart = k == 0 || tokens_[k - 1].kind == VbsToken::StatementEnd || word(k - 1) == "then" ||
                                  word(k - 1) == "else";
            std::size_t after = close2 + 1;
            if (statementStart && after < tokens_.size() && tokens_[after].kind == VbsToken::Equals) {
                std::size_t valueEnd = after + 1;
                int depth = 0;
                while (valueEnd < tokens_.size() && tokens_[valueEnd].kind != VbsToken::StatementEnd) {
                    if (tokens_[valueEnd].kind == VbsToken::Open) ++depth;
                    if (tokens_[valueEnd].kind == VbsToken::Close) --depth;
                    if (depth == 0 && word(valueEnd) == "else") break;
                    ++valueEnd;
                }
                if (valueEnd == after + 1) continue;
                edits.push_back(
                    {tokens_[k].begin, tokens_[after].end, std::string(host_) + ".PutItem " + target + ", ("});
                edits.push_back({tokens_[valueEnd - 1].end, tokens_[valueEnd - 1].end,
                                 ")" + (index.empty() ? std::string() : ", " + index)});
                skipUntil = valueEnd;
            } else {
                edits.push_back({tokens_[k].begin, tokens_[close2].end,
                                 std::string(host_) + ".Item(" + target + (index.empty() ? "" : ", " + index) + ")"});
                skipUntil = close2 + 1;
            }
        }
        return applyEdits(code_, std::move(edits));
    }

    // Err.Number and Err.Description read through the host.
    std::string errorValues() {
        tokens_ = tokenizeVbs(code_);
        std::vector<Edit> edits;
        for (std::size_t k = 0; k + 2 < tokens_.size(); ++k) {
            if (word(k) != "err" || tokens_[k + 1].kind != VbsToken::Dot) continue;
            if (k > 0 && tokens_[k - 1].kind == VbsToken::Dot) continue;
            std::string member = word(k + 2);
            if (member != "number" && member != "description") continue;
            bool assigned = k + 3 < tokens_.size() && tokens_[k + 3].kind == VbsToken::Equals &&
                            (k == 0 || tokens_[k - 1].kind == VbsToken::StatementEnd);
            if (assigned) continue;
            std::string original(code_.substr(tokens_[k].begin, tokens_[k + 2].end - tokens_[k].begin));
            std::string replacement = member == "number"
                                          ? std::string(host_) + ".ErrNumber(" + original + ")"
                                          : std::string(host_) + ".ErrDescription(Err.Number, " + original + ")";
            edits.push_back({tokens_[k].begin, tokens_[k + 2].end, replacement});
        }
        return applyEdits(code_, std::move(edits));
    }

    void reset(std::string_view code) { code_ = code; }

private:
    std::string word(std::size_t k) const { return k < tokens_.size() ? lowerWord(code_, tokens_[k]) : std::string(); }
    std::string text(std::size_t k) const {
        return std::string(code_.substr(tokens_[k].begin, tokens_[k].end - tokens_[k].begin));
    }

    // Names declared at the top level (outside procedures and classes), wherever they are.
    void collectGlobals(const std::vector<Statement>& statements) {
        bool inClass = false, inProcedure = false;
        for (const Statement& st : statements) {
            std::string w0 = word(st.first), w1 = word(st.first + 1);
            std::size_t p = st.first;
            if (w0 == "public" || w0 == "private") ++p;
            if (word(p) == "default") ++p;
            std::string w = word(p);
            if (w0 == "class") inClass = true;
            if (w0 == "end" && w1 == "class") inClass = false;
            if (w0 == "end" && (w1 == "function" || w1 == "sub" || w1 == "property")) inProcedure = false;
            if (w == "function" || w == "sub" || w == "property") {
                if (!inClass) globals_.insert(word(p + 1));
                inProcedure = true;
                continue;
            }
            if (inClass || inProcedure) continue;
            if (w0 == "dim" || w0 == "const" || ((w0 == "public" || w0 == "private") && p == st.first + 1)) {
                std::size_t q = w0 == "const" || w0 == "dim" ? st.first + 1 : p;
                if (w0 == "public" || w0 == "private") q = w1 == "const" ? p + 1 : p;
                bool expectName = true;
                int depth = 0;
                for (; q < st.last; ++q) {
                    if (tokens_[q].kind == VbsToken::Open) ++depth;
                    if (tokens_[q].kind == VbsToken::Close) --depth;
                    if (depth == 0 && tokens_[q].kind == VbsToken::Comma)
                        expectName = true;
                    else if (expectName && tokens_[q].kind == VbsToken::Identifier) {
                        globals_.insert(word(q));
                        expectName = false;
                    }
                }
            }
        }
    }

    // Execute and Eval in a procedure run their code at the page's level, where the
    // procedure's variables are not: they get them by reference, with their names.
    void localCode(const Statement& st, const std::set<std::string>& local, std::vector<Edit>& edits) {
        std::string names, refs;
        for (const std::string& name : local) {
            names += (names.empty() ? "" : ",") + name;
            refs += ", " + name;
        }
        std::size_t k = st.first;
        if (word(k) == "execute" && k + 1 < st.last) {
            edits.push_back({tokens_[k].begin, tokens_[k + 1].begin, std::string(host_) + ".ExecuteLocal ("});
            edits.push_back({tokens_[st.last - 1].end, tokens_[st.last - 1].end, "), \"" + names + "\"" + refs});
            return;
        }
        for (std::size_t q = st.first; q + 1 < st.last; ++q) {
            if (word(q) != "eval" || tokens_[q + 1].kind != VbsToken::Open) continue;
            if (q > 0 && tokens_[q - 1].kind == VbsToken::Dot) continue;
            std::size_t close = matchingClose(tokens_, q + 1);
            if (close >= st.last) continue;
            edits.push_back({tokens_[q].begin, tokens_[q + 1].end, std::string(host_) + ".EvalLocal(("});
            edits.push_back({tokens_[close].begin, tokens_[close].begin, "), \"" + names + "\"" + refs});
            q = close;
        }
    }

    // A declaration list starting at token `from`: "a()" loses its empty brackets, and in a
    // class body a list becomes one declaration per name.
    void declare(const Statement& st, std::size_t from, bool classBody, std::set<std::string>& scope,
                 std::vector<Edit>& edits) {
        std::string keyword = text(st.first);
        std::string emptyArrays;  // a = Array() for each "a()": ReDim Preserve then has an array to keep
        int depth = 0;
        for (std::size_t q = from; q < st.last; ++q) {
            const VbsToken& t = tokens_[q];
            if (t.kind == VbsToken::Identifier && depth == 0 && (q == from || tokens_[q - 1].kind == VbsToken::Comma))
                scope.insert(word(q));
            if (t.kind == VbsToken::Open) {
                if (depth == 0 && q > from && tokens_[q - 1].kind == VbsToken::Identifier &&
                    tokens_[q + 1].kind != VbsToken::Close) {
                    fixedArrays_.insert(word(q - 1));
                    std::size_t close = matchingClose(tokens_, q);
                    if (classBody && close < st.last) {
                        classArrays_.emplace_back(text(q - 1),
                                                  std::string(code_.substr(t.end, tokens_[close].begin - t.end)));
                        edits.push_back({t.begin, tokens_[close].end, std::string(tokens_[close].end - t.begin, ' ')});
                        q = close;
                        continue;
                    }
                }
                if (depth == 0 && q + 1 < st.last && tokens_[q + 1].kind == VbsToken::Close) {
                    edits.push_back({t.begin, tokens_[q + 1].end, std::string(tokens_[q + 1].end - t.begin, ' ')});
                    if (!classBody && q > from) emptyArrays += " : " + text(q - 1) + " = Array()";
                    ++q;
                    continue;
                }
                ++depth;
            } else if (t.kind == VbsToken::Close) {
                --depth;
            } else if (t.kind == VbsToken::Comma && depth == 0 && classBody) {
                edits.push_back({t.begin, t.end, " : " + keyword});
            }
        }
        if (!emptyArrays.empty()) edits.push_back({tokens_[st.last - 1].end, tokens_[st.last - 1].end, emptyArrays});
    }

    std::string_view code_;
    std::string_view host_;
    std::vector<VbsToken> tokens_;
    std::set<std::string> globals_;
    std::set<std::string> fixedArrays_;  // declared with bounds: Erase empties, never frees them
    std::vector<std::pair<std::string, std::string>> classArrays_;  // array fields of the class read: name, bounds
    std::size_t initializeHeaderEnd_ = 0;  // where the class's own Class_Initialize header ends

public:
    // "Erase a" (the engine lacks the statement).
    std::string erases() {
        tokens_ = tokenizeVbs(code_);
        std::vector<Edit> edits;
        for (const Statement& st : statementsOf(tokens_)) {
            std::size_t k = st.first;
            if (word(k) == "then" || word(k) == "else") ++k;
            if (word(k) != "erase") continue;
            std::string replacement;
            bool simple = true;
            for (std::size_t q = k + 1; q < st.last; ++q) {
                if (tokens_[q].kind == VbsToken::Comma) continue;
                if (tokens_[q].kind != VbsToken::Identifier) {
                    simple = false;
                    break;
                }
                std::string name = text(q);
                if (!replacement.empty()) replacement += " : ";
                // a fixed array keeps its bounds and loses its values; a dynamic one its elements
                replacement +=
                    fixedArrays_.count(word(q)) ? std::string(host_) + ".ClearArray " + name : "ReDim " + name + "(-1)";
            }
            if (simple && !replacement.empty())
                edits.push_back({tokens_[k].begin, tokens_[st.last - 1].end, replacement});
        }
        return applyEdits(code_, std::move(edits));
    }
};

}  // namespace

std::string rewriteConstructs(std::string_view script, std::string_view hostObject) {
    // the passes after the first look for words most pages lack: skip those that have nothing to do
    std::string lowered(script);
    for (char& c : lowered)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    auto mentions = [&lowered](std::string_view word) { return lowered.find(word) != std::string::npos; };
    Rewriter rewriter(script, hostObject);
    std::string step = rewriter.declarations();
    if (mentions("erase")) {
        rewriter.reset(step);
        step = rewriter.erases();
    }
    for (int pass = 0; pass < 4 && step.find(")(") != std::string::npos; ++pass) {  // X(a)(b) nested: a level a pass
        rewriter.reset(step);
        std::string next = rewriter.chainedItems();
        if (next == step) break;
        step = std::move(next);
    }
    if (!mentions("err.")) return step;
    rewriter.reset(step);
    return rewriter.errorValues();
}

std::string bindLocals(std::string_view code, const std::vector<std::string>& names, std::string_view accessor) {
    std::vector<VbsToken> tokens = tokenizeVbs(code);
    std::vector<Edit> edits;
    for (const Statement& st : statementsOf(tokens)) {
        std::string first = lowerWord(code, tokens[st.first]);
        if (first == "dim" || first == "redim" || first == "const" || first == "function" || first == "sub")
            continue;  // declarations of the code's own names
        for (std::size_t k = st.first; k < st.last; ++k) {
            if (tokens[k].kind != VbsToken::Identifier || (k > 0 && tokens[k - 1].kind == VbsToken::Dot)) continue;
            std::string word = lowerWord(code, tokens[k]);
            if (std::find(names.begin(), names.end(), word) == names.end()) continue;
            edits.push_back({tokens[k].begin, tokens[k].end, std::string(accessor) + "(\"" + word + "\")"});
        }
    }
    return applyEdits(code, std::move(edits));
}

}  // namespace tabulon::preview::host
