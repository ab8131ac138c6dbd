// asphost.exe --site <folder> --db <working copy> --port <n> [--state <file>] [--test-hooks]
// Serves the site's .asp pages on 127.0.0.1 to the front server only (requests carry the key
// of the environment variable TABULON_HOST_KEY), and prints "LISTENING <port>" once it
// accepts connections.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "../core/front_link.h"
#include "ado_objects.h"
#include "host_functions.h"
#include "page_runner.h"
#include "state_file.h"
#include "text.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

using namespace tabulon::preview::host;
using tabulon::preview::RequestParser;

namespace {

// The front sends whole requests at once: a connection that is slower than this is not it.
constexpr DWORD headerLimitMs = 5000;
constexpr DWORD requestLimitMs = 30000;

int usage(const char* message) {
    std::fprintf(stderr,
                 "asphost: %s\nusage: asphost.exe --site <folder> --db <working copy> --port <n> [--state <file>] "
                 "[--test-hooks]\n"
                 "(the environment variable %s holds the key the front server sends)\n",
                 message, kHostKeyVariable);
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

std::string plainAnswer(int status, std::string_view reason, const std::string& why) {
    std::string text = why + "\n";
    return "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) +
           "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(text.size()) +
           "\r\nConnection: close\r\n\r\n" + text;
}

// Waits for bytes until `deadline` (GetTickCount64); false when none came in time.
bool readable(SOCKET s, ULONGLONG deadline) {
    ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait = {static_cast<long>((deadline - now) / 1000), static_cast<long>((deadline - now) % 1000 * 1000)};
    return select(0, &set, nullptr, nullptr, &wait) == 1;
}

void serveConnection(SOCKET client, const HostSettings& settings, const std::string& key,
                     const std::wstring& stateFile) {
    const ULONGLONG accepted = GetTickCount64();
    // Up to 64 KB of headers (the front adds its own) and the bodies the front lets through.
    RequestParser parser({64 * 1024, 16 * 1024 * 1024});
    char buffer[65536];
    while (parser.state() == RequestParser::State::NeedMore) {
        const bool headersRead = parser.headDone();
        if (!readable(client, accepted + (headersRead ? requestLimitMs : headerLimitMs))) {
            sendAll(client, plainAnswer(408, "Request Timeout", "the request did not arrive in time"));
            return;
        }
        int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        parser.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    if (parser.state() == RequestParser::State::Refused) {
        sendAll(client, plainAnswer(parser.refusal(), "Bad Request", std::string(parser.refusalReason())));
        return;
    }
    HttpRequest request = pageRequest(std::move(parser).take());
    const std::optional<std::string> remoteAddress = admitFromFront(request, key);
    if (!remoteAddress) {
        sendAll(client, plainAnswer(403, "Forbidden", "this port serves only the preview's front server"));
        return;
    }
    std::string response;
    try {
        response = serveRequest(request, settings, *remoteAddress);
    } catch (const std::exception& e) {
        response = plainAnswer(500, "Internal Server Error", std::string("host failure: ") + e.what());
    } catch (const ScriptError& e) {
        response = plainAnswer(500, "Internal Server Error", "host failure: " + toUtf8(e.description));
    }
    // Kept before the answer goes out: a host killed right after answering still has it.
    saveStateIfChanged(stateFile);
    sendAll(client, response);
    shutdown(client, SD_SEND);
}

constexpr LONG maxConnections = 64;
volatile LONG activeConnections = 0;

struct Connection {
    SOCKET socket;
    const HostSettings* settings;
    const std::string* key;
    const std::wstring* stateFile;
};

DWORD WINAPI connectionThread(void* argument) {
    std::unique_ptr<Connection> job(static_cast<Connection*>(argument));
    SetThreadLocale(hostLcid);
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (com) {
        serveConnection(job->socket, *job->settings, *job->key, *job->stateFile);
    } else {
        sendAll(job->socket, plainAnswer(503, "Service Unavailable", "COM did not start on a new thread"));
    }
    closesocket(job->socket);
    if (com) CoUninitialize();
    InterlockedDecrement(&activeConnections);
    return 0;
}

// The key the front server sends with every request, taken out of the environment so that
// nothing the pages start can read it.
std::string hostKey() {
    wchar_t value[256];
    const DWORD length = GetEnvironmentVariableW(fromUtf8(kHostKeyVariable).c_str(), value, 256);
    if (length == 0 || length >= 256) return {};
    SetEnvironmentVariableW(fromUtf8(kHostKeyVariable).c_str(), nullptr);
    return toUtf8(std::wstring_view(value, length));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    HostSettings settings;
    std::wstring database;
    std::wstring stateFile;  // sessions and Application values kept across restarts
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
        else if (arg == L"--state")
            stateFile = value();
        else if (arg == L"--test-hooks")
            settings.testHooks = true;
        else
            return usage("unknown argument");
    }
    if (settings.siteFolder.empty() || database.empty() || port < 0 || port > 65535)
        return usage("missing or bad arguments");
    const std::string key = hostKey();
    if (key.size() < kShortestHostKey) return usage("no key, or a key too short to be safe");
    while (settings.siteFolder.size() > 3 &&
           (settings.siteFolder.back() == L'\\' || settings.siteFolder.back() == L'/'))
        settings.siteFolder.pop_back();
    DWORD attributes = GetFileAttributesW(settings.siteFolder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return usage("the site folder does not exist");
    setWorkingCopy(toUtf8(database));

    // The engine formats dates and truth values in the user's locale, which Wine takes from
    // LC_ALL/LANG when the process starts: the regional settings of the server the preview
    // plays (zh_CN unless `serve --locale` asked for another). Pages without an LCID of their
    // own run in it.
    // (A child started with LC_ALL set in its Windows environment keeps the parent's locale.)
    hostLcid = GetUserDefaultLCID();
    SetThreadLocale(hostLcid);
    resetUserFormats();
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return usage("COM did not start");
    try {
        settings.rewritten = probeBuiltins();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "asphost: %s\n", e.what());
        return 1;
    }

    loadState(stateFile);

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

    // A thread for each connection: a slow one holds up nobody, and pages run side by side
    // (each on an engine of its own; requests of one session still one at a time).
    for (;;) {
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        if (InterlockedIncrement(&activeConnections) > maxConnections) {
            InterlockedDecrement(&activeConnections);
            sendAll(client, plainAnswer(503, "Service Unavailable", "too many connections"));
            closesocket(client);
            continue;
        }
        auto* job = new Connection{client, &settings, &key, &stateFile};
        // Pages may recurse deeply: 8 MB of stack, only reserved (the main thread has 2 MB).
        HANDLE thread =
            CreateThread(nullptr, 8 << 20, connectionThread, job, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (thread) {
            CloseHandle(thread);
        } else {
            delete job;
            closesocket(client);
            InterlockedDecrement(&activeConnections);
        }
    }
}
