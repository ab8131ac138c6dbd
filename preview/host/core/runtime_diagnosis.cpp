#include "runtime_diagnosis.h"

#include "vbs_tokens.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace tabulon::preview::host {
namespace {

// Names every page may use without declaring them: the language's words, functions and
// constants, and the ASP objects.
const std::set<std::string>& knownNames() {
    static const std::set<std::string> names = {"and",
                                                "byref",
                                                "byval",
                                                "call",
                                                "case",
                                                "class",
                                                "const",
                                                "default",
                                                "dim",
                                                "do",
                                                "each",
                                                "else",
                                                "elseif",
                                                "empty",
                                                "end",
                                                "eqv",
                                                "erase",
                                                "error",
                                                "exit",
                                                "explicit",
                                                "false",
                                                "for",
                                                "function",
                                                "get",
                                                "goto",
                                                "if",
                                                "imp",
                                                "in",
                                                "is",
                                                "let",
                                                "loop",
                                                "me",
                                                "mod",
                                                "new",
                                                "next",
                                                "not",
                                                "nothing",
                                                "null",
                                                "on",
                                                "option",
                                                "or",
                                                "preserve",
                                                "private",
                                                "property",
                                                "public",
                                                "redim",
                                                "rem",
                                                "resume",
                                                "select",
                                                "set",
                                                "step",
                                                "stop",
                                                "sub",
                                                "then",
                                                "to",
                                                "true",
                                                "until",
                                                "wend",
                                                "while",
                                                "with",
                                                "xor",
                                                "err",
                                                "request",
                                                "response",
                                                "server",
                                                "session",
                                                "application",
                                                "abs",
                                                "array",
                                                "asc",
                                                "ascb",
                                                "ascw",
                                                "atn",
                                                "cbool",
                                                "cbyte",
                                                "ccur",
                                                "cdate",
                                                "cdbl",
                                                "chr",
                                                "chrb",
                                                "chrw",
                                                "cint",
                                                "clng",
                                                "cos",
                                                "createobject",
                                                "csng",
                                                "cstr",
                                                "date",
                                                "dateadd",
                                                "datediff",
                                                "datepart",
                                                "dateserial",
                                                "datevalue",
                                                "day",
                                                "escape",
                                                "eval",
                                                "execute",
                                                "executeglobal",
                                                "exp",
                                                "filter",
                                                "fix",
                                                "formatcurrency",
                                                "formatdatetime",
                                                "formatnumber",
                                                "formatpercent",
                                                "getlocale",
                                                "getobject",
                                                "getref",
                                                "hex",
                                                "hour",
                                                "inputbox",
                                                "instr",
                                                "instrb",
                                                "instrrev",
                                                "int",
                                                "isarray",
                                                "isdate",
                                                "isempty",
                                                "isnull",
                                                "isnumeric",
                                                "isobject",
                                                "join",
                                                "lbound",
                                                "lcase",
                                                "left",
                                                "leftb",
                                                "len",
                                                "lenb",
                                                "loadpicture",
                                                "log",
                                                "ltrim",
                                                "mid",
                                                "midb",
                                                "minute",
                                                "month",
                                                "monthname",
                                                "msgbox",
                                                "now",
                                                "oct",
                                                "replace",
                                                "rgb",
                                                "right",
                                                "rightb",
                                                "rnd",
                                                "round",
                                                "rtrim",
                                                "scriptengine",
                                                "scriptenginebuildversion",
                                                "scriptenginemajorversion",
                                                "scriptengineminorversion",
                                                "second",
                                                "setlocale",
                                                "sgn",
                                                "sin",
                                                "space",
                                                "split",
                                                "sqr",
                                                "strcomp",
                                                "string",
                                                "strreverse",
                                                "tan",
                                                "time",
                                                "timer",
                                                "timeserial",
                                                "timevalue",
                                                "trim",
                                                "typename",
                                                "ubound",
                                                "ucase",
                                                "unescape",
                                                "vartype",
                                                "weekday",
                                                "weekdayname",
                                                "year",
                                                "randomize"};
    return names;
}

bool vbConstant(const std::string& word) { return word.size() > 2 && word.compare(0, 2, "vb") == 0; }

struct Procedure {
    std::string name;  // as written
    int arguments = 0;
    std::size_t bodyFrom = 0, bodyTo = 0;  // its tokens
};

}  // namespace

