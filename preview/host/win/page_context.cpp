#include "page_context.h"

#include "text.h"

#include <random>
#include <utility>

namespace tabulon::preview::host {
namespace {

std::mt19937& random() {
    static std::mt19937 engine(static_cast<unsigned>(GetTickCount64() ^ GetCurrentProcessId()));
    return engine;
}

std::string randomLetters(int count) {
    std::uniform_int_distribution<int> letter(0, 25);
    std::string out;
    for (int i = 0; i < count; ++i) out += static_cast<char>('A' + letter(random()));
    return out;
}

std::map<std::string, std::shared_ptr<SessionData>>& sessions() {
    static std::map<std::string, std::shared_ptr<SessionData>> all;
    return all;
}

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
        } else {
            ++it;
        }
    }
}

}  // namespace

Variant ValueStore::get(std::wstring_view name) const {
    for (const Item& item : items_)
        if (equalNoCase(item.name, name)) return item.value;
    return Variant();
}

void ValueStore::set(std::wstring_view name, const Variant& value) {
    for (Item& item : items_)
        if (equalNoCase(item.name, name)) {
            item.value = value;
            return;
        }
    items_.push_back({std::wstring(name), value});
}

void ValueStore::remove(std::wstring_view name) {
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

const std::string& sessionCookieName() {
    static const std::string name = "ASPSESSIONID" + randomLetters(8);
    return name;
}

std::shared_ptr<SessionData> sessionFor(const HttpRequest& request, const std::string& cookieName, bool& created) {
    dropExpired();
    if (std::optional<std::string> header = request.header("Cookie")) {
        for (const auto& [name, value] : parseCookieHeader(*header)) {
            if (name != cookieName) continue;
            auto it = sessions().find(value);
            if (it != sessions().end()) {
                created = false;
                it->second->lastUse = GetTickCount64();
                return it->second;
            }
        }
    }
    static long nextId = 100000000 + static_cast<long>(random()() % 800000000);
    auto session = std::make_shared<SessionData>();
    do {
        session->cookieValue = randomLetters(24);
    } while (sessions().count(session->cookieValue));
    session->id = nextId++;
    session->lastUse = GetTickCount64();
    sessions()[session->cookieValue] = session;
    created = true;
    return session;
}

void expireSessionsNow() {
    for (auto& [cookie, session] : sessions()) session->lastUse = 0;
}

std::vector<std::shared_ptr<SessionData>> takeExpiredSessions() {
    dropExpired();
    return std::exchange(expired(), {});
}

void endSession(const std::shared_ptr<SessionData>& session) { sessions().erase(session->cookieValue); }

std::shared_ptr<SessionData> findSession(const std::string& cookieValue) {
    auto it = sessions().find(cookieValue);
    return it == sessions().end() ? nullptr : it->second;
}

}  // namespace tabulon::preview::host
