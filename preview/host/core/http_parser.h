#pragma once
// HTTP/1.x requests as the preview reads them: the front server from a browser, the ASP host
// from the front. The request line, the headers and a body announced by Content-Length, all
// within fixed limits; one parser for both, so they never disagree on where a request ends.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ascii_text.h"

namespace tabulon::preview {

struct RequestLimits {
    std::size_t maxHeaderBytes = 16 * 1024;      // request line and headers together
    std::size_t maxBodyBytes = 4 * 1024 * 1024;  // a form post with a long rich-text field
};

struct HttpRequest {
    std::string method;                                        // GET, POST or HEAD
    std::string target;                                        // as sent: "/manage/a.asp?id=3"
    std::string version;                                       // "HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;  // in order, names as sent
    std::string body;

    // The first header of that name (case-insensitive), or nothing.
    std::optional<std::string_view> header(std::string_view name) const;
    std::string_view path() const;   // target without "?query" and "#fragment"
    std::string_view query() const;  // after "?", without it; empty when none
};

// Feeds bytes as they arrive; says when a request is complete or why it is refused.
class RequestParser {
public:
    enum class State { NeedMore, Complete, Refused };

    explicit RequestParser(RequestLimits limits = {}) : limits_(limits) {}

    State feed(std::string_view bytes);
    State state() const { return state_; }
    // Whether the request line and headers are all in (the body may still be coming).
    bool headDone() const { return headDone_; }
    // Valid once Complete.
    const HttpRequest& request() const { return request_; }
    HttpRequest take() && { return std::move(request_); }
    // The status to answer with once Refused: 400, 405, 411, 413, 431, 501 or 505.
    int refusal() const { return refusal_; }
    std::string_view refusalReason() const { return reason_; }

private:
    State refuse(int status, std::string reason);
    State parseHead(std::string_view head);

    RequestLimits limits_;
    State state_ = State::NeedMore;
    std::string buffer_;
    bool headDone_ = false;
    std::size_t bodyLength_ = 0;
    HttpRequest request_;
    int refusal_ = 0;
    std::string reason_;
};

}  // namespace tabulon::preview
