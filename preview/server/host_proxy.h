#pragma once
// Passes .asp requests to the ASP host, a few at a time (the host runs them side by side),
// under a watchdog: a page that runs longer than the limit gets the host killed and started
// afresh, and an error page; a host that died is started again (once, however many
// requests found it dead).
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "preview/server/error_annotation.h"
#include "preview/server/host_process.h"
#include "preview/host/core/http_parser.h"
#include "preview/server/http_response.h"

namespace tabulon::preview {

struct ProxyOptions {
    std::chrono::milliseconds pageLimit{10000};
    std::size_t maxResponseBytes = 64 * 1024 * 1024;
    int pagesAtOnce = 8;  // requests in the host at the same time; more wait their turn
};

class HostProxy {
public:
    HostProxy(HostProcess& host, const ErrorAnnotator* annotator, ProxyOptions options = {})
        : host_(host), annotator_(annotator), options_(options), free_(std::max(options.pagesAtOnce, 1)) {}

    // `target` is the path (as on disk, %-encoded) and query the host is asked for;
    // `client` the browser's address.
    HttpResponse forward(const HttpRequest& request, const std::string& target, const std::string& client);

private:
    HttpResponse forwardInTurn(const HttpRequest& request, const std::string& target, const std::string& client);

    HostProcess& host_;
    const ErrorAnnotator* annotator_;
    ProxyOptions options_;
    std::mutex mutex_;
    std::condition_variable turn_;
    int free_;  // places left for requests in the host
};

// The request as the host gets it: hop-by-hop headers and any the browser sent in the
// link's names dropped; the host's key, the browser's address and "Connection: close" added.
std::string requestForHost(const HttpRequest& request, const std::string& target, const std::string& client,
                           const std::string& key);

}  // namespace tabulon::preview
