#pragma once
// Responses of the front server: built here for static files and error pages, or read
// whole from the ASP host and passed on.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tabulon::preview {

struct HttpResponse {
    int status = 200;
    std::string reason = "OK";
    std::vector<std::pair<std::string, std::string>> headers;  // without Content-Length and Connection
    std::string body;

    std::optional<std::string_view> header(std::string_view name) const;
    void setHeader(std::string name, std::string value);  // replaces one of the same name
    void removeHeader(std::string_view name);

    // Status line, headers, Content-Length and "Connection: close", then the body unless
    // `withBody` is false (an answer to HEAD keeps the length of the body it leaves out).
    std::string serialize(bool withBody = true) const;
};

std::string_view reasonPhrase(int status);

// Reads a complete response as the host sends it (it closes after the body). Nothing when
// the bytes are not an HTTP response; the body is what follows the head, cut to a
// Content-Length that is present.
std::optional<HttpResponse> parseResponse(std::string_view bytes);

// A small HTML page in UTF-8 for the front server's own answers: title, then paragraphs.
HttpResponse errorPage(int status, std::string_view title, const std::vector<std::string>& paragraphs);

// "<" ">" "&" and quotes as entities.
std::string escapeHtml(std::string_view text);

}  // namespace tabulon::preview
