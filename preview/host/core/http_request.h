#pragma once
// One request as ASP pages see it: the path, the raw query string, headers, cookies and form
// fields. Values stay bytes here (pages decode them in their code page).
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ascii_text.h"
#include "http_parser.h"

namespace tabulon::preview::host {

using NameValues = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
    std::string method;
    std::string target;   // as sent: path and query
    std::string path;     // percent-decoded path, bytes
    std::string rawPath;  // the path part as sent
    std::string query;    // the raw query string (after '?')
    std::string version;  // "HTTP/1.1"
    NameValues headers;   // in order, names as sent
    std::string body;

    // The first header of that name (case-insensitive), if any.
    std::optional<std::string> header(std::string_view name) const;
};

// The request the parser read, with its path percent-decoded and its query split off.
HttpRequest pageRequest(preview::HttpRequest&& parsed);

// Forms past this many fields are not read further (the front server refuses them).
constexpr std::size_t kMaxFormFields = 10000;

// "a=1&b=2&a=3" -> pairs, each name and value percent-decoded (bytes), at most `limit`.
NameValues parseUrlEncoded(std::string_view text, std::size_t limit = kMaxFormFields);
// How many fields a form or query string holds, counted without decoding it.
std::size_t countUrlEncodedFields(std::string_view text);

// "a=1; b=2" -> pairs; values are percent-decoded the way ASP reads cookies.
NameValues parseCookieHeader(std::string_view text);

// Percent-encodes bytes the way Server.URLEncode does: letters and digits stay, space
// becomes '+', everything else %XX.
std::string urlEncode(std::string_view bytes);

}  // namespace tabulon::preview::host
