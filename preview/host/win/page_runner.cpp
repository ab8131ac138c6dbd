#include "page_runner.h"

#include "../core/leading_locale.h"
#include "../core/page_translator.h"
#include "asp_objects.h"
#include "error_page.h"
#include "script_run.h"
#include "state_file.h"
#include "text.h"

#include <cstdio>
#include <ctime>

namespace tabulon::preview::host {
namespace {

std::string plainResponse(const std::string& status, const std::string& text) {
    return "HTTP/1.1 " + status +
           "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " + std::to_string(text.size()) +
           "\r\nConnection: close\r\n\r\n" + text;
}

std::optional<std::string> readFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

std::wstring windowsPath(const std::wstring& site, const std::string& relative) {
    std::wstring out = site + L"\\" + fromUtf8(relative);
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    return out;
}

// The site-relative path with each name as stored on disk; nothing when a part is missing.
std::optional<std::string> storedName(const std::wstring& site, const std::string& relative) {
    std::string out;
    std::wstring folder = site;
    std::size_t at = 0;
    while (at <= relative.size()) {
        std::size_t slash = relative.find('/', at);
        std::string part = relative.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
        WIN32_FIND_DATAW found;
        std::wstring query = folder + L"\\" + fromUtf8(part);
        if (part.find_first_of("*?") != std::string::npos) return std::nullopt;
        HANDLE h = FindFirstFileW(query.c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) return std::nullopt;
        FindClose(h);
        std::string name = toUtf8(found.cFileName);
        out += (out.empty() ? "" : "/") + name;
        folder += L"\\" + std::wstring(found.cFileName);
        if (slash == std::string::npos) break;
        at = slash + 1;
    }
    return out;
}

bool isDirectory(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string httpDate(double oleDate) {
    SYSTEMTIME t;
    VariantTimeToSystemTime(oleDate, &t);
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char buf[64];
    snprintf(buf, sizeof buf, "%s, %02d-%s-%04d %02d:%02d:%02d GMT", days[t.wDayOfWeek % 7], t.wDay,
             months[(t.wMonth + 11) % 12], t.wYear, t.wHour, t.wMinute, t.wSecond);
    return buf;
}

std::string cookieHeader(const ResponseCookie& c, unsigned codePage) {
    std::string value;
    if (c.keys.empty()) {
        value = urlEncode(narrow(c.value, codePage));
    } else {
        for (const auto& [k, v] : c.keys) {
            if (!value.empty()) value += '&';
            value += urlEncode(narrow(k, codePage)) + "=" + urlEncode(narrow(v, codePage));
        }
    }
    std::string out = "Set-Cookie: " + narrow(c.name, codePage) + "=" + value;  // IIS encodes values, not names
    if (c.expires != 0) out += "; expires=" + httpDate(c.expires);
    if (!c.domain.empty()) out += "; domain=" + narrow(c.domain, 1252);
    out += "; path=" + (c.path.empty() ? std::string("/") : narrow(c.path, 1252));
    if (c.secure) out += "; secure";
    return out + "\r\n";
}

std::string successResponse(const PageContext& c) {
    std::string head = "HTTP/1.1 " + c.status + "\r\n";
    std::string type = narrow(c.contentType, 1252);
    if (!c.charset.empty()) type += "; Charset=" + narrow(c.charset, 1252);
    head += "Content-Type: " + type + "\r\n";
    bool cacheGiven = false;
    for (const auto& [name, value] : c.headers) {
        head += name + ": " + value + "\r\n";
        if (lowerCase(widen(name, 1252)) == L"cache-control") cacheGiven = true;
    }
    if (!cacheGiven) head += "Cache-Control: private\r\n";
    if (c.sessionIsNew) head += "Set-Cookie: " + c.sessionCookieName + "=" + c.session->cookieValue + "; path=/\r\n";
    for (const ResponseCookie& cookie : c.cookies) head += cookieHeader(cookie, c.codePage);
    head += "Content-Length: " + std::to_string(c.body.size()) + "\r\nConnection: close\r\n\r\n";
    return head + c.body;
}

// A page's hold on its session: requests of one session run one after another, and what the
// page left in the session is taken for the state file as it lets go.
class SessionTurn {
public:
    explicit SessionTurn(SessionData& session) : session_(session) { EnterCriticalSection(&session_.busy); }
    ~SessionTurn() {
        keepSessionValues(session_);
        LeaveCriticalSection(&session_.busy);
    }
    SessionTurn(const SessionTurn&) = delete;
    SessionTurn& operator=(const SessionTurn&) = delete;

private:
    SessionData& session_;
};

// The answer to the test hook: the value of Session(name) for the request's session.
std::string sessionHook(const HttpRequest& request, const std::string& name) {
    std::optional<std::string> header = request.header("Cookie");
    if (header) {
        for (const auto& [cookie, value] : parseCookieHeader(*header)) {
            if (cookie != sessionCookieName()) continue;
            if (std::shared_ptr<SessionData> s = findSession(value)) {
                SessionTurn turn(*s);
                Variant v = s->values.get(widen(name, 936));
                std::wstring text;
                try {
                    text = textOf(*v.get());
                } catch (const ScriptError&) {}
                return plainResponse("200 OK", toUtf8(text));
            }
        }
    }
    return plainResponse("404 Not Found", "no such session\n");
}

// Server.Execute / Server.Transfer: the other page runs with the same objects and writes
// into the same response; its failure ends the whole response with its error page.
void executePage(PageObjects& objects, const PageSources& sources, const std::wstring& target, bool transfer,
                 int& depth) {
    PageContext& c = objects.context();
    auto serverError = [](const std::wstring& text) {
        return ScriptError{static_cast<HRESULT>(0x80004005), L"Server object", text};
    };
    std::string path = toUtf8(target.substr(0, target.find(L'?')));
    std::optional<std::string> resolved =
        resolveSitePath(c.pagePath, path, !path.empty() && (path[0] == '/' || path[0] == '\\'));
    if (!resolved || !sources.read(*resolved))
        throw serverError(L"ASP 0228: Server.Execute \u9519\u8BEF: the page '" + target + L"' was not found");
    if (depth >= 8) throw serverError(L"ASP 0229: Server.Execute calls nest too deeply");
    TranslatedPage child;
    try {
        child = translatePage(*resolved, sources);
    } catch (const PageError& e) {
        c.failedResponse = pageErrorResponse(e, "/" + *resolved);
        c.end();
        throw ScriptError{responseEndCode, L"Server object", L"Server.Execute"};
    }
    const TranslatedPage* parentPage = c.page;
    std::string parentPath = c.pagePath;
    c.page = &child;
    c.pagePath = *resolved;
    ++depth;
    std::optional<ScriptFailure> failure = objects.run(child.script);
    --depth;
    c.page = parentPage;
    c.pagePath = parentPath;
    if (failure && failure->code != responseEndCode && c.failedResponse.empty()) {
        c.failedResponse = scriptErrorResponse(*failure, child, "/" + *resolved, c.codePage);
        c.end();
    }
    if (transfer) c.end();
    if (c.ended) throw ScriptError{responseEndCode, L"Server object", transfer ? L"Server.Transfer" : L"Response.End"};
}

std::string runPage(const HttpRequest& request, const HostSettings& settings, const std::string& remoteAddress,
                    const std::string& pagePath, const std::string& urlPath) {
    PageSources sources;
    sources.read = [&settings](const std::string& relative) -> std::optional<SiteFile> {
        std::optional<std::string> name = storedName(settings.siteFolder, relative);
        if (!name) return std::nullopt;
        std::optional<std::string> bytes = readFile(windowsPath(settings.siteFolder, *name));
        if (!bytes) return std::nullopt;
        return SiteFile{*name, std::move(*bytes)};
    };
    sources.decode = [](std::string_view bytes, int codePage) {
        return toUtf8(widen(bytes, static_cast<unsigned>(codePage)));
    };

    TranslatedPage page;
    try {
        page = translatePage(pagePath, sources);
    } catch (const PageError& e) {
        return pageErrorResponse(e, urlPath);
    }

    auto context = std::make_shared<PageContext>();
    context->request = request;
    context->siteFolder = settings.siteFolder;
    context->pagePath = pagePath;
    context->remoteAddress = remoteAddress;
    context->serverPort = settings.port;
    context->page = &page;
    if (page.codePage) context->codePage = static_cast<unsigned>(page.codePage);
    context->sessionCookieName = sessionCookieName();
    context->session = sessionFor(request, context->sessionCookieName, context->sessionIsNew);
    SessionTurn turn(*context->session);
    context->lcid = page.lcid ? page.lcid : context->session->lcid ? context->session->lcid : hostLcid;
    setPageLcid(static_cast<LCID>(context->lcid));
    stopScriptCalls(false);

    // sessions that timed out meanwhile end first, each with its own Session object
    for (const std::shared_ptr<SessionData>& gone : takeExpiredSessions()) {
        auto ending = std::make_shared<PageContext>(*context);
        ending->session = gone;
        ending->sessionIsNew = false;
        PageObjects endingObjects(ending, settings.rewritten);
        runSessionEnd(endingObjects, sources);
    }
    PageObjects objects(context, settings.rewritten);
    int executeDepth = 0;
    context->execute = [&](const std::wstring& target, bool transfer) {
        executePage(objects, sources, target, transfer, executeDepth);
    };
    std::string response;
    if (std::optional<std::string> failed = runStartEvents(objects, sources)) {
        response = std::move(*failed);
    } else {
        // a locale set before anything else holds from the engine's start (it reads it once)
        if (std::optional<LeadingLocale> leading = leadingLocale(page.script)) {
            LCID lcid =
                leading->lcid ? static_cast<LCID>(leading->lcid) : LocaleNameToLCID(fromUtf8(leading->name).c_str(), 0);
            if (lcid && IsValidLocale(lcid, LCID_SUPPORTED)) setPageLcid(lcid);
        }
        std::optional<ScriptFailure> failure = objects.run(page.script);
        context->page = &page;
        if (context->session->abandoned) {
            runSessionEnd(objects, sources);
            endSession(context->session);
        }
        if (!context->failedResponse.empty())
            response = std::move(context->failedResponse);
        else if (failure && failure->code != responseEndCode)
            response = scriptErrorResponse(*failure, page, urlPath, context->codePage);
        else
            response = successResponse(*context);
    }
    context->execute = nullptr;
    stopScriptCalls(false);
    setPageLcid(hostLcid);
    return response;
}

}  // namespace

std::string serveRequest(const HttpRequest& request, const HostSettings& settings, const std::string& remoteAddress) {
    if (request.method != "GET" && request.method != "POST" && request.method != "HEAD")
        return plainResponse("405 Method Not Allowed", "method not allowed\n");
    const std::string& path = request.path;
    if (path.empty() || path[0] != '/' || path.find('\0') != std::string::npos || path.find('\\') != std::string::npos)
        return plainResponse("403 Forbidden", "path refused\n");
    if (settings.testHooks && path.rfind("/__tabulon/session/", 0) == 0) return sessionHook(request, path.substr(19));
    if (settings.testHooks && path == "/__tabulon/expire-sessions") {
        expireSessionsNow();
        return plainResponse("200 OK", "sessions expire at the next request\n");
    }
    for (std::size_t at = 0; (at = path.find("..", at)) != std::string::npos; ++at) {
        bool segmentStart = at == 0 || path[at - 1] == '/';
        bool segmentEnd = at + 2 == path.size() || path[at + 2] == '/';
        if (segmentStart && segmentEnd) return plainResponse("403 Forbidden", "path outside the site\n");
    }
    std::optional<std::string> relative = resolveSitePath("", path, true);
    if (!relative && path != "/") return plainResponse("403 Forbidden", "path refused\n");  // drive letters, streams
    std::string pagePath = relative.value_or("");
    std::wstring full = windowsPath(settings.siteFolder, pagePath);
    if (!relative || path.back() == '/' || isDirectory(full)) {
        std::string folder = relative ? *relative + "/" : "";
        for (const char* name : {"index.asp", "default.asp"}) {
            if (GetFileAttributesW(windowsPath(settings.siteFolder, folder + name).c_str()) !=
                INVALID_FILE_ATTRIBUTES) {
                pagePath = folder + name;
                break;
            }
        }
    }
    std::wstring extension =
        lowerCase(fromUtf8(pagePath.size() >= 4 ? pagePath.substr(pagePath.size() - 4) : pagePath));
    if (extension != L".asp") return plainResponse("404 Not Found", "only .asp pages run here\n");
    DWORD attributes = GetFileAttributesW(windowsPath(settings.siteFolder, pagePath).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return plainResponse("404 Not Found", "no such page\n");
    std::string response = runPage(request, settings, remoteAddress, pagePath, "/" + pagePath);
    if (request.method == "HEAD") {
        std::size_t headEnd = response.find("\r\n\r\n");
        if (headEnd != std::string::npos) response.resize(headEnd + 4);
    }
    return response;
}

}  // namespace tabulon::preview::host
