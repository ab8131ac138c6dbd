// A stand-in for the Windows ASP host, native and tiny, speaking the same protocol: it
// prints "LISTENING <port>", answers one request per connection and closes. What it does
// is chosen by the page's name, so tests can make it hang, crash or fail:
//   hang.asp   never answers;          crash.asp  ends the process without answering;
//   error.asp  answers 500 naming ?file= and ?line= in X-Tabulon-Error-File/-Line;
//   any other  echoes what it got (pid, method, target, headers, body, its arguments).
// FAKE_HOST_MODE=silent never prints LISTENING; FAKE_HOST_MODE=fail exits at once.
// Requests without the key of TABULON_HOST_KEY get 403, as from the real host.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string lower(std::string text) {
    for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string queryValue(const std::string& target, const std::string& name) {
    const auto mark = target.find('?');
    if (mark == std::string::npos) return "";
    const std::string query = "&" + target.substr(mark + 1);
    const auto at = query.find("&" + name + "=");
    if (at == std::string::npos) return "";
    const auto start = at + name.size() + 2;
    return query.substr(start, query.find('&', start) - start);
}

void answer(int fd, const std::string& head, const std::string& body) {
    const std::string whole = head + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    std::size_t sent = 0;
    while (sent < whole.size()) {
        const ssize_t n = send(fd, whole.data() + sent, whole.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* mode = std::getenv("FAKE_HOST_MODE");
    if (mode && std::string(mode) == "fail") {
        std::fprintf(stderr, "fake host: told to fail\n");
        return 4;
    }
    int port = -1;
    std::string arguments;
    for (int i = 1; i < argc; ++i) {
        arguments += (i > 1 ? "|" : "") + std::string(argv[i]);
        if (std::string(argv[i]) == "--port" && i + 1 < argc) port = std::atoi(argv[i + 1]);
    }
    if (port < 0) {
        std::fprintf(stderr, "fake host: no --port\n");
        return 2;
    }
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 16) != 0) {
        std::perror("fake host: bind");
        return 3;
    }
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::printf("fake host starting\n");
    if (!(mode && std::string(mode) == "silent")) std::printf("LISTENING %d\n", ntohs(address.sin_port));
    std::fflush(stdout);
    for (;;) {
        const int fd = accept(listener, nullptr, nullptr);
        if (fd < 0) continue;
        std::string request;
        char buffer[4096];
        std::size_t headEnd = std::string::npos;
        std::size_t bodyLength = 0;
        while (true) {
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            request.append(buffer, static_cast<std::size_t>(n));
            if (headEnd == std::string::npos && (headEnd = request.find("\r\n\r\n")) != std::string::npos) {
                const auto at = lower(request.substr(0, headEnd)).find("\r\ncontent-length:");
                if (at != std::string::npos) bodyLength = std::strtoul(request.c_str() + at + 17, nullptr, 10);
            }
            if (headEnd != std::string::npos && request.size() >= headEnd + 4 + bodyLength) break;
        }
        const auto lineEnd = request.find("\r\n");
        const auto requestLine = request.substr(0, lineEnd);
        const auto space = requestLine.find(' ');
        const auto target = requestLine.substr(space + 1, requestLine.rfind(' ') - space - 1);
        const auto path = lower(target.substr(0, target.find('?')));

        // Like the real host, it answers only requests that carry the key it was started with.
        const char* key = std::getenv("TABULON_HOST_KEY");
        const auto head = lower(request.substr(0, headEnd == std::string::npos ? request.size() : headEnd + 2));
        if (!key || std::strlen(key) < 32 ||
            head.find("\r\nx-tabulon-host-key: " + lower(key) + "\r\n") == std::string::npos) {
            answer(fd, "HTTP/1.1 403 Forbidden\r\nContent-Type: text/plain\r\n", "no key\n");
            shutdown(fd, SHUT_WR);
            close(fd);
            continue;
        }
        if (path.ends_with("/hang.asp")) {
            for (;;) pause();
        }
        if (path.ends_with("/crash.asp")) _exit(9);
        if (path.ends_with("/error.asp")) {
            answer(fd,
                   "HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/html\r\nX-Tabulon-Error-File: " +
                       queryValue(target, "file") + "\r\nX-Tabulon-Error-Line: " + queryValue(target, "line") + "\r\n",
                   "<html><body><h1>error</h1></body></html>");
        } else {
            std::string body = "pid=" + std::to_string(getpid()) + "\nline=" + requestLine + "\nargs=" + arguments +
                               "\n" + request.substr(lineEnd + 2);
            answer(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nX-Fake-Host: yes\r\n", body);
        }
        shutdown(fd, SHUT_WR);
        close(fd);
    }
}
