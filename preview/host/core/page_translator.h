#pragma once
// Turns a classic ASP page into one VBScript program, the way IIS's ASP handler does:
// literal text becomes numbered blocks written by Response.WriteBlock, "<%= e %>" a write of
// the expression, "<% code %>" and <script runat="server"> code as is, "#include" files
// spliced in, "<%@ %>" directives read and dropped. Every script line remembers the file and
// line it came from so that errors can name them.
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tabulon::preview::host {

// Where one script line came from: an index into TranslatedPage::files and a 1-based line.
struct SourcePlace {
    int file = 0;
    int line = 1;
};

struct TranslatedPage {
    std::string script;                  // UTF-8, lines separated by "\r\n"
    std::vector<std::string> blocks;     // literal text, UTF-8, in WriteBlock order
    std::vector<std::string> files;      // site-relative paths with '/', [0] is the page
    std::vector<std::string> fileTexts;  // each file's decoded text, for showing a line
    std::vector<SourcePlace> lines;      // one entry per script line (0-based index)
    int codePage = 0;                    // the CODEPAGE directive's value, 0 when absent
    int lcid = 0;                        // the LCID directive's value, 0 when absent

    // The place of a 0-based script line, clamped to the known lines.
    SourcePlace placeOf(long scriptLine) const;
    // The text of a 1-based line of a file, without its line end.
    std::string lineText(int file, int line) const;
};

// An error IIS reports before running the page (include not found, bad directive, …).
class PageError : public std::runtime_error {
public:
    PageError(std::string code, const std::string& message, std::string file, int line)
        : std::runtime_error(message), code_(std::move(code)), file_(std::move(file)), line_(line) {}
    const std::string& code() const { return code_; }  // e.g. "ASP 0126"
    const std::string& file() const { return file_; }
    int line() const { return line_; }

private:
    std::string code_;
    std::string file_;
    int line_;
};

// A file of the site as found: its name as stored (the server matches names without regard
// to case) and its raw bytes.
struct SiteFile {
    std::string path;
    std::string bytes;
};

struct PageSources {
    // The site-relative file ('/'-separated, already inside the site), or nothing when there
    // is no such file.
    std::function<std::optional<SiteFile>(const std::string& relativePath)> read;
    // Bytes in a code page to UTF-8.
    std::function<std::string(std::string_view bytes, int codePage)> decode;
    int defaultCodePage = 936;
};

// Translates the page at `pagePath` (site-relative, '/'-separated). Throws PageError.
TranslatedPage translatePage(const std::string& pagePath, const PageSources& sources);

// Joins `reference` to the folder of `fromFile` (or to the site root when `reference`
// starts with '/' or `virtualPath` is set) and normalises it; nothing when it leaves the site.
std::optional<std::string> resolveSitePath(const std::string& fromFile, std::string_view reference, bool virtualPath);

}  // namespace tabulon::preview::host
