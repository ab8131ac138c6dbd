#pragma once
// One HTTP/1.x request as the host reads it from its socket, and the pieces of it ASP pages
// see: the path, the raw query string, headers, cookies and form fields. Values stay bytes
// here (pages decode them in their code page).
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ascii_text.h"

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

// Outcome of feeding the bytes read so far.
enum class ParseState { NeedMore, Complete, Bad };

// Parses `data` when it holds a whole request (headers and Content-Length bytes of body).
// `request` is filled on Complete; `error` names the fault on Bad.
ParseState parseHttpRequest(std::string_view data, HttpRequest& request, std::string& error);

// "a=1&b=2&a=3" -> pairs, each name and value percent-decoded (bytes).
NameValues parseUrlEncoded(std::string_view text);

// "a=1; b=2" -> pairs; values are percent-decoded the way ASP reads cookies.
NameValues parseCookieHeader(std::string_view text);

// Percent-encodes bytes the way Server.URLEncode does: letters and digits stay, space
// becomes '+', everything else %XX.
std::string urlEncode(std::string_view bytes);

}  // namespace tabulon::preview::host
