#include "state_file.h"

#include "../core/stored_state.h"
#include "page_context.h"
#include "text.h"

#include <windows.h>

#include <cstdio>
#include <ctime>
#include <optional>

namespace tabulon::preview::host {
namespace {

std::u16string toUtf16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
std::wstring fromUtf16(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// The element of a SAFEARRAY at `flat` (first dimension fastest) as a VARIANT.
std::optional<StoredValue> storeValue(const VARIANT& v, int depth);

std::optional<StoredValue> storeArray(SAFEARRAY* a, VARTYPE type, int depth) {
    if (!a || depth >= kDeepestStoredArray) return std::nullopt;
    VARTYPE itemType = VT_EMPTY;
    if (FAILED(SafeArrayGetVartype(a, &itemType)) || itemType != VT_VARIANT) return std::nullopt;
    StoredValue out;
    out.type = type;
    out.payload = StoredValue::Payload::Array;
    const UINT dimensions = SafeArrayGetDim(a);
    ULONG total = 1;
    // SAFEARRAY keeps its bounds last dimension first.
    for (UINT d = 0; d < dimensions; ++d) {
        const SAFEARRAYBOUND& bound = a->rgsabound[dimensions - 1 - d];
        out.bounds.emplace_back(bound.lLbound, bound.cElements);
        total *= bound.cElements;
    }
    VARIANT* items = nullptr;
    if (FAILED(SafeArrayAccessData(a, reinterpret_cast<void**>(&items)))) return std::nullopt;
    bool whole = true;
    for (ULONG i = 0; i < total && whole; ++i) {
        auto item = storeValue(items[i], depth + 1);
        if (item)
            out.items.push_back(std::move(*item));
        else
            whole = false;
    }
    SafeArrayUnaccessData(a);
    if (!whole) return std::nullopt;
    return out;
}

std::optional<StoredValue> storeValue(const VARIANT& v, int depth) {
    StoredValue out;
    out.type = V_VT(&v);
    switch (V_VT(&v)) {
    case VT_EMPTY:
    case VT_NULL: out.payload = StoredValue::Payload::None; break;
    case VT_I1: out.payload = StoredValue::Payload::Integer, out.integer = V_I1(&v); break;
    case VT_UI1: out.payload = StoredValue::Payload::Integer, out.integer = V_UI1(&v); break;
    case VT_I2: out.payload = StoredValue::Payload::Integer, out.integer = V_I2(&v); break;
    case VT_UI2: out.payload = StoredValue::Payload::Integer, out.integer = V_UI2(&v); break;
    case VT_I4: out.payload = StoredValue::Payload::Integer, out.integer = V_I4(&v); break;
    case VT_UI4: out.payload = StoredValue::Payload::Integer, out.integer = V_UI4(&v); break;
    case VT_INT: out.payload = StoredValue::Payload::Integer, out.integer = V_INT(&v); break;
    case VT_UINT: out.payload = StoredValue::Payload::Integer, out.integer = V_UINT(&v); break;
    case VT_I8: out.payload = StoredValue::Payload::Integer, out.integer = V_I8(&v); break;
    case VT_ERROR: out.payload = StoredValue::Payload::Integer, out.integer = V_ERROR(&v); break;
    case VT_BOOL: out.payload = StoredValue::Payload::Integer, out.integer = V_BOOL(&v); break;
    case VT_CY: out.payload = StoredValue::Payload::Integer, out.integer = V_CY(&v).int64; break;
    case VT_R4: out.payload = StoredValue::Payload::Number, out.number = V_R4(&v); break;
    case VT_R8: out.payload = StoredValue::Payload::Number, out.number = V_R8(&v); break;
    case VT_DATE: out.payload = StoredValue::Payload::Number, out.number = V_DATE(&v); break;
    case VT_BSTR:
        out.payload = StoredValue::Payload::Text;
        out.text = toUtf16(std::wstring_view(V_BSTR(&v) ? V_BSTR(&v) : L"", SysStringLen(V_BSTR(&v))));
        break;
    case VT_DECIMAL:
        out.payload = StoredValue::Payload::Bytes;
        out.bytes.assign(reinterpret_cast<const char*>(&V_DECIMAL(&v)), sizeof(DECIMAL));
        break;
    case VT_ARRAY | VT_VARIANT: return storeArray(V_ARRAY(&v), V_VT(&v), depth);
    default:
        if (V_VT(&v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&v)) return storeValue(*V_VARIANTREF(&v), depth);
        return std::nullopt;  // objects and the rarer types stay in this process only
    }
    return out;
}

bool restoreValue(const StoredValue& s, VARIANT* out) {
    VariantInit(out);
    const VARTYPE type = s.type;
    switch (s.payload) {
    case StoredValue::Payload::None:
        if (type != VT_EMPTY && type != VT_NULL) return false;
        V_VT(out) = type;
        return true;
    case StoredValue::Payload::Integer:
        switch (type) {
        case VT_I1: V_I1(out) = static_cast<CHAR>(s.integer); break;
        case VT_UI1: V_UI1(out) = static_cast<BYTE>(s.integer); break;
        case VT_I2: V_I2(out) = static_cast<SHORT>(s.integer); break;
        case VT_UI2: V_UI2(out) = static_cast<USHORT>(s.integer); break;
        case VT_I4: V_I4(out) = static_cast<LONG>(s.integer); break;
        case VT_UI4: V_UI4(out) = static_cast<ULONG>(s.integer); break;
        case VT_INT: V_INT(out) = static_cast<INT>(s.integer); break;
        case VT_UINT: V_UINT(out) = static_cast<UINT>(s.integer); break;
        case VT_I8: V_I8(out) = s.integer; break;
        case VT_ERROR: V_ERROR(out) = static_cast<SCODE>(s.integer); break;
        case VT_BOOL: V_BOOL(out) = s.integer ? VARIANT_TRUE : VARIANT_FALSE; break;
        case VT_CY: V_CY(out).int64 = s.integer; break;
        default: return false;
        }
        V_VT(out) = type;
        return true;
    case StoredValue::Payload::Number:
        if (type == VT_R4)
            V_R4(out) = static_cast<float>(s.number);
        else if (type == VT_R8)
            V_R8(out) = s.number;
        else if (type == VT_DATE)
            V_DATE(out) = s.number;
        else
            return false;
        V_VT(out) = type;
        return true;
    case StoredValue::Payload::Text: {
        if (type != VT_BSTR) return false;
        const std::wstring text = fromUtf16(s.text);
        V_BSTR(out) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        V_VT(out) = VT_BSTR;
        return true;
    }
    case StoredValue::Payload::Bytes:
        if (type != VT_DECIMAL || s.bytes.size() != sizeof(DECIMAL)) return false;
        memcpy(&V_DECIMAL(out), s.bytes.data(), sizeof(DECIMAL));
        V_VT(out) = VT_DECIMAL;  // after the copy: the type shares DECIMAL's first bytes
        return true;
    case StoredValue::Payload::Array: {
        if (type != (VT_ARRAY | VT_VARIANT) || s.bounds.empty()) return false;
        std::vector<SAFEARRAYBOUND> bounds(s.bounds.size());
        for (std::size_t d = 0; d < s.bounds.size(); ++d)
            bounds[s.bounds.size() - 1 - d] = {s.bounds[d].second, s.bounds[d].first};
        SAFEARRAY* a = SafeArrayCreate(VT_VARIANT, static_cast<UINT>(bounds.size()), bounds.data());
        if (!a) return false;
        VARIANT* items = nullptr;
        SafeArrayAccessData(a, reinterpret_cast<void**>(&items));
        bool whole = true;
        for (std::size_t i = 0; i < s.items.size() && whole; ++i) whole = restoreValue(s.items[i], &items[i]);
        SafeArrayUnaccessData(a);
        if (!whole) {
            SafeArrayDestroy(a);
            return false;
        }
        V_VT(out) = type;
        V_ARRAY(out) = a;
        return true;
    }
    }
    return false;
}

StoredValues storeAll(const ValueStore& store) {
    StoredValues out;
    for (std::size_t i = 0; i < store.size(); ++i)
        if (auto value = storeValue(*store.valueAt(i).get(), 0)) out.emplace_back(toUtf16(store.nameAt(i)), *value);
    return out;
}

void restoreAll(const StoredValues& from, ValueStore& into) {
    for (const auto& [name, stored] : from) {
        Variant value;
        if (restoreValue(stored, value.get())) into.set(fromUtf16(name), value);
    }
}

std::optional<std::string> readWhole(const std::wstring& file) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(h);
    return bytes;
}

bool writeWhole(const std::wstring& file, const std::string& bytes) {
    const std::wstring temporary = file + L".new";
    HANDLE h = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && FlushFileBuffers(h);
    CloseHandle(h);
    if (ok && MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

// One writer at a time; what it last wrote, and the Application values it last could read.
struct Writer {
    Writer() { InitializeCriticalSection(&lock); }
    CRITICAL_SECTION lock;
    std::uint64_t lastSavedVersion = 0;
    bool warnedUnwritable = false;
    StoredValues application;
};

Writer& writer() {
    static Writer w;
    return w;
}

}  // namespace

void loadState(const std::wstring& file) {
    std::optional<StoredState> state;
    if (!file.empty()) {
        if (const auto bytes = readWhole(file)) {
            state = decodeState(*bytes);
            if (!state) std::fprintf(stderr, "asphost: the saved sessions could not be read; starting without them\n");
        }
    }
    if (!state) {
        chooseSessionCookieName({});
        return;
    }
    chooseSessionCookieName(state->cookieName);
    restoreAll(state->application, applicationValues());
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    const ULONGLONG tick = GetTickCount64();
    for (const StoredSession& kept : state->sessions) {
        auto session = std::make_shared<SessionData>();
        session->cookieValue = kept.cookieValue;
        session->id = kept.id;
        session->timeoutMinutes = kept.timeoutMinutes;
        const std::int64_t idle = now > kept.lastUse ? now - kept.lastUse : 0;
        session->lastUse = static_cast<ULONGLONG>(idle) * 1000 < tick ? tick - static_cast<ULONGLONG>(idle) * 1000 : 0;
        restoreAll(kept.values, session->values);
        session->kept = kept.values;
        adoptSession(session);
    }
    writer().application = state->application;
    writer().lastSavedVersion = stateVersion();
}

void keepSessionValues(SessionData& session) {
    StoredValues values = storeAll(session.values);
    EnterCriticalSection(&writer().lock);
    session.kept = std::move(values);
    LeaveCriticalSection(&writer().lock);
}

void saveStateIfChanged(const std::wstring& file) {
    Writer& w = writer();
    if (file.empty() || stateVersion() == w.lastSavedVersion) return;
    struct Held {
        Held() { EnterCriticalSection(&writer().lock); }
        ~Held() { LeaveCriticalSection(&writer().lock); }
    } held;
    const std::uint64_t version = stateVersion();
    if (version == w.lastSavedVersion) return;  // another thread wrote it meanwhile
    // A page between Application.Lock and Unlock keeps the values it is changing: the last
    // ones read are written, and the next write takes the new ones.
    if (TryEnterCriticalSection(&applicationLock())) {
        w.application = storeAll(applicationValues());
        LeaveCriticalSection(&applicationLock());
    }
    StoredState state;
    state.cookieName = sessionCookieName();
    state.application = w.application;
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    const ULONGLONG tick = GetTickCount64();
    for (const auto& session : liveSessions()) {
        StoredSession kept;
        kept.cookieValue = session->cookieValue;
        kept.id = static_cast<std::int32_t>(session->id);
        kept.timeoutMinutes = static_cast<std::int32_t>(session->timeoutMinutes);
        kept.lastUse = now - static_cast<std::int64_t>((tick - session->lastUse) / 1000);
        kept.values = session->kept;
        state.sessions.push_back(std::move(kept));
    }
    if (writeWhole(file, encodeState(state))) {
        w.lastSavedVersion = version;
    } else if (!w.warnedUnwritable) {
        w.warnedUnwritable = true;
        std::fprintf(stderr, "asphost: the sessions could not be saved (error %lu)\n", GetLastError());
    }
}

}  // namespace tabulon::preview::host
