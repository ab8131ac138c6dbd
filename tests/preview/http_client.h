#pragma once
// A bare HTTP client for the tests: sends bytes as given, reads until the server closes.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "preview/server/http_response.h"
#include "preview/server/socket_io.h"

namespace tabulon::preview::wire {

inline std::optional<Socket> connectTo(std::uint16_t port) {
    return connectToLoopback(port, Clock::now() + std::chrono::seconds(2));
}

struct Exchange {
    int status = 0;  // 0: no HTTP answer
    std::string head, body;
    HttpResponse response;
};

inline Exchange exchange(std::uint16_t port, const std::string& wire,
                         std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    Exchange result;
    auto socket = connectTo(port);
    if (!socket) return result;
    const auto deadline = Clock::now() + limit;
    sendAll(socket->fd(), wire, deadline);
    std::string answer;
    readUntilClosed(socket->fd(), answer, deadline, 1 << 26);
    const auto end = answer.find("\r\n\r\n");
    if (const auto parsed = parseResponse(answer)) {
        result.response = *parsed;
        result.status = parsed->status;
        result.head = answer.substr(0, end);
        result.body = parsed->body;
    }
    return result;
}

inline std::string get(const std::string& path) { return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"; }

}  // namespace tabulon::preview::wire
