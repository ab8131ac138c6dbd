#include "preview/server/site_folder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <system_error>
#include <vector>

#include "base/error.h"
#include "base/file_output.h"
#include "preview/host/core/http_parser.h"

namespace tabulon::preview {
namespace fs = std::filesystem;
namespace {

constexpr std::array<std::string_view, 5> kDefaultDocuments = {"index.asp", "default.asp", "index.htm", "index.html",
                                                               "default.htm"};

SiteLookup refused(SiteLookup::Outcome outcome, std::string why) {
    SiteLookup result;
    result.outcome = outcome;
    result.why = std::move(why);
    return result;
}

// The entry of `folder` named `name`: the exact name first, else the first name (in sorted
// order, so the answer is stable) equal to it ignoring ASCII case.
std::optional<std::string> matchEntry(const fs::path& folder, const std::string& name) {
    std::error_code error;
    if (fs::symlink_status(folder / name, error).type() != fs::file_type::not_found && !error) return name;
    std::vector<std::string> matches;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const auto entry = it->path().filename().string();
        if (equalsIgnoringCase(entry, name)) matches.push_back(entry);
    }
    if (matches.empty()) return std::nullopt;
    return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

SiteFolder::SiteFolder(const fs::path& root) {
    std::error_code error;
    root_ = fs::canonical(root, error);
    if (error || !fs::is_directory(root_, error))
        throw Error("网站文件夹 " + displayPath(root) + " 不存在或无法读取。");
}

bool SiteFolder::inside(const fs::path& path) const {
    std::error_code error;
    const auto real = fs::canonical(path, error);
    if (error) return false;
    auto rootPart = root_.begin();
    auto part = real.begin();
    for (; rootPart != root_.end(); ++rootPart, ++part)
        if (part == real.end() || *part != *rootPart) return false;
    return true;
}

SiteLookup SiteFolder::lookup(std::string_view urlPath) const {
    if (urlPath.empty() || urlPath.front() != '/') return refused(SiteLookup::Outcome::BadRequest, "not a path");
    // Separators and NUL must arrive as themselves: an encoded one would smuggle a name
    // past the checks below.
    for (std::size_t i = 0; i + 2 < urlPath.size(); ++i) {
        if (urlPath[i] != '%') continue;
        const auto code = std::string(urlPath.substr(i + 1, 2));
        if (equalsIgnoringCase(code, "2f") || equalsIgnoringCase(code, "5c") || code == "00")
            return refused(SiteLookup::Outcome::Forbidden, "encoded separator or NUL");
    }
    const auto decoded = percentDecodeStrict(urlPath);
    if (!decoded) return refused(SiteLookup::Outcome::BadRequest, "malformed %-escape");
    return walk(*decoded);
}

SiteLookup SiteFolder::walk(std::string_view path) const {
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\' || u < 0x20 || u == 0x7f)
            return refused(SiteLookup::Outcome::Forbidden, "backslash or control character");
    }
    std::vector<std::string> segments;
    for (std::size_t start = 1; start <= path.size();) {
        const auto slash = std::min(path.find('/', start), path.size());
        const auto segment = path.substr(start, slash - start);
        start = slash + 1;
        if (segment.empty() || segment == ".") continue;
        // ".." (and "..." that Windows would trim to it), alternate streams and drive
        // letters never name a file of the site.
        if (segment.find_first_not_of('.') == std::string_view::npos || segment.find(':') != std::string_view::npos)
            return refused(SiteLookup::Outcome::Forbidden, "path leaves the site folder");
        segments.emplace_back(segment);
    }

    fs::path current = root_;
    std::string sitePath;
    for (const auto& segment : segments) {
        std::error_code error;
        if (!fs::is_directory(current, error)) return refused(SiteLookup::Outcome::NotFound, "no such file");
        const auto entry = matchEntry(current, segment);
        if (!entry) return refused(SiteLookup::Outcome::NotFound, "no such file");
        current /= *entry;
        sitePath += "/" + *entry;
        if (!inside(current)) return refused(SiteLookup::Outcome::Forbidden, "link leading out of the site folder");
    }

    std::error_code error;
    if (fs::is_directory(current, error)) {
        if (!path.ends_with('/') && !segments.empty()) {
            SiteLookup redirect;
            redirect.outcome = SiteLookup::Outcome::Redirect;
            redirect.sitePath = sitePath + "/";
            return redirect;
        }
        for (const auto document : kDefaultDocuments) {
            const auto entry = matchEntry(current, std::string(document));
            if (!entry || !fs::is_regular_file(current / *entry, error)) continue;
            if (!inside(current / *entry)) continue;
            SiteLookup found;
            found.outcome = SiteLookup::Outcome::Found;
            found.file = current / *entry;
            found.sitePath = sitePath + "/" + *entry;
            return found;
        }
        return refused(SiteLookup::Outcome::Forbidden, "no default document and no folder listing");
    }
    if (!fs::is_regular_file(current, error)) return refused(SiteLookup::Outcome::NotFound, "no such file");
    if (path.ends_with('/')) return refused(SiteLookup::Outcome::NotFound, "no such file");
    SiteLookup found;
    found.outcome = SiteLookup::Outcome::Found;
    found.file = current;
    found.sitePath = sitePath.empty() ? "/" : sitePath;
    return found;
}

std::optional<fs::path> SiteFolder::findFile(std::string_view relativePath) const {
    if (relativePath.empty() || relativePath.ends_with('/')) return std::nullopt;
    const auto found = walk("/" + std::string(relativePath));
    if (found.outcome != SiteLookup::Outcome::Found) return std::nullopt;
    return found.file;
}

}  // namespace tabulon::preview
