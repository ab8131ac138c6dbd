#include "preview/server/mime_types.h"

#include <array>
#include <utility>

#include "preview/host/core/http_parser.h"

namespace tabulon::preview {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 24> kTypes{{
    {"htm", "text/html"},
    {"html", "text/html"},
    {"css", "text/css"},
    {"js", "application/javascript"},
    {"txt", "text/plain"},
    {"xml", "text/xml"},
    {"xsl", "text/xml"},
    {"json", "application/json"},
    {"gif", "image/gif"},
    {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},
    {"png", "image/png"},
    {"bmp", "image/bmp"},
    {"ico", "image/x-icon"},
    {"svg", "image/svg+xml"},
    {"webp", "image/webp"},
    {"swf", "application/x-shockwave-flash"},
    {"pdf", "application/pdf"},
    {"zip", "application/zip"},
    {"mp3", "audio/mpeg"},
    {"woff", "font/woff"},
    {"woff2", "font/woff2"},
    {"ttf", "font/ttf"},
    {"eot", "application/vnd.ms-fontobject"},
}};

std::string_view extensionOf(std::string_view fileName) {
    const auto slash = fileName.find_last_of('/');
    if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return fileName.substr(dot + 1);
}

}  // namespace

std::optional<std::string_view> mimeTypeFor(std::string_view fileName) {
    const auto extension = extensionOf(fileName);
    for (const auto& [known, type] : kTypes)
        if (equalsIgnoringCase(extension, known)) return type;
    return std::nullopt;
}

bool isAspPage(std::string_view fileName) { return equalsIgnoringCase(extensionOf(fileName), "asp"); }

}  // namespace tabulon::preview
