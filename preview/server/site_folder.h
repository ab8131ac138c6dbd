#pragma once
// Maps URL paths to the files of a site folder the way IIS does for a site on Windows:
// names match whatever their case, "/" gets a default document, and nothing outside the
// folder is ever reached: no "..", no encoded separators, no backslash, no NUL, and no
// symbolic link leading out. The folder is only read.
#include <filesystem>
#include <optional>
#include <string>

#include "base/ascii_text.h"
#include <string_view>

namespace tabulon::preview {

struct SiteLookup {
    enum class Outcome { Found, Redirect, NotFound, Forbidden, BadRequest };
    Outcome outcome = Outcome::NotFound;
    std::filesystem::path file;  // Found: the file on disk
    // Found: the site path with each name as it is on disk ("/manage/YH24_Add.asp");
    // Redirect: the folder's path with its closing slash.
    std::string sitePath;
    std::string why;  // a short reason for a refusal
};

class SiteFolder {
public:
    // Throws tabulon::Error when `root` is not a readable folder.
    explicit SiteFolder(const std::filesystem::path& root);

    const std::filesystem::path& root() const { return root_; }

    // `urlPath` is the path part of a request target, still percent-encoded.
    SiteLookup lookup(std::string_view urlPath) const;

    // A site-relative file path with forward slashes ("manage/conn.asp"), matched
    // case-insensitively; nothing when it is not a file inside the folder.
    std::optional<std::filesystem::path> findFile(std::string_view relativePath) const;

private:
    SiteLookup walk(std::string_view decodedPath) const;
    bool inside(const std::filesystem::path& path) const;

    std::filesystem::path root_;  // canonical
};

}  // namespace tabulon::preview
