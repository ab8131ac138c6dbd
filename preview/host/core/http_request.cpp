#include "http_request.h"

#include <cctype>
#include <cstdint>

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

HttpRequest pageRequest(preview::HttpRequest&& parsed) {
    HttpRequest r;
    r.rawPath = std::string(parsed.path());
    r.query = std::string(parsed.query());
    r.path = percentDecode(r.rawPath);
    r.method = std::move(parsed.method);
    r.target = std::move(parsed.target);
    r.version = std::move(parsed.version);
    r.headers = std::move(parsed.headers);
    r.body = std::move(parsed.body);
    return r;
}

namespace {

// name=value pairs between `separator`s, decoded; cookies also drop the blanks around each part.
NameValues parsePairs(std::string_view text, char separator, bool trimmed, std::size_t limit) {
    auto clean = [trimmed](std::string_view part) { return trimmed ? trim(part) : part; };
    NameValues out;
    std::size_t at = 0;
    while (at < text.size() && out.size() < limit) {
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

NameValues parseUrlEncoded(std::string_view text, std::size_t limit) { return parsePairs(text, '&', false, limit); }

std::size_t countUrlEncodedFields(std::string_view text) {
    std::size_t count = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('&', at);
        if (end == std::string_view::npos) end = text.size();
        if (end > at) ++count;
        at = end + 1;
    }
    return count;
}

NameValues parseCookieHeader(std::string_view text) { return parsePairs(text, ';', true, SIZE_MAX); }

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
