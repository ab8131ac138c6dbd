#include "preview/server/host_proxy.h"

#include <array>

#include "base/error.h"
#include "preview/host/core/front_link.h"
#include "preview/server/socket_io.h"

namespace tabulon::preview {
namespace {

constexpr std::array<std::string_view, 10> kDropped = {
    "Connection", "Keep-Alive",        "Proxy-Connection", "X-Forwarded-For",    "TE",
    "Upgrade",    "Transfer-Encoding", "Trailer",          host::kHostKeyHeader, host::kClientHeader};

constexpr auto kConnectLimit = std::chrono::seconds(3);

HttpResponse hostUnavailable(const std::string& why) { return errorPage(503, "预览主机无法启动", {why}); }

}  // namespace

std::string requestForHost(const HttpRequest& request, const std::string& target, const std::string& client,
                           const std::string& key) {
    std::string out = request.method + " " + target + " HTTP/1.1\r\n";
    for (const auto& [name, value] : request.headers) {
        bool dropped = false;
        for (const auto hop : kDropped) dropped = dropped || equalsIgnoringCase(name, hop);
        if (!dropped) out += name + ": " + value + "\r\n";
    }
    out += std::string(host::kHostKeyHeader) + ": " + key + "\r\n";
    out += std::string(host::kClientHeader) + ": " + client + "\r\nConnection: close\r\n\r\n";
    out += request.body;
    return out;
}

HttpResponse HostProxy::forward(const HttpRequest& request, const std::string& target, const std::string& client) {
    {
        // Waiting for a place counts against the page's time like running does.
        std::unique_lock lock(mutex_);
        if (!turn_.wait_for(lock, options_.pageLimit, [this] { return free_ > 0; }))
            return errorPage(503, "预览主机正忙", {request.method + " " + target, "同时运行的页面过多，请稍后再试。"});
        --free_;
    }
    struct Release {
        HostProxy& proxy;
        ~Release() {
            {
                std::lock_guard lock(proxy.mutex_);
                ++proxy.free_;
            }
            proxy.turn_.notify_one();
        }
    } release{*this};
    return forwardInTurn(request, target, client);
}

HttpResponse HostProxy::forwardInTurn(const HttpRequest& request, const std::string& target,
                                      const std::string& client) {
    std::optional<Socket> connection;
    HostProcess::Instance host;
    // A host found gone is started again; a fresh one that refuses gets one more start.
    for (int attempt = 0; attempt < 2 && !connection; ++attempt) {
        try {
            if (attempt > 0) host_.restartUnlessSince(host.start);
            host = host_.ensureInstance();
            connection = connectToLoopback(host.port, Clock::now() + kConnectLimit);
        } catch (const Error& e) {
            return hostUnavailable(e.what());
        }
    }
    if (!connection) return errorPage(502, "无法连接预览主机", {"预览主机没有接受连接，已重新启动两次。"});

    const auto bytes = requestForHost(request, target, client, host.key);
    const auto deadline = Clock::now() + options_.pageLimit;
    std::string answer;
    const bool sent = sendAll(connection->fd(), bytes, deadline);
    const auto end = sent ? readUntilClosed(connection->fd(), answer, deadline, options_.maxResponseBytes)
                          : (Clock::now() >= deadline ? ReadEnd::Deadline : ReadEnd::Failed);
    connection.reset();

    if (end == ReadEnd::Deadline) {
        // The engine cannot be interrupted: the whole host goes.
        std::string restarted = "预览主机已重新启动，可以继续浏览。";
        try {
            host_.restartUnlessSince(host.start);
        } catch (const Error& e) {
            restarted = std::string("预览主机未能重新启动：") + e.what();
        }
        const auto seconds = std::chrono::duration<double>(options_.pageLimit).count();
        auto page = errorPage(
            500, "页面运行时间过长",
            {request.method + " " + target,
             "该页面运行超过 " + std::to_string(static_cast<long>(seconds + 0.5)) + " 秒（可能是死循环），已被停止。",
             restarted});
        page.setHeader("X-Tabulon-Watchdog", "timeout");
        return page;
    }
    if (end == ReadEnd::TooLarge)
        return errorPage(
            502, "页面输出过大",
            {request.method + " " + target, "页面的输出超过 " + std::to_string(options_.maxResponseBytes) + " 字节。"});

    auto response = end == ReadEnd::Closed ? parseResponse(answer) : std::nullopt;
    if (!response) {
        std::string restarted = "预览主机已重新启动。";
        try {
            host_.restartUnlessSince(host.start);
        } catch (const Error& e) {
            restarted = std::string("预览主机未能重新启动：") + e.what();
        }
        auto page = errorPage(502, "预览主机意外退出",
                              {request.method + " " + target, "预览主机没有给出完整的回答就结束了。", restarted});
        page.setHeader("X-Tabulon-Watchdog", "host-died");
        return page;
    }
    if (annotator_) annotator_->annotate(*response);
    return *response;
}

}  // namespace tabulon::preview
