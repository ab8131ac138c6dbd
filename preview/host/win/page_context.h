#pragma once
// What one request's ASP objects share: the request as read, the response being built,
// the session, and the page's translation (for its literal blocks and MapPath).
#include "../core/http_request.h"
#include "../core/page_translator.h"
#include "../core/stored_state.h"
#include "dispatch.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tabulon::preview::host {

// Values kept by Session and Application, names case-insensitive, in insertion order.
class ValueStore {
public:
    Variant get(std::wstring_view name) const;
    void set(std::wstring_view name, const Variant& value);
    void remove(std::wstring_view name);
    void clear();
    std::size_t size() const { return items_.size(); }
    const std::wstring& nameAt(std::size_t i) const { return items_[i].name; }
    const Variant& valueAt(std::size_t i) const { return items_[i].value; }

private:
    struct Item {
        std::wstring name;
        Variant value;
    };
    std::vector<Item> items_;
};

// Requests of one session run one at a time, as on IIS: a page holds `busy` while it runs.
struct SessionData {
    SessionData() { InitializeCriticalSection(&busy); }
    ~SessionData() { DeleteCriticalSection(&busy); }
    SessionData(const SessionData&) = delete;
    SessionData& operator=(const SessionData&) = delete;

    CRITICAL_SECTION busy;
    StoredValues kept;  // `values` as last written to the state file, taken when a page ends
    std::string cookieValue;
    long id = 0;
    long timeoutMinutes = 20;
    ULONGLONG lastUse = 0;  // GetTickCount64
    bool abandoned = false;
    long lcid = 0;  // Session.LCID once a page set it, else 0
    ValueStore values;
};

struct ResponseCookie {
    std::wstring name;
    std::wstring value;
    std::vector<std::pair<std::wstring, std::wstring>> keys;  // Response.Cookies("a")("k") = v
    std::wstring path = L"/";
    std::wstring domain;
    bool secure = false;
    double expires = 0;  // OLE date, 0 = session cookie
};

struct PageContext {
    HttpRequest request;
    std::wstring siteFolder;  // Windows path without a trailing backslash
    std::string pagePath;     // site-relative, '/'-separated
    std::string remoteAddress = "127.0.0.1";
    int serverPort = 0;
    const TranslatedPage* page = nullptr;

    // Response state
    unsigned codePage = 936;
    std::string status = "200 OK";
    std::wstring contentType = L"text/html";
    std::wstring charset;
    std::vector<std::pair<std::string, std::string>> headers;
    std::vector<ResponseCookie> cookies;
    std::string body;
    bool buffer = true;
    bool ended = false;
    std::size_t flushed = 0;  // bytes of body sent by Flush: Clear keeps them
    long lcid = hostLcid;
    long scriptTimeout = 90;  // Server.ScriptTimeout, seconds

    // Server.Execute / Server.Transfer: runs another page of the site into this response.
    std::function<void(const std::wstring& path, bool transfer)> execute;
    // The finished error response of a page run by Server.Execute that failed.
    std::string failedResponse;

    std::shared_ptr<SessionData> session;
    bool sessionIsNew = false;
    std::string sessionCookieName;

    void write(std::wstring_view text);
    // Response.End, Redirect and Transfer: no more output, and the page's further calls on
    // the host's objects fail (see stopScriptCalls).
    void end();
    ResponseCookie& cookie(std::wstring_view name);
};

// The one Application and the sessions of this process. Pages run on threads of their own:
// Application values are read and written under applicationLock() (Application.Lock holds
// it until Unlock or the page's end); the sessions' list has a lock of its own inside.
ValueStore& applicationValues();
CRITICAL_SECTION& applicationLock();
// The session named by the request's cookie, or a new one (`created` tells which).
std::shared_ptr<SessionData> sessionFor(const HttpRequest& request, const std::string& cookieName, bool& created);
void endSession(const std::shared_ptr<SessionData>& session);
// The sessions that timed out since the last call (for global.asa's Session_OnEnd).
std::vector<std::shared_ptr<SessionData>> takeExpiredSessions();
// Lets every session time out at the next request (test hook).
void expireSessionsNow();
// The session whose cookie value is given, if alive (for test hooks).
std::shared_ptr<SessionData> findSession(const std::string& cookieValue);
// ASPSESSIONID followed by eight letters, as IIS names it: kept across restarts.
const std::string& sessionCookieName();
// Sets the name once at start: `kept` when it is one, else a new random one.
void chooseSessionCookieName(const std::string& kept);

// For keeping sessions across restarts: the live sessions, taking one back, and a number
// that changes whenever a session or the Application changes.
std::vector<std::shared_ptr<SessionData>> liveSessions();
void adoptSession(std::shared_ptr<SessionData> session);
std::uint64_t stateVersion();
void noteStateChanged();

}  // namespace tabulon::preview::host
