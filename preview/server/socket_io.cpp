#include "preview/server/socket_io.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "base/error.h"

namespace tabulon::preview {
namespace {

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int millisecondsUntil(Clock::time_point deadline) {
    // Rounded up: a wait never ends before its deadline.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// Waits for `events` on fd; false at the deadline or on a failure.
bool await(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, millisecondsUntil(deadline));
        if (ready > 0) return true;
        if (ready == 0) return false;
        if (errno != EINTR) return false;
    }
}

}  // namespace

Socket::~Socket() {
    if (fd_ >= 0) close(fd_);
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = other.release();
    }
    return *this;
}

int Socket::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

Socket listenOnLoopback(std::uint16_t port, int backlog) {
    Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket) throw Error(std::string("无法建立网络套接字：") + std::strerror(errno));
    const int on = 1;
    setsockopt(socket.fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const auto address = loopback(port);
    if (bind(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw Error("无法在 127.0.0.1:" + std::to_string(port) + " 上监听：" + std::strerror(errno) +
                    (errno == EADDRINUSE ? "（端口已被占用，请用 --port 换一个，或 --port 0 自动选择）" : ""));
    if (::listen(socket.fd(), backlog) != 0) throw Error(std::string("无法监听：") + std::strerror(errno));
    return socket;
}

std::uint16_t localPort(const Socket& socket) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(socket.fd(), reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

std::optional<Socket> connectToLoopback(std::uint16_t port, Clock::time_point deadline) {
    Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket) return std::nullopt;
    const auto address = loopback(port);
    if (connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS) return std::nullopt;
        if (!await(socket.fd(), POLLOUT, deadline)) return std::nullopt;
        int failure = 0;
        socklen_t length = sizeof failure;
        if (getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &failure, &length) != 0 || failure != 0) return std::nullopt;
    }
    const int on = 1;
    setsockopt(socket.fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return socket;
}

bool sendAll(int fd, std::string_view bytes, Clock::time_point deadline) {
    while (!bytes.empty()) {
        const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!await(fd, POLLOUT, deadline)) return false;
            continue;
        }
        return false;
    }
    return true;
}

std::optional<std::string> readSome(int fd, Clock::time_point deadline) {
    char buffer[16384];
    for (;;) {
        if (!await(fd, POLLIN, deadline)) return std::nullopt;
        const ssize_t got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got >= 0) return std::string(buffer, static_cast<std::size_t>(got));
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
        return std::nullopt;
    }
}

ReadEnd readUntilClosed(int fd, std::string& into, Clock::time_point deadline, std::size_t limit) {
    for (;;) {
        if (!await(fd, POLLIN, deadline)) return Clock::now() >= deadline ? ReadEnd::Deadline : ReadEnd::Failed;
        char buffer[65536];
        const ssize_t got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0) return ReadEnd::Closed;
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            // A reset after a complete answer still leaves that answer.
            return errno == ECONNRESET ? ReadEnd::Closed : ReadEnd::Failed;
        }
        into.append(buffer, static_cast<std::size_t>(got));
        if (into.size() > limit) return ReadEnd::TooLarge;
    }
}

}  // namespace tabulon::preview
