#include "preview/server/http_response.h"

#include <charconv>

#include "preview/host/core/http_parser.h"

namespace tabulon::preview {

std::optional<std::string_view> HttpResponse::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (equalsIgnoringCase(key, name)) return std::string_view(value);
    return std::nullopt;
}

void HttpResponse::setHeader(std::string name, std::string value) {
    for (auto& [key, existing] : headers)
        if (equalsIgnoringCase(key, name)) {
            existing = std::move(value);
            return;
        }
    headers.emplace_back(std::move(name), std::move(value));
}

void HttpResponse::removeHeader(std::string_view name) {
    std::erase_if(headers, [&](const auto& header) { return equalsIgnoringCase(header.first, name); });
}

std::string HttpResponse::serialize(bool withBody) const {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    for (const auto& [name, value] : headers) {
        if (equalsIgnoringCase(name, "Content-Length") || equalsIgnoringCase(name, "Connection") ||
            equalsIgnoringCase(name, "Transfer-Encoding") || equalsIgnoringCase(name, "Keep-Alive"))
            continue;
        out += name + ": " + value + "\r\n";
    }
    out += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    if (withBody) out += body;
    return out;
}

std::string_view reasonPhrase(int status) {
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 421: return "Misdirected Request";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    case 505: return "HTTP Version Not Supported";
    default: return "Status";
    }
}

std::optional<HttpResponse> parseResponse(std::string_view bytes) {
    auto end = bytes.find("\r\n\r\n");
    std::size_t terminator = 4;
    if (end == std::string_view::npos) {
        end = bytes.find("\n\n");
        terminator = 2;
        if (end == std::string_view::npos) return std::nullopt;
    }
    auto head = bytes.substr(0, end);
    HttpResponse response;
    response.headers.clear();

    auto nextLine = [&head]() {
        const auto newline = head.find('\n');
        auto line = head.substr(0, newline);
        head = newline == std::string_view::npos ? std::string_view() : head.substr(newline + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return line;
    };
    const auto statusLine = nextLine();
    if (!statusLine.starts_with("HTTP/1.")) return std::nullopt;
    const auto space = statusLine.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    const auto code = statusLine.substr(space + 1, 3);
    const auto [stop, error] = std::from_chars(code.data(), code.data() + code.size(), response.status);
    if (error != std::errc() || stop != code.data() + code.size() || response.status < 100 || response.status > 599)
        return std::nullopt;
    const auto reasonAt = space + 1 + 3;
    response.reason = reasonAt < statusLine.size() ? std::string(statusLine.substr(reasonAt + 1)) : std::string();
    if (response.reason.empty()) response.reason = reasonPhrase(response.status);

    std::optional<std::size_t> length;
    while (!head.empty()) {
        const auto line = nextLine();
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        auto value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        const auto name = line.substr(0, colon);
        if (equalsIgnoringCase(name, "Content-Length")) {
            std::size_t parsed = 0;
            if (std::from_chars(value.data(), value.data() + value.size(), parsed).ec == std::errc()) length = parsed;
        }
        response.headers.emplace_back(name, value);
    }
    auto body = bytes.substr(end + terminator);
    if (length && *length < body.size()) body = body.substr(0, *length);
    response.body = body;
    return response;
}

std::string escapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

HttpResponse errorPage(int status, std::string_view title, const std::vector<std::string>& paragraphs) {
    HttpResponse response;
    response.status = status;
    response.reason = reasonPhrase(status);
    response.setHeader("Content-Type", "text/html; charset=utf-8");
    response.setHeader("Cache-Control", "no-store");
    std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + escapeHtml(title) +
                       "</title></head>\n<body style=\"font-family:sans-serif\">\n<h2>" + std::to_string(status) + " " +
                       escapeHtml(title) + "</h2>\n";
    for (const auto& paragraph : paragraphs) html += "<p>" + escapeHtml(paragraph) + "</p>\n";
    html += "<hr><p><small>Tabulon 预览</small></p>\n</body></html>\n";
    response.body = std::move(html);
    return response;
}

}  // namespace tabulon::preview
