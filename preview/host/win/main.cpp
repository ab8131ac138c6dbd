// asphost.exe --site <folder> --db <working copy> --port <n> [--test-hooks]
// Serves the site's .asp pages on 127.0.0.1, one request at a time, and prints
// "LISTENING <port>" once it accepts connections.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "ado_objects.h"
#include "host_functions.h"
#include "page_runner.h"
#include "text.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <string>

using namespace tabulon::preview::host;

namespace {

constexpr std::size_t maxRequestBytes = 16 * 1024 * 1024;

int usage(const char* message) {
    std::fprintf(stderr,
                 "asphost: %s\nusage: asphost.exe --site <folder> --db <working copy> --port <n> [--test-hooks]\n",
                 message);
    return 2;
}

void sendAll(SOCKET s, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        int n = send(s, data.data() + sent, static_cast<int>(std::min<std::size_t>(data.size() - sent, 1 << 20)), 0);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

std::string badRequest(const std::string& status, const std::string& why) {
    std::string text = why + "\n";
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(text.size()) +
           "\r\nConnection: close\r\n\r\n" + text;
}

void serveConnection(SOCKET client, const HostSettings& settings, const std::string& remote) {
    DWORD timeout = 30000;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    std::string data;
    char buffer[65536];
    HttpRequest request;
    std::string error;
    for (;;) {
        int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        data.append(buffer, static_cast<std::size_t>(n));
        if (data.size() > maxRequestBytes) {
            sendAll(client, badRequest("413 Request Entity Too Large", "request too large"));
            return;
        }
        ParseState state = parseHttpRequest(data, request, error);
        if (state == ParseState::Bad) {
            sendAll(client, badRequest("400 Bad Request", error));
            return;
        }
        if (state == ParseState::Complete) break;
    }
    std::string remoteAddress = remote;
    if (std::optional<std::string> forwarded = request.header("X-Forwarded-For")) {
        std::string first = forwarded->substr(0, forwarded->find(','));
        while (!first.empty() && first.front() == ' ') first.erase(0, 1);
        while (!first.empty() && first.back() == ' ') first.pop_back();
        if (!first.empty()) remoteAddress = first;
    }
    std::string response;
    try {
        response = serveRequest(request, settings, remoteAddress);
    } catch (const std::exception& e) {
        response = badRequest("500 Internal Server Error", std::string("host failure: ") + e.what());
    } catch (const ScriptError& e) {
        response = badRequest("500 Internal Server Error", "host failure: " + toUtf8(e.description));
    }
    sendAll(client, response);
    shutdown(client, SD_SEND);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    HostSettings settings;
    std::wstring database;
    int port = -1;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        auto value = [&]() -> std::wstring { return i + 1 < argc ? argv[++i] : L""; };
        if (arg == L"--site")
            settings.siteFolder = value();
        else if (arg == L"--db")
            database = value();
        else if (arg == L"--port")
            port = _wtoi(value().c_str());
        else if (arg == L"--test-hooks")
            settings.testHooks = true;
        else
            return usage("unknown argument");
    }
    if (settings.siteFolder.empty() || database.empty() || port < 0 || port > 65535)
        return usage("missing or bad arguments");
    while (settings.siteFolder.size() > 3 &&
           (settings.siteFolder.back() == L'\\' || settings.siteFolder.back() == L'/'))
        settings.siteFolder.pop_back();
    DWORD attributes = GetFileAttributesW(settings.siteFolder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return usage("the site folder does not exist");
    setWorkingCopy(toUtf8(database));

    SetThreadLocale(hostLcid);
    resetUserFormats();
    // The engine formats dates and truth values in the user's locale, which Wine takes from
    // LC_ALL/LANG: zh_CN makes them what a Chinese server shows.
    // (Wine reads the locale only from the Unix environment when the process starts: a child
    // started with LC_ALL set in its Windows environment keeps the parent's locale.)
    if (GetUserDefaultLCID() != hostLcid)
        std::fprintf(stderr,
                     "asphost: the user locale is not zh-CN (start Wine with LC_ALL=zh_CN.UTF-8): dates will not look "
                     "as on the site's server\n");
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return usage("COM did not start");
    try {
        settings.rewritten = probeBuiltins();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "asphost: %s\n", e.what());
        return 1;
    }

    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return usage("sockets did not start");
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 64) != 0) {
        std::fprintf(stderr, "asphost: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    int length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    settings.port = ntohs(address.sin_port);
    _setmode(_fileno(stdout), _O_BINARY);  // the front reads "LISTENING <port>\n", no CR
    std::printf("LISTENING %d\n", settings.port);
    std::fflush(stdout);
    if (const char* show = std::getenv("TABULON_HOST_SHOW_PROBES")) {
        if (*show == '1') {
            for (const std::string& name : settings.rewritten)
                std::fprintf(stderr, "replaced built-in: %s\n", name.c_str());
        }
    }

    for (;;) {
        sockaddr_in peer = {};
        int peerLength = sizeof peer;
        SOCKET client = accept(listener, reinterpret_cast<sockaddr*>(&peer), &peerLength);
        if (client == INVALID_SOCKET) continue;
        char text[INET_ADDRSTRLEN] = "127.0.0.1";
        inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
        serveConnection(client, settings, text);
        closesocket(client);
    }
}
