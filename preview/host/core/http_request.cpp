#include "http_request.h"

#include <cctype>

#include "base/ascii_text.h"
#include <charconv>

namespace tabulon::preview::host {
namespace {

std::string_view trim(std::string_view s) { return trimAscii(s, " \t\r"); }

constexpr std::size_t maxHeaderBytes = 64 * 1024;

}  // namespace

std::optional<std::string> HttpRequest::header(std::string_view name) const {
    for (const auto& [n, v] : headers)
        if (equalsIgnoringCase(n, name)) return v;
    return std::nullopt;
}

ParseState parseHttpRequest(std::string_view data, HttpRequest& request, std::string& error) {
    std::size_t headEnd = data.find("\r\n\r\n");
    std::size_t separator = 4;
    if (headEnd == std::string_view::npos) {
        headEnd = data.find("\n\n");
        separator = 2;
    }
    if (headEnd == std::string_view::npos) {
        if (data.size() > maxHeaderBytes) {
            error = "request headers too large";
            return ParseState::Bad;
        }
        return ParseState::NeedMore;
    }
    HttpRequest r;
    std::string_view head = data.substr(0, headEnd);
    std::size_t lineEnd = head.find('\n');
    std::string_view requestLine = trim(head.substr(0, lineEnd));
    std::size_t sp1 = requestLine.find(' ');
    std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : requestLine.find(' ', sp1 + 1);
    if (sp1 == std::string_view::npos || sp2 == std::string_view::npos) {
        error = "malformed request line";
        return ParseState::Bad;
    }
    r.method = std::string(requestLine.substr(0, sp1));
    r.target = std::string(requestLine.substr(sp1 + 1, sp2 - sp1 - 1));
    r.version = std::string(requestLine.substr(sp2 + 1));
    if (r.version.rfind("HTTP/1.", 0) != 0 || r.target.empty()) {
        error = "unsupported request";
        return ParseState::Bad;
    }
    std::size_t question = r.target.find('?');
    r.rawPath = r.target.substr(0, question);
    if (question != std::string::npos) r.query = r.target.substr(question + 1);
    r.path = percentDecode(r.rawPath, false);

    std::size_t at = lineEnd == std::string_view::npos ? head.size() : lineEnd + 1;
    while (at < head.size()) {
        std::size_t end = head.find('\n', at);
        std::string_view line =
            trim(head.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
        at = end == std::string_view::npos ? head.size() : end + 1;
        if (line.empty()) continue;
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            error = "malformed header line";
            return ParseState::Bad;
        }
        r.headers.emplace_back(std::string(trim(line.substr(0, colon))), std::string(trim(line.substr(colon + 1))));
    }

    std::size_t length = 0;
    if (std::optional<std::string> value = r.header("Content-Length")) {
        auto [ptr, ec] = std::from_chars(value->data(), value->data() + value->size(), length);
        if (ec != std::errc() || ptr != value->data() + value->size()) {
            error = "bad Content-Length";
            return ParseState::Bad;
        }
    }
    std::size_t bodyStart = headEnd + separator;
    if (data.size() - bodyStart < length) return ParseState::NeedMore;
    r.body = std::string(data.substr(bodyStart, length));
    request = std::move(r);
    return ParseState::Complete;
}

namespace {

// name=value pairs between `separator`s, decoded; cookies also drop the blanks around each part.
NameValues parsePairs(std::string_view text, char separator, bool trimmed) {
    auto clean = [trimmed](std::string_view part) { return trimmed ? trim(part) : part; };
    NameValues out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(separator, at);
        std::string_view pair =
            clean(text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
        at = end == std::string_view::npos ? text.size() : end + 1;
        if (pair.empty()) continue;
        std::size_t eq = pair.find('=');
        std::string_view name = clean(pair.substr(0, eq));
        std::string_view value = eq == std::string_view::npos ? std::string_view() : clean(pair.substr(eq + 1));
        out.emplace_back(percentDecode(name, true), percentDecode(value, true));
    }
    return out;
}

}  // namespace

NameValues parseUrlEncoded(std::string_view text) { return parsePairs(text, '&', false); }

NameValues parseCookieHeader(std::string_view text) { return parsePairs(text, ';', true); }

std::string urlEncode(std::string_view bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (char c : bytes) {
        unsigned char u = static_cast<unsigned char>(c);
        if (std::isalnum(u)) {
            out += c;
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += digits[u >> 4];
            out += digits[u & 15];
        }
    }
    return out;
}

}  // namespace tabulon::preview::host
