#pragma once
// Answers one HTTP request: checks the path, translates and runs the page, and builds the
// complete response (or the error page).
#include "../core/http_request.h"

#include <set>
#include <string>

namespace tabulon::preview::host {

struct HostSettings {
    std::wstring siteFolder;  // Windows path, no trailing backslash
    bool testHooks = false;
    int port = 0;
    std::set<std::string> rewritten;  // built-ins replaced by the host (probed at start-up)
};

std::string serveRequest(const HttpRequest& request, const HostSettings& settings, const std::string& remoteAddress);

}  // namespace tabulon::preview::host
