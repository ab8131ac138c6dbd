#include "preview/server/front_server.h"

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "base/error.h"
#include "preview/host/core/http_request.h"
#include "preview/server/mime_types.h"

namespace tabulon::preview {
namespace {

std::string clientAddress(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

// Forms and query strings past the field limit are refused before a page reads them.
bool tooManyFields(const HttpRequest& request) {
    if (host::countUrlEncodedFields(request.query()) > host::kMaxFormFields) return true;
    const auto type = asciiLowered(request.header("Content-Type").value_or(""));
    const bool form = type.empty() || type.find("application/x-www-form-urlencoded") != std::string::npos;
    return request.method == "POST" && form && host::countUrlEncodedFields(request.body) > host::kMaxFormFields;
}

HttpResponse refusal(int status, std::string_view why) {
    auto page = errorPage(status, std::string(reasonPhrase(status)), {std::string(why)});
    if (status == 405) page.setHeader("Allow", "GET, HEAD, POST");
    return page;
}

}  // namespace

bool isLoopbackHost(std::string_view host, std::uint16_t port) {
    std::string_view name = host;
    std::string_view portText;
    if (host.starts_with('[')) {
        const auto close = host.find(']');
        if (close == std::string_view::npos) return false;
        name = host.substr(0, close + 1);
        const auto rest = host.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            portText = rest.substr(1);
        }
    } else if (const auto colon = host.rfind(':'); colon != std::string_view::npos) {
        name = host.substr(0, colon);
        portText = host.substr(colon + 1);
    }
    if (!equalsIgnoringCase(name, "localhost") && name != "127.0.0.1" && name != "[::1]") return false;
    if (host.size() > name.size() && portText.empty()) return false;  // "localhost:"
    return portText.empty() || portText == std::to_string(port);
}

std::string encodePath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || std::string_view("-._~/!$&'()*+,;=:@").find(c) != std::string_view::npos) {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

FrontServer::FrontServer(const SiteFolder& site, PageRunner runPage, ServerOptions options)
    : site_(site), runPage_(std::move(runPage)), options_(std::move(options)) {
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) throw Error("无法建立内部管道。");
}

FrontServer::~FrontServer() {
    close(wake_[0]);
    close(wake_[1]);
}

std::uint16_t FrontServer::listen() {
    listener_ = listenOnLoopback(options_.port);
    return port_ = localPort(listener_);
}

void FrontServer::stop() {
    stopping_ = true;
    const char byte = 1;
    (void)!write(wake_[1], &byte, 1);
}

