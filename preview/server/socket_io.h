#pragma once
// Blocking socket calls bounded by deadlines, for the front server and its link to the host.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tabulon::preview {

using Clock = std::chrono::steady_clock;

// Owns a file descriptor and closes it.
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket();
    Socket(Socket&& other) noexcept : fd_(other.release()) {}
    Socket& operator=(Socket&& other) noexcept;
    int fd() const { return fd_; }
    int release();
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// A listening socket on 127.0.0.1:`port` (0: any free port). Throws tabulon::Error.
Socket listenOnLoopback(std::uint16_t port, int backlog = 64);
std::uint16_t localPort(const Socket& socket);

// A connection to 127.0.0.1:`port`, or nothing when refused or not made before `deadline`.
std::optional<Socket> connectToLoopback(std::uint16_t port, Clock::time_point deadline);

// False when the peer went away or the deadline passed first.
bool sendAll(int fd, std::string_view bytes, Clock::time_point deadline);

enum class ReadEnd { Closed, Deadline, TooLarge, Failed };
// Appends what arrives to `into` until the peer closes, the deadline passes or more than
// `limit` bytes are held.
ReadEnd readUntilClosed(int fd, std::string& into, Clock::time_point deadline, std::size_t limit);
// One read of whatever is there: the bytes, empty at the peer's end, nothing at the
// deadline or on a failure.
std::optional<std::string> readSome(int fd, Clock::time_point deadline);

}  // namespace tabulon::preview
