#pragma once
// The preview's HTTP front on 127.0.0.1: serves the site folder's static files itself and
// hands .asp pages to a page runner (the ASP host through HostProxy). Each connection is
// read on a thread of its own, so an idle browser connection never holds up the others;
// one request per connection, answered with "Connection: close". A connection must send
// its headers within seconds, each client address may hold only so many connections, and
// a Host header that does not name this machine and port is refused (DNS rebinding).
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "preview/host/core/http_parser.h"
#include "preview/server/http_response.h"
#include "preview/server/site_folder.h"
#include "preview/server/socket_io.h"
#include "preview/server/web_config.h"

namespace tabulon::preview {

struct ServerOptions {
    std::uint16_t port = 0;  // 0: any free port
    RequestLimits limits;
    std::chrono::milliseconds headerLimit{5000};  // for a client to send its request's headers
    std::chrono::milliseconds readLimit{30000};   // for a client to send its whole request
    std::size_t maxConnections = 256;
    std::size_t maxConnectionsPerClient = 64;
    // Hands GET /__tabulon/… to the page runner as it came: the host's test hooks.
    bool testHooks = false;
    // One line per request ("GET /index.asp 200 12 ms"); none when empty.
    std::function<void(std::string_view)> log;
    // Called once stop() has been asked, before waiting for the connections still served:
    // the place to stop the host, so a page it is running ends at once.
    std::function<void()> onStopping;
};

// Runs a page: the request, the target for the host (path as on disk, %-encoded, and the
// query) and the client's address.
using PageRunner = std::function<HttpResponse(const HttpRequest&, const std::string&, const std::string&)>;

class FrontServer {
public:
    FrontServer(const SiteFolder& site, PageRunner runPage, ServerOptions options = {});
    ~FrontServer();
    FrontServer(const FrontServer&) = delete;
    FrontServer& operator=(const FrontServer&) = delete;

    // Binds 127.0.0.1 and returns the port. Throws tabulon::Error (a port in use).
    std::uint16_t listen();
    // Serves until stop(); returns once every connection is done.
    void run();
    // Ends run() from any thread or from a signal handler.
    void stop();

    // What a request is answered with; no sockets involved.
    HttpResponse respond(const HttpRequest& request, const std::string& client) const;

private:
    void serveConnection(int fd, std::string client);
    void release(int fd, const std::string& client);
    HttpResponse respondFromSite(const HttpRequest& request, const std::string& client, const WebConfig& config) const;
    HttpResponse staticFile(const HttpRequest& request, const SiteLookup& found) const;

    const SiteFolder& site_;
    PageRunner runPage_;
    ServerOptions options_;
    Socket listener_;
    int wake_[2] = {-1, -1};

    std::mutex mutex_;
    std::condition_variable idle_;
    std::set<int> open_;                            // sockets of the connections being served
    std::map<std::string, std::size_t> perClient_;  // connections held by each address
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
};

// A site path as a request target: bytes outside the unreserved set and "/" %-encoded.
std::string encodePath(std::string_view path);

// Whether a Host header names this machine: localhost, 127.0.0.1 or [::1], with `port` or
// none. Any other name is a page of another site reaching us through DNS rebinding.
bool isLoopbackHost(std::string_view host, std::uint16_t port);

}  // namespace tabulon::preview