void FrontServer::run() {
    if (!listener_) listen();
    while (!stopping_) {
        pollfd watched[2] = {{listener_.fd(), POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (watched[1].revents) break;
        if (!(watched[0].revents & POLLIN)) continue;
        sockaddr_in address{};
        socklen_t length = sizeof address;
        const int fd = accept4(listener_.fd(), reinterpret_cast<sockaddr*>(&address), &length, SOCK_CLOEXEC);
        if (fd < 0) continue;
        auto client = clientAddress(address);
        {
            std::lock_guard lock(mutex_);
            if (open_.size() >= options_.maxConnections || perClient_[client] >= options_.maxConnectionsPerClient) {
                if (perClient_[client] == 0) perClient_.erase(client);
                Socket busy(fd);
                // Never blocks the accepting loop: the answer fits the socket's buffer.
                const auto answer = refusal(503, "同时连接过多，请稍后再试。").serialize();
                (void)!send(fd, answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
                continue;
            }
            open_.insert(fd);
            ++perClient_[client];
        }
        std::thread(&FrontServer::serveConnection, this, fd, std::move(client)).detach();
    }
    listener_ = Socket();
    if (options_.onStopping) options_.onStopping();
    // Connections waiting for a slow client end now; a page being run ends with its limit.
    std::unique_lock lock(mutex_);
    for (const int fd : open_) shutdown(fd, SHUT_RD);
    idle_.wait(lock, [this] { return open_.empty(); });
}

void FrontServer::serveConnection(int fd, std::string client) {
    const auto started = Clock::now();
    {
        Socket socket(fd);
        RequestParser parser(options_.limits);
        const auto headerDeadline = started + std::min(options_.headerLimit, options_.readLimit);
        const auto deadline = started + options_.readLimit;
        while (parser.state() == RequestParser::State::NeedMore && !stopping_) {
            const auto bytes = readSome(fd, parser.headDone() ? deadline : headerDeadline);
            if (!bytes) {
                if (Clock::now() >= (parser.headDone() ? deadline : headerDeadline))
                    sendAll(fd, refusal(408, "请求在限定时间内没有发送完。").serialize(),
                            Clock::now() + std::chrono::seconds(2));
                break;
            }
            if (bytes->empty()) break;  // the client went away
            parser.feed(*bytes);
        }
        HttpResponse response;
        std::string line;
        if (parser.state() == RequestParser::State::Complete) {
            const auto& request = parser.request();
            const auto host = request.header("Host");
            if (host && !isLoopbackHost(*host, port_))
                response = refusal(421, "只接受发往本机预览地址的请求（localhost、127.0.0.1 或 [::1] 加端口 " +
                                            std::to_string(port_) + "）。");
            else
                response = respond(request, client);
            sendAll(fd, response.serialize(request.method != "HEAD"), Clock::now() + options_.readLimit);
            line = request.method + " " + request.target;
        } else if (parser.state() == RequestParser::State::Refused) {
            response = refusal(parser.refusal(), parser.refusalReason());
            sendAll(fd, response.serialize(), Clock::now() + std::chrono::seconds(2));
            line = "(refused)";
        }
        if (!line.empty() && options_.log) {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
            options_.log(line + " " + std::to_string(response.status) + " " + std::to_string(ms) + " ms");
        }
        shutdown(fd, SHUT_WR);
        release(fd, client);  // before the socket closes and its number can be reused
    }
}

void FrontServer::release(int fd, const std::string& client) {
    // The last touch of the server: once the list is empty, run() may return.
    std::lock_guard lock(mutex_);
    open_.erase(fd);
    if (--perClient_[client] == 0) perClient_.erase(client);
    if (open_.empty()) idle_.notify_all();
}

HttpResponse FrontServer::respond(const HttpRequest& request, const std::string& client) const {
    if (options_.testHooks && request.method == "GET" && request.path().starts_with("/__tabulon/"))
        return runPage_(request, request.target, client);
    // Read for every request: the user may release the skeleton again while the site is served.
    const WebConfig config = readWebConfig(site_.root());
    HttpResponse response = respondFromSite(request, client, config);
    // As IIS does: the site's custom headers go out with every answer, a page's own win.
    for (const auto& [name, value] : config.headers)
        if (!response.header(name)) response.headers.emplace_back(name, value);
    return response;
}

HttpResponse FrontServer::respondFromSite(const HttpRequest& request, const std::string& client,
                                          const WebConfig& config) const {
    // Request filtering answers first, for the path as asked and as found on disk.
    const auto asked = percentDecodeStrict(request.path());
    const auto found = site_.lookup(request.path());
    if ((asked && config.refuses(*asked)) ||
        ((found.outcome == SiteLookup::Outcome::Found || found.outcome == SiteLookup::Outcome::Redirect) &&
         config.refuses(found.sitePath)))
        return refusal(404, "没有这个文件：" + std::string(request.path()));
    switch (found.outcome) {
    case SiteLookup::Outcome::BadRequest: return refusal(400, found.why);
    case SiteLookup::Outcome::Forbidden: return refusal(403, found.why);
    case SiteLookup::Outcome::NotFound: return refusal(404, "没有这个文件：" + std::string(request.path()));
    case SiteLookup::Outcome::Redirect: {
        HttpResponse moved = errorPage(301, "Moved Permanently", {found.sitePath});
        const auto query = request.query();
        moved.setHeader("Location", encodePath(found.sitePath) + (query.empty() ? "" : "?" + std::string(query)));
        return moved;
    }
    case SiteLookup::Outcome::Found: break;
    }
    if (isAspPage(found.sitePath)) {
        const auto query = request.query();
        if (tooManyFields(request))
            return refusal(413, "表单或查询字符串的字段超过 " + std::to_string(host::kMaxFormFields) + " 个。");
        return runPage_(request, encodePath(found.sitePath) + (query.empty() ? "" : "?" + std::string(query)), client);
    }
    return staticFile(request, found);
}

HttpResponse FrontServer::staticFile(const HttpRequest& request, const SiteLookup& found) const {
    const auto type = mimeTypeFor(found.sitePath);
    if (!type) return refusal(404, "这种文件不提供下载：" + found.sitePath);
    if (request.method == "POST") return refusal(405, "静态文件只能用 GET 或 HEAD 读取。");
    std::ifstream in(found.file, std::ios::binary);
    if (!in) return refusal(403, "无法读取文件：" + found.sitePath);
    HttpResponse response;
    response.body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    response.setHeader("Content-Type", std::string(*type));
    // The site changes as the user regenerates it: the browser asks again every time.
    response.setHeader("Cache-Control", "no-cache");
    return response;
}

}  // namespace tabulon::preview
