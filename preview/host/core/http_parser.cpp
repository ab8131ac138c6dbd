#include "http_parser.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tabulon::preview {
namespace {

constexpr std::string_view kMethods[] = {"GET", "POST", "HEAD"};

bool isTokenChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u)) return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool isToken(std::string_view text) { return !text.empty() && std::all_of(text.begin(), text.end(), isTokenChar); }

std::string_view trimmed(std::string_view text) { return trimAscii(text); }

// Where the head ends and how long its terminator is ("\r\n\r\n" or a bare "\n\n").
std::optional<std::pair<std::size_t, std::size_t>> headEnd(std::string_view buffer) {
    const auto crlf = buffer.find("\r\n\r\n");
    const auto lf = buffer.find("\n\n");
    if (crlf == std::string_view::npos && lf == std::string_view::npos) return std::nullopt;
    if (lf != std::string_view::npos && (crlf == std::string_view::npos || lf < crlf)) return std::pair{lf, 2ul};
    return std::pair{crlf, 4ul};
}

}  // namespace

std::optional<std::string_view> HttpRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (equalsIgnoringCase(key, name)) return std::string_view(value);
    return std::nullopt;
}

std::string_view HttpRequest::path() const {
    std::string_view text = target;
    return text.substr(0, text.find_first_of("?#"));
}

std::string_view HttpRequest::query() const {
    std::string_view text = target;
    text = text.substr(0, text.find('#'));
    const auto mark = text.find('?');
    return mark == std::string_view::npos ? std::string_view() : text.substr(mark + 1);
}

RequestParser::State RequestParser::refuse(int status, std::string reason) {
    refusal_ = status;
    reason_ = std::move(reason);
    buffer_.clear();
    return state_ = State::Refused;
}

RequestParser::State RequestParser::feed(std::string_view bytes) {
    if (state_ != State::NeedMore) return state_;
    buffer_.append(bytes);
    if (!headDone_) {
        const auto end = headEnd(buffer_);
        if (!end) {
            if (buffer_.size() > limits_.maxHeaderBytes) return refuse(431, "request header too large");
            return state_;
        }
        if (end->first + end->second > limits_.maxHeaderBytes) return refuse(431, "request header too large");
        if (parseHead(std::string_view(buffer_).substr(0, end->first)) == State::Refused) return state_;
        headDone_ = true;
        buffer_.erase(0, end->first + end->second);
    }
    if (buffer_.size() >= bodyLength_) {
        // Bytes past the announced body (a pipelined request) are not ours to answer.
        request_.body = buffer_.substr(0, bodyLength_);
        buffer_.clear();
        return state_ = State::Complete;
    }
    return state_;
}

RequestParser::State RequestParser::parseHead(std::string_view head) {
    std::vector<std::string_view> lines;
    while (!head.empty()) {
        const auto newline = head.find('\n');
        auto line = head.substr(0, newline);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (newline == std::string_view::npos) break;
        head.remove_prefix(newline + 1);
    }
    if (lines.empty()) return refuse(400, "empty request");

    // Request line: METHOD SP target SP HTTP/x.y, single spaces.
    const auto requestLine = lines.front();
    const auto firstSpace = requestLine.find(' ');
    const auto lastSpace = requestLine.rfind(' ');
    if (firstSpace == std::string_view::npos || firstSpace == lastSpace) return refuse(400, "malformed request line");
    const auto method = requestLine.substr(0, firstSpace);
    const auto target = requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    const auto version = requestLine.substr(lastSpace + 1);
    if (!isToken(method)) return refuse(400, "malformed method");
    if (version != "HTTP/1.1" && version != "HTTP/1.0") {
        if (version.starts_with("HTTP/")) return refuse(505, "HTTP version not supported");
        return refuse(400, "malformed request line");
    }
    if (target.empty() || target.front() != '/') return refuse(400, "the target must be a path");
    for (const char c : target)
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f) return refuse(400, "control character in the target");
    if (std::find(std::begin(kMethods), std::end(kMethods), method) == std::end(kMethods))
        return refuse(405, "only GET, POST and HEAD are served");
    request_.method = method;
    request_.target = target;
    request_.version = version;

    std::optional<std::size_t> length;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto line = lines[i];
        if (line.empty()) continue;
        if (line.front() == ' ' || line.front() == '\t') return refuse(400, "folded header line");
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || !isToken(line.substr(0, colon))) return refuse(400, "malformed header");
        const auto name = line.substr(0, colon);
        const auto value = trimmed(line.substr(colon + 1));
        if (equalsIgnoringCase(name, "Transfer-Encoding"))
            return refuse(501, "chunked request bodies are not accepted");
        if (equalsIgnoringCase(name, "Content-Length")) {
            std::size_t parsed = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
            if (value.empty() || error != std::errc() || end != value.data() + value.size())
                return refuse(error == std::errc::result_out_of_range ? 413 : 400, "bad Content-Length");
            if (length && *length != parsed) return refuse(400, "conflicting Content-Length");
            length = parsed;
        }
        request_.headers.emplace_back(name, value);
    }
    if (request_.version == "HTTP/1.1" && !request_.header("Host")) return refuse(400, "no Host header");
    if (length && *length > limits_.maxBodyBytes) return refuse(413, "request body too large");
    if (method == "POST" && !length) return refuse(411, "a POST needs a Content-Length");
    bodyLength_ = length.value_or(0);
    return state_;
}

}  // namespace tabulon::preview
