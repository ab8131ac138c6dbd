#include "page_context.h"

#include "../core/session_token.h"
#include "system_random.h"
#include "text.h"

#include <atomic>
#include <utility>

namespace tabulon::preview::host {
namespace {

// Cookie values must not be predictable from earlier ones: they come from the system's
// cryptographic generator.
std::string systemLetters(std::size_t count) { return randomLetters(count, systemRandom); }

long randomSessionNumber() {
    unsigned char bytes[4];
    systemRandom(bytes, sizeof bytes);
    const unsigned long value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<unsigned long>(bytes[3]) << 24;
    return 100000000 + static_cast<long>(value % 800000000);
}

std::map<std::string, std::shared_ptr<SessionData>>& sessions() {
    static std::map<std::string, std::shared_ptr<SessionData>> all;
    return all;
}

// Guards sessions() and the session numbers; held only for quick changes of the list.
SRWLOCK sessionsLock = SRWLOCK_INIT;

struct ListLock {
    ListLock() { AcquireSRWLockExclusive(&sessionsLock); }
    ~ListLock() { ReleaseSRWLockExclusive(&sessionsLock); }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;
};

std::atomic<std::uint64_t>& version() {
    static std::atomic<std::uint64_t> changes{0};
    return changes;
}

std::string& cookieName() {
    static std::string name;
    return name;
}

// Sessions that timed out and still wait for global.asa's Session_OnEnd; under sessionsLock.
std::vector<std::shared_ptr<SessionData>>& expired() {
    static std::vector<std::shared_ptr<SessionData>> list;
    return list;
}

void dropExpired() {
    ULONGLONG now = GetTickCount64();
    for (auto it = sessions().begin(); it != sessions().end();) {
        const SessionData& s = *it->second;
        if (s.abandoned || now - s.lastUse > static_cast<ULONGLONG>(s.timeoutMinutes) * 60000) {
            if (!s.abandoned) expired().push_back(it->second);  // global.asa's Session_OnEnd is still due
            it = sessions().erase(it);
            noteStateChanged();
        } else {
            ++it;
        }
    }
}

bool isCookieName(const std::string& name) {
    if (name.size() != 20 || name.rfind("ASPSESSIONID", 0) != 0) return false;
    for (std::size_t i = 12; i < name.size(); ++i)
        if (name[i] < 'A' || name[i] > 'Z') return false;
    return true;
}

}  // namespace

Variant ValueStore::get(std::wstring_view name) const {
    for (const Item& item : items_)
        if (equalNoCase(item.name, name)) return item.value;
    return Variant();
}

void ValueStore::set(std::wstring_view name, const Variant& value) {
    noteStateChanged();
    for (Item& item : items_)
        if (equalNoCase(item.name, name)) {
            item.value = value;
            return;
        }
    items_.push_back({std::wstring(name), value});
}

void ValueStore::clear() {
    noteStateChanged();
    items_.clear();
}

void ValueStore::remove(std::wstring_view name) {
    noteStateChanged();
    for (auto it = items_.begin(); it != items_.end(); ++it)
        if (equalNoCase(it->name, name)) {
            items_.erase(it);
            return;
        }
}

void PageContext::write(std::wstring_view text) {
    if (ended) return;
    body += narrow(text, codePage);
}

void PageContext::end() {
    ended = true;
    stopScriptCalls(true);
}

ResponseCookie& PageContext::cookie(std::wstring_view name) {
    for (ResponseCookie& c : cookies)
        if (equalNoCase(c.name, name)) return c;
    cookies.push_back({});
    cookies.back().name = std::wstring(name);
    return cookies.back();
}

ValueStore& applicationValues() {
    static ValueStore values;
    return values;
}

CRITICAL_SECTION& applicationLock() {
    struct Section {
        Section() { InitializeCriticalSection(&section); }
        CRITICAL_SECTION section;
    };
    static Section lock;
    return lock.section;
}

const std::string& sessionCookieName() {
    if (cookieName().empty()) chooseSessionCookieName({});
    return cookieName();
}

void chooseSessionCookieName(const std::string& kept) {
    cookieName() = isCookieName(kept) ? kept : "ASPSESSIONID" + systemLetters(8);
}

std::vector<std::shared_ptr<SessionData>> liveSessions() {
    ListLock lock;
    dropExpired();
    std::vector<std::shared_ptr<SessionData>> out;
    for (const auto& [cookie, session] : sessions()) out.push_back(session);
    return out;
}

void adoptSession(std::shared_ptr<SessionData> session) {
    if (session->cookieValue.size() != kSessionTokenLetters) return;
    ListLock lock;
    sessions()[session->cookieValue] = std::move(session);
}

std::uint64_t stateVersion() { return version(); }

void noteStateChanged() { ++version(); }

std::shared_ptr<SessionData> sessionFor(const HttpRequest& request, const std::string& cookieName, bool& created) {
    ListLock lock;
    dropExpired();
    if (std::optional<std::string> header = request.header("Cookie")) {
        for (const auto& [name, value] : parseCookieHeader(*header)) {
            if (name != cookieName) continue;
            auto it = sessions().find(value);
            if (it != sessions().end()) {
                created = false;
                const ULONGLONG now = GetTickCount64();
                if (now - it->second->lastUse > 60000) noteStateChanged();  // kept to the minute
                it->second->lastUse = now;
                return it->second;
            }
        }
    }
    static long nextId = randomSessionNumber();
    auto session = std::make_shared<SessionData>();
    do {
        session->cookieValue = systemLetters(kSessionTokenLetters);
    } while (sessions().count(session->cookieValue));
    session->id = nextId++;
    session->lastUse = GetTickCount64();
    sessions()[session->cookieValue] = session;
    noteStateChanged();
    created = true;
    return session;
}

void expireSessionsNow() {
    ListLock lock;
    for (auto& [cookie, session] : sessions()) session->lastUse = 0;
}

std::vector<std::shared_ptr<SessionData>> takeExpiredSessions() {
    ListLock lock;
    dropExpired();
    return std::exchange(expired(), {});
}

void endSession(const std::shared_ptr<SessionData>& session) {
    ListLock lock;
    sessions().erase(session->cookieValue);
    noteStateChanged();
}

std::shared_ptr<SessionData> findSession(const std::string& cookieValue) {
    ListLock lock;
    auto it = sessions().find(cookieValue);
    return it == sessions().end() ? nullptr : it->second;
}

}  // namespace tabulon::preview::host
