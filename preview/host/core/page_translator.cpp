#include "page_translator.h"

#include <algorithm>
#include <cctype>

#include "base/ascii_text.h"

namespace tabulon::preview::host {
namespace {

constexpr int maxIncludeDepth = 32;

bool startsWithNoCase(std::string_view text, std::size_t at, std::string_view word) {
    return at <= text.size() && startsWithIgnoringCase(text.substr(at), word);
}

std::size_t skipSpaces(std::string_view text, std::size_t at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    return at;
}

int countLines(std::string_view text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

std::string lower(std::string_view text) { return asciiLowered(text); }

// An include directive at `at`: "<!--" spaces "#include" spaces file|virtual = "path" spaces "-->".
struct IncludeDirective {
    bool virtualPath = false;
    std::string path;
    std::size_t end = 0;
};

std::optional<IncludeDirective> parseInclude(std::string_view text, std::size_t at) {
    std::size_t p = skipSpaces(text, at + 4);
    if (!startsWithNoCase(text, p, "#include")) return std::nullopt;
    p = skipSpaces(text, p + 8);
    IncludeDirective d;
    if (startsWithNoCase(text, p, "file")) {
        p += 4;
    } else if (startsWithNoCase(text, p, "virtual")) {
        d.virtualPath = true;
        p += 7;
    } else {
        return std::nullopt;
    }
    p = skipSpaces(text, p);
    if (p >= text.size() || text[p] != '=') return std::nullopt;
    p = skipSpaces(text, p + 1);
    char quote = p < text.size() ? text[p] : 0;
    if (quote != '"' && quote != '\'') return std::nullopt;
    std::size_t close = text.find(quote, p + 1);
    if (close == std::string_view::npos) return std::nullopt;
    d.path = std::string(text.substr(p + 1, close - p - 1));
    std::size_t end = text.find("-->", close);
    if (end == std::string_view::npos) return std::nullopt;
    d.end = end + 3;
    return d;
}

// The value of attribute `name` inside a tag or directive text, lower-cased; "" when absent.
std::string attributeValue(std::string_view tag, std::string_view name) {
    std::string low = lower(tag);
    std::size_t at = 0;
    while ((at = low.find(name, at)) != std::string::npos) {
        bool wordStart = at == 0 || !std::isalnum(static_cast<unsigned char>(low[at - 1]));
        std::size_t p = skipSpaces(low, at + name.size());
        if (wordStart && p < low.size() && low[p] == '=') {
            p = skipSpaces(low, p + 1);
            if (p < low.size() && (low[p] == '"' || low[p] == '\'')) {
                std::size_t close = low.find(low[p], p + 1);
                if (close == std::string::npos) return low.substr(p + 1);
                return low.substr(p + 1, close - p - 1);
            }
            std::size_t end = p;
            while (end < low.size() && !std::isspace(static_cast<unsigned char>(low[end])) && low[end] != '>' &&
                   low[end] != '%')
                ++end;
            return low.substr(p, end - p);
        }
        at += name.size();
    }
    return {};
}

class Translator {
public:
    explicit Translator(const PageSources& sources) : sources_(sources) {}

    TranslatedPage run(const std::string& pagePath) {
        std::optional<SiteFile> file = sources_.read(pagePath);
        if (!file) throw PageError("ASP 0126", "The page '" + pagePath + "' was not found.", pagePath, 0);
        page_.codePage = leadingCodePage(file->bytes);
        codePage_ = page_.codePage ? page_.codePage : sources_.defaultCodePage;
        addFile(file->path, file->bytes, 0);
        return std::move(page_);
    }

private:
    // IIS reads the directive before decoding the page: it names the page's code page.
    static int leadingCodePage(std::string_view bytes) {
        std::size_t at = skipSpaces(bytes, 0);
        if (!startsWithNoCase(bytes, at, "<%@")) return 0;
        std::size_t end = bytes.find("%>", at);
        if (end == std::string_view::npos) return 0;
        std::string value = attributeValue(bytes.substr(at + 3, end - at - 3), "codepage");
        if (value.empty() || !std::all_of(value.begin(), value.end(),
                                          [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            return 0;
        return std::stoi(value.substr(0, 9));
    }

    void addFile(const std::string& path, const std::string& bytes, int depth) {
        int file = static_cast<int>(page_.files.size());
        page_.files.push_back(path);
        page_.fileTexts.push_back(sources_.decode(bytes, codePage_));
        std::string text = page_.fileTexts.back();  // copy: fileTexts may grow while we walk
        walk(file, text, depth);
    }

    void emitLine(std::string_view text, int file, int line) {
        page_.script.append(text);
        page_.script += "\r\n";
        page_.lines.push_back({file, line});
    }

    void emitCode(std::string_view code, int file, int line) {
        std::size_t start = 0;
        while (start <= code.size()) {
            std::size_t nl = code.find('\n', start);
            std::string_view part =
                code.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
            if (!part.empty() && part.back() == '\r') part.remove_suffix(1);
            emitLine(part, file, line);
            if (nl == std::string_view::npos) break;
            start = nl + 1;
            ++line;
        }
    }

    void emitLiteral(std::string_view text, int file, int line) {
        if (text.empty()) return;
        page_.blocks.emplace_back(text);
        emitLine("Response.WriteBlock " + std::to_string(page_.blocks.size() - 1), file, line);
    }

    void walk(int file, std::string_view text, int depth) {
        std::size_t at = 0;
        int line = 1;
        std::size_t literalStart = 0;
        int literalLine = 1;
        auto flushLiteral = [&](std::size_t end) {
            emitLiteral(text.substr(literalStart, end - literalStart), file, literalLine);
        };
        auto advanceTo = [&](std::size_t to) {
            line += countLines(text.substr(at, to - at));
            at = to;
        };
        while (at < text.size()) {
            std::size_t next = text.find('<', at);
            if (next == std::string_view::npos) break;
            advanceTo(next);
            if (startsWithNoCase(text, at, "<%")) {
                flushLiteral(at);
                std::size_t close = text.find("%>", at + 2);
                if (close == std::string_view::npos)
                    throw PageError("ASP 0116", "Missing close of script delimiter: the '<%' has no '%>'.",
                                    page_.files[file], line);
                std::string_view body = text.substr(at + 2, close - at - 2);
                if (!body.empty() && body[0] == '@') {
                    readDirective(body.substr(1), file, line);
                } else if (!body.empty() && body[0] == '=') {
                    std::string_view expr = body.substr(1);
                    std::string statement = "Response.Write(" + std::string(expr) + ")";
                    emitCode(statement, file, line);
                } else {
                    emitCode(body, file, line);
                }
                advanceTo(close + 2);
                literalStart = at;
                literalLine = line;
            } else if (startsWithNoCase(text, at, "<!--")) {
                std::optional<IncludeDirective> include = parseInclude(text, at);
                if (!include) {
                    ++at;
                    continue;
                }
                flushLiteral(at);
                splice(*include, file, line, depth);
                advanceTo(include->end);
                literalStart = at;
                literalLine = line;
            } else if (startsWithNoCase(text, at, "<script")) {
                std::size_t tagEnd = text.find('>', at);
                if (tagEnd == std::string_view::npos) break;
                std::string_view tag = text.substr(at, tagEnd - at);
                std::string language = attributeValue(tag, "language");
                if (attributeValue(tag, "runat") != "server" || (!language.empty() && language != "vbscript")) {
                    ++at;
                    continue;
                }
                std::size_t close = lower(text.substr(tagEnd)).find("</script");
                if (close == std::string_view::npos)
                    throw PageError("ASP 0118",
                                    "Missing close of script tag: <script runat=\"server\"> has no </script>.",
                                    page_.files[file], line);
                close += tagEnd;
                std::size_t closeEnd = text.find('>', close);
                closeEnd = closeEnd == std::string_view::npos ? text.size() : closeEnd + 1;
                flushLiteral(at);
                int codeLine = line + countLines(text.substr(at, tagEnd + 1 - at));
                emitCode(text.substr(tagEnd + 1, close - tagEnd - 1), file, codeLine);
                advanceTo(closeEnd);
                literalStart = at;
                literalLine = line;
            } else {
                ++at;
            }
        }
        flushLiteral(text.size());
    }

    void readDirective(std::string_view body, int file, int line) {
        std::string lcid = attributeValue(body, "lcid");
        if (!lcid.empty()) {
            if (lcid.size() > 6 || !std::all_of(lcid.begin(), lcid.end(),
                                                [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
                throw PageError("ASP 0219", "Invalid LCID '" + lcid + "'.", page_.files[file], line);
            page_.lcid = std::stoi(lcid);
        }
        std::string language = attributeValue(body, "language");
        if (!language.empty() && language != "vbscript")
            throw PageError("ASP 0129", "Unknown scripting language '" + language + "'.", page_.files[file], line);
    }

    void splice(const IncludeDirective& include, int file, int line, int depth) {
        const std::string& from = page_.files[file];
        if (depth >= maxIncludeDepth)
            throw PageError("ASP 0127", "Includes are nested too deeply (an include includes itself?).", from, line);
        std::optional<std::string> target = resolveSitePath(from, include.path, include.virtualPath);
        if (!target)
            throw PageError("ASP 0131", "Disallowed path: the include file '" + include.path + "' is outside the site.",
                            from, line);
        std::optional<SiteFile> found = sources_.read(*target);
        if (!found) throw PageError("ASP 0126", "The include file '" + include.path + "' was not found.", from, line);
        addFile(found->path, found->bytes, depth + 1);
    }

    const PageSources& sources_;
    TranslatedPage page_;
    int codePage_ = 936;
};

}  // namespace

std::optional<std::string> resolveSitePath(const std::string& fromFile, std::string_view reference, bool virtualPath) {
    std::vector<std::string> parts;
    auto push = [&parts](std::string_view path) {
        std::size_t start = 0;
        while (start <= path.size()) {
            std::size_t end = path.find_first_of("/\\", start);
            std::string_view part =
                path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
            if (part == "..") {
                if (parts.empty()) return false;
                parts.pop_back();
            } else if (!part.empty() && part != ".") {
                if (part.find(':') != std::string_view::npos) return false;  // drive letters, streams
                parts.emplace_back(part);
            }
            if (end == std::string_view::npos) break;
            start = end + 1;
        }
        return true;
    };
    bool fromRoot = virtualPath || (!reference.empty() && (reference[0] == '/' || reference[0] == '\\'));
    if (!fromRoot) {
        std::size_t slash = fromFile.find_last_of('/');
        if (slash != std::string::npos && !push(std::string_view(fromFile).substr(0, slash))) return std::nullopt;
    }
    if (!push(reference) || parts.empty()) return std::nullopt;
    std::string out;
    for (const std::string& part : parts) {
        if (!out.empty()) out += '/';
        out += part;
    }
    return out;
}

SourcePlace TranslatedPage::placeOf(long scriptLine) const {
    if (lines.empty()) return {};
    if (scriptLine < 0) scriptLine = 0;
    if (scriptLine >= static_cast<long>(lines.size())) scriptLine = static_cast<long>(lines.size()) - 1;
    return lines[static_cast<std::size_t>(scriptLine)];
}

std::string TranslatedPage::lineText(int file, int line) const {
    if (file < 0 || file >= static_cast<int>(fileTexts.size()) || line < 1) return {};
    std::string_view text = fileTexts[static_cast<std::size_t>(file)];
    std::size_t at = 0;
    for (int i = 1; i < line; ++i) {
        at = text.find('\n', at);
        if (at == std::string_view::npos) return {};
        ++at;
    }
    std::size_t end = text.find('\n', at);
    std::string_view out = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    if (!out.empty() && out.back() == '\r') out.remove_suffix(1);
    return std::string(out);
}

TranslatedPage translatePage(const std::string& pagePath, const PageSources& sources) {
    return Translator(sources).run(pagePath);
}

}  // namespace tabulon::preview::host