std::optional<RuntimeDiagnosis> diagnoseRuntimeError(std::string_view code, long line) {
    std::vector<VbsToken> tokens = tokenizeVbs(code);
    auto word = [&](std::size_t k) { return k < tokens.size() ? lowerWord(code, tokens[k]) : std::string(); };
    auto text = [&](std::size_t k) {
        return std::string(code.substr(tokens[k].begin, tokens[k].end - tokens[k].begin));
    };
    std::set<std::string> declared;
    std::map<std::string, Procedure> procedures;
    bool explicitOn = false;
    bool statementStart = true;
    std::string declaring;  // the keyword whose list is being read
    int depth = 0;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const VbsToken& t = tokens[k];
        if (t.kind == VbsToken::StatementEnd) {
            statementStart = true;
            declaring.clear();
            depth = 0;
            continue;
        }
        std::string w = word(k);
        bool first = statementStart;
        statementStart = false;
        if (t.kind == VbsToken::Open) ++depth;
        if (t.kind == VbsToken::Close) --depth;
        if (first && w == "option" && word(k + 1) == "explicit") explicitOn = true;
        if (w == "dim" || w == "const" || w == "redim" || ((w == "public" || w == "private") && first)) {
            declaring = w;
            continue;
        }
        if (w == "class" && k + 1 < tokens.size()) declared.insert(word(k + 1));
        bool property = (w == "get" || w == "let" || w == "set") && word(k - 1) == "property";
        if ((w == "function" || w == "sub" || property) &&
            (k == 0 || (word(k - 1) != "end" && word(k - 1) != "exit")) && k + 1 < tokens.size()) {
            Procedure p{text(k + 1), 0};
            declared.insert(word(k + 1));
            if (k + 2 < tokens.size() && tokens[k + 2].kind == VbsToken::Open) {
                std::size_t q = k + 3;
                for (; q < tokens.size() && tokens[q].kind != VbsToken::Close; ++q) {
                    std::string a = word(q);
                    if (!a.empty() && a != "byval" && a != "byref") {
                        declared.insert(a);
                        ++p.arguments;
                    }
                }
            }
            if (w == "function" || w == "sub") {
                p.bodyFrom = k;
                std::size_t e = k;
                while (e + 1 < tokens.size() && !(word(e) == "end" && word(e + 1) == w)) ++e;
                p.bodyTo = e;
                procedures[word(k + 1)] = p;
            }
            continue;
        }
        if (!declaring.empty() && depth == 0 && t.kind == VbsToken::Identifier &&
            (tokens[k - 1].kind == VbsToken::Comma || word(k - 1) == declaring || word(k - 1) == "preserve"))
            declared.insert(w);
    }

    auto lineOf = [&](std::size_t k) {
        return static_cast<long>(std::count(code.begin(), code.begin() + static_cast<long>(tokens[k].begin), '\n'));
    };
    std::vector<std::string> called;  // the page's procedures the line calls
    auto scan = [&](std::size_t from, std::size_t to) -> std::optional<RuntimeDiagnosis> {
        for (std::size_t k = from; k < to; ++k) {
            if (tokens[k].kind != VbsToken::Identifier || (k > 0 && tokens[k - 1].kind == VbsToken::Dot)) continue;
            bool lineStart = k == from || tokens[k - 1].kind == VbsToken::StatementEnd;
            std::string w = word(k);
            if (k + 1 < to && tokens[k + 1].kind == VbsToken::Equals && (lineStart || word(k - 1) == "set")) {
                // assigned to: a variable (or a function's result), not a call
                if (explicitOn && !declared.count(w) && !procedures.count(w) && !knownNames().count(w))
                    return RuntimeDiagnosis{500, text(k), -1};
                continue;
            }
            auto proc = procedures.find(w);
            if (proc != procedures.end()) {
                int given = 0;
                if (k + 1 < to && tokens[k + 1].kind == VbsToken::Open && !tokens[k + 1].spaceBefore) {
                    int d = 0;
                    for (std::size_t q = k + 1; q < to; ++q) {
                        if (tokens[q].kind == VbsToken::Open) ++d;
                        if (tokens[q].kind == VbsToken::Close && --d == 0) break;
                        if (d == 1 && q > k + 1 && given == 0) given = 1;
                        if (d == 1 && tokens[q].kind == VbsToken::Comma) ++given;
                    }
                } else if (lineStart || word(k - 1) == "call") {
                    int d = 0;
                    for (std::size_t q = k + 1; q < to && tokens[q].kind != VbsToken::StatementEnd; ++q) {
                        if (tokens[q].kind == VbsToken::Open) ++d;
                        if (tokens[q].kind == VbsToken::Close) --d;
                        if (given == 0) given = 1;
                        if (d == 0 && tokens[q].kind == VbsToken::Comma) ++given;
                    }
                } else {
                    continue;
                }
                if (given != proc->second.arguments) return RuntimeDiagnosis{450, proc->second.name, -1};
                called.push_back(w);
                continue;
            }
            if (declared.count(w) || knownNames().count(w) || vbConstant(w) || w == "tabulon_") continue;
            std::string name = text(k);
            if (explicitOn) return RuntimeDiagnosis{500, name, -1};
            // a procedure nobody defined, called: Windows calls it a type mismatch
            if ((k + 1 < to && tokens[k + 1].kind == VbsToken::Open) || lineStart || word(k - 1) == "call")
                return RuntimeDiagnosis{13, name, -1};
        }
        return std::nullopt;
    };

    // the tokens of the failing line
    std::size_t from = tokens.size(), to = tokens.size();
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        long at = lineOf(k);
        if (at == line && from == tokens.size()) from = k;
        if (at > line) {
            to = k;
            break;
        }
    }
    if (from >= to) return std::nullopt;
    if (std::optional<RuntimeDiagnosis> d = scan(from, to)) return d;
    for (std::size_t k = from; k + 1 < to; ++k) {
        if (tokens[k].kind == VbsToken::Identifier && tokens[k + 1].kind == VbsToken::Dot &&
            (k == 0 || tokens[k - 1].kind != VbsToken::Dot) && declared.count(word(k)) && !procedures.count(word(k)))
            return RuntimeDiagnosis{424, text(k), -1};
    }
    // the engine may name the line that called a procedure rather than the procedure's own
    // line: an unknown name inside it is the cause, where it stands
    for (const std::string& name : std::vector<std::string>(called)) {
        const Procedure& p = procedures[name];
        std::size_t start = p.bodyFrom;
        while (start < p.bodyTo && tokens[start].kind != VbsToken::StatementEnd) ++start;  // past the header
        for (std::size_t k = start + 1; k < p.bodyTo;) {
            std::size_t end = k;
            while (end < p.bodyTo && tokens[end].kind != VbsToken::StatementEnd) ++end;
            std::optional<RuntimeDiagnosis> d = scan(k, end);
            if (d && (d->number == 500 || d->number == 13)) {
                d->line = lineOf(k);
                return d;
            }
            k = end + 1;
        }
    }
    return std::nullopt;
}

}  // namespace tabulon::preview::host
