#pragma once
// The types of the static files a site is served with. As on IIS, a file whose extension
// is not listed is not served at all: data/data.mdb, include files and the like stay put.
#include <optional>
#include <string_view>

namespace tabulon::preview {

// The Content-Type of a file name by its extension (case-insensitive), or nothing. Text
// types carry no charset: the site's GBK files name theirs in their own markup.
std::optional<std::string_view> mimeTypeFor(std::string_view fileName);

// True for the pages the ASP host runs (".asp", any case).
bool isAspPage(std::string_view fileName);

}  // namespace tabulon::preview
