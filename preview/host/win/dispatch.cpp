#include "dispatch.h"

#include "text.h"
#include "../core/construct_rewriter.h"

#include <cmath>
#include <iterator>

namespace tabulon::preview::host {

LCID hostLcid = 2052;

namespace {
// Each page runs on its connection's thread, and its engine calls the host's objects there.
thread_local LCID currentLcid = hostLcid;
thread_local bool callsStopped = false;
}  // namespace

void stopScriptCalls(bool stop) { callsStopped = stop; }

LCID pageLcid() { return currentLcid; }

namespace {

// The user-locale settings the engine formats and reads dates and numbers with.
const LCTYPE formatSettings[] = {LOCALE_SSHORTDATE, LOCALE_SLONGDATE, LOCALE_STIMEFORMAT, LOCALE_SSHORTTIME,
                                 LOCALE_SDECIMAL,   LOCALE_STHOUSAND, LOCALE_SDATE,       LOCALE_STIME,
                                 LOCALE_S1159,      LOCALE_S2359};

// Windows 10's values where Wine's locale data differs (same order as formatSettings).
struct KnownFormats {
    LCID lcid;
    const wchar_t* values[10];
};
const KnownFormats knownFormats[] = {
    {2052,
     {L"yyyy/M/d", L"yyyy\u5E74M\u6708d\u65E5", L"H:mm:ss", L"H:mm", L".", L",", L"/", L":", L"\u4E0A\u5348",
      L"\u4E0B\u5348"}},
    {1033, {L"M/d/yyyy", L"dddd, MMMM d, yyyy", L"h:mm:ss tt", L"h:mm tt", L".", L",", L"/", L":", L"AM", L"PM"}},
    {1031, {L"dd.MM.yyyy", L"dddd, d. MMMM yyyy", L"HH:mm:ss", L"HH:mm", L",", L".", L".", L":", L"", L""}},
};

// Gives the process's user locale the formats of `lcid`. The engine looks them up at each
// conversion (its own locale is fixed when it starts), so this is how Session.LCID,
// Response.LCID and SetLocale reach "x" & date and CDbl("1,5").
void useFormatsOf(LCID lcid) {
    const KnownFormats* known = nullptr;
    for (const KnownFormats& k : knownFormats)
        if (k.lcid == lcid) known = &k;
    wchar_t value[128];
    for (std::size_t i = 0; i < std::size(formatSettings); ++i) {
        if (known)
            SetLocaleInfoW(LOCALE_USER_DEFAULT, formatSettings[i], known->values[i]);
        else if (GetLocaleInfoW(lcid, formatSettings[i] | LOCALE_NOUSEROVERRIDE, value, 128) > 0)
            SetLocaleInfoW(LOCALE_USER_DEFAULT, formatSettings[i], value);
    }
}

// The user locale is the process's: pages on other threads share it, and the page that set
// it last gives its formats to all (pages in different locales at once are rare in a preview).
SRWLOCK formatsLock = SRWLOCK_INIT;
LCID formatsLcid = 0;  // whose formats the user locale holds; 0 before the first change

void useFormatsOnce(LCID lcid) {
    AcquireSRWLockExclusive(&formatsLock);
    if (formatsLcid != lcid) {
        useFormatsOf(lcid);
        formatsLcid = lcid;
    }
    ReleaseSRWLockExclusive(&formatsLock);
}

}  // namespace

void setPageLcid(LCID lcid) {
    currentLcid = lcid;
    useFormatsOnce(lcid);
}

void resetUserFormats() { useFormatsOnce(hostLcid); }

ScriptError vbError(int number, std::wstring description) {
    return {MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number), L"Microsoft VBScript runtime error",
            std::move(description)};
}

Args::Args(DISPPARAMS* params, WORD flags) : params_(params) {
    if (!params) return;
    std::size_t named = params->cNamedArgs;
    bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (put && params->cArgs > 0) {
        assigned_ = &params->rgvarg[0];
        if (named == 0) named = 1;  // the assigned value comes first even when not named
    }
    count_ = params->cArgs >= named ? params->cArgs - named : 0;
    if (assigned_ && (V_VT(assigned_) == (VT_BYREF | VT_VARIANT))) assigned_ = V_VARIANTREF(assigned_);
}

const VARIANT& Args::at(std::size_t i) const {
    const VARIANT* v = &params_->rgvarg[params_->cArgs - 1 - i];
    while (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    return *v;
}

VARIANT* Args::reference(std::size_t i) const {
    if (i >= count_) return nullptr;
    VARIANT* v = &params_->rgvarg[params_->cArgs - 1 - i];
    if (V_VT(v) != (VT_BYREF | VT_VARIANT)) return nullptr;
    while (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    return v;
}

bool Args::has(std::size_t i) const {
    if (i >= count_) return false;
    const VARIANT& v = at(i);
    return !(V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND);
}

Variant valueOf(const VARIANT& v) {
    Variant out;
    const VARIANT* src = &v;
    while (V_VT(src) == (VT_BYREF | VT_VARIANT)) src = V_VARIANTREF(src);
    if (V_VT(src) & VT_BYREF) {
        VariantCopyInd(out.get(), const_cast<VARIANT*>(src));
    } else {
        VariantCopy(out.get(), const_cast<VARIANT*>(src));
    }
    for (int depth = 0; depth < 8 && (V_VT(out.get()) == VT_DISPATCH || V_VT(out.get()) == VT_UNKNOWN); ++depth) {
        IDispatch* object = nullptr;
        if (V_VT(out.get()) == VT_DISPATCH) {
            object = V_DISPATCH(out.get());
            if (object) object->AddRef();
        } else if (V_UNKNOWN(out.get())) {
            V_UNKNOWN(out.get())->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object));
        }
        if (!object) throw vbError(424, L"Object required");
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        Variant result;
        EXCEPINFO info = {};
        HRESULT hr = object->Invoke(DISPID_VALUE, IID_NULL, hostLcid, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none,
                                    result.get(), &info, nullptr);
        object->Release();
        if (FAILED(hr)) throwInvokeFailure(hr, info);
        out = result;
    }
    return out;
}

void forEachItem(const VARIANT& value, const std::function<void(const VARIANT&)>& each) {
    Variant list = valueOf(value);
    if (!(V_VT(list.get()) & VT_ARRAY)) {
        each(*list.get());
        return;
    }
    SAFEARRAY* array = V_ARRAY(list.get());
    LONG lo = 0, hi = -1;
    SafeArrayGetLBound(array, 1, &lo);
    SafeArrayGetUBound(array, 1, &hi);
    for (LONG i = lo; i <= hi; ++i) {
        Variant item;
        SafeArrayGetElement(array, &i, item.get());
        each(*item.get());
    }
}

bool isNullOrEmpty(const VARIANT& v) {
    Variant value = valueOf(v);
    return V_VT(value.get()) == VT_NULL || V_VT(value.get()) == VT_EMPTY;
}

std::wstring textOf(const VARIANT& v) {
    Variant value = valueOf(v);
    if (V_VT(value.get()) == VT_NULL || V_VT(value.get()) == VT_EMPTY) return {};
    if (V_VT(value.get()) == VT_BSTR)
        return V_BSTR(value.get()) ? std::wstring(V_BSTR(value.get()), SysStringLen(V_BSTR(value.get()))) : L"";
    Variant text;
    HRESULT hr = VariantChangeTypeEx(text.get(), value.get(), pageLcid(), VARIANT_ALPHABOOL, VT_BSTR);
    if (FAILED(hr)) throw vbError(13, L"Type mismatch");
    return std::wstring(V_BSTR(text.get()), SysStringLen(V_BSTR(text.get())));
}

double doubleOf(const VARIANT& v) {
    Variant value = valueOf(v);
    Variant number;
    if (FAILED(VariantChangeTypeEx(number.get(), value.get(), pageLcid(), 0, VT_R8)))
        throw vbError(13, L"Type mismatch");
    return V_R8(number.get());
}

long longOf(const VARIANT& v) {
    double d = doubleOf(v);
    if (d > 2147483647.0 || d < -2147483648.0) throw vbError(6, L"Overflow");
    return static_cast<long>(std::nearbyint(d));
}

bool boolOf(const VARIANT& v) {
    Variant value = valueOf(v);
    Variant b;
    if (FAILED(VariantChangeTypeEx(b.get(), value.get(), pageLcid(), 0, VT_BOOL))) throw vbError(13, L"Type mismatch");
    return V_BOOL(b.get()) != VARIANT_FALSE;
}

void setText(VARIANT* out, std::wstring_view text) {
    if (!out) return;
    VariantClear(out);
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

void setLong(VARIANT* out, long value) {
    if (!out) return;
    VariantClear(out);
    V_VT(out) = VT_I4;
    V_I4(out) = value;
}

void setBool(VARIANT* out, bool value) {
    if (!out) return;
    VariantClear(out);
    V_VT(out) = VT_BOOL;
    V_BOOL(out) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void setObject(VARIANT* out, IDispatch* object) {
    if (!out) return;
    VariantClear(out);
    V_VT(out) = VT_DISPATCH;
    V_DISPATCH(out) = object;
    if (object) object->AddRef();
}

void setNull(VARIANT* out) {
    if (!out) return;
    VariantClear(out);
    V_VT(out) = VT_NULL;
}

HRESULT Dispatch::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return S_OK;
}

namespace {
constexpr DISPID typeNameId = 0x7AB0001;  // the hidden member TypeName asks for
}  // namespace

std::wstring Dispatch::typeName() const {
    std::wstring source = errorSource();
    if (source.rfind(L"ADODB.", 0) == 0) return source.substr(6);
    return L"Object";
}

HRESULT Dispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i > 0) {
            hr = DISP_E_UNKNOWNNAME;  // named arguments are not supported
            continue;
        }
        bool found = false;
        if (equalNoCase(std::wstring(classNameMethod.begin(), classNameMethod.end()), names[i])) {
            ids[i] = typeNameId;
            continue;
        }
        for (const Member& m : members()) {
            if (equalNoCase(m.name, names[i])) {
                ids[i] = m.id;
                found = true;
                break;
            }
        }
        if (!found) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT Dispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                         UINT*) {
    VARIANT scratch;
    VariantInit(&scratch);
    VARIANT* out = result ? result : &scratch;
    AddRef();  // the call may drop the page's last reference
    HRESULT hr = S_OK;
    try {
        Args args(params, flags);
        if (id == typeNameId) {
            setText(out, typeName());
        } else if (callsStopped) {
            bool endOfRecords = false;
            for (const Member& m : members())
                if (m.id == id && (equalNoCase(m.name, L"EOF") || equalNoCase(m.name, L"BOF"))) endOfRecords = true;
            if (!endOfRecords) throw ScriptError{responseEndCode, errorSource(), L"Response.End"};
            setBool(out, true);
        } else if (!call(id, flags, args, out)) {
            hr = DISP_E_MEMBERNOTFOUND;
        }
    } catch (const ScriptError& e) {
        if (info) {
            *info = EXCEPINFO{};
            info->scode = e.code;
            info->bstrSource = SysAllocString(e.source.empty() ? errorSource() : e.source.c_str());
            info->bstrDescription = SysAllocString(e.description.c_str());
        }
        hr = DISP_E_EXCEPTION;
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    VariantClear(&scratch);
    Release();
    return hr;
}

namespace {

class Enumerator : public ComObject<IEnumVARIANT> {
public:
    explicit Enumerator(std::vector<Variant> items) : ComObject(IID_IEnumVARIANT), items_(std::move(items)) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* out, ULONG* fetched) override {
        ULONG n = 0;
        while (n < wanted && next_ < items_.size()) {
            VariantInit(&out[n]);
            VariantCopy(&out[n], items_[next_].get());
            ++n;
            ++next_;
        }
        if (fetched) *fetched = n;
        return n == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        next_ += count;
        return next_ <= items_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
        auto* copy = new Enumerator(items_);
        copy->next_ = next_;
        *out = copy;
        return S_OK;
    }

private:
    ~Enumerator() override = default;
    std::vector<Variant> items_;
    std::size_t next_ = 0;
};

}  // namespace

IUnknown* makeEnumerator(std::vector<Variant> items) { return new Enumerator(std::move(items)); }

void throwInvokeFailure(HRESULT hr, EXCEPINFO& info) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    ScriptError e{hr == DISP_E_EXCEPTION && info.scode ? info.scode : hr, info.bstrSource ? info.bstrSource : L"",
                  info.bstrDescription ? info.bstrDescription : L""};
    if (e.description.empty()) {
        if (hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_UNKNOWNNAME) {
            e = vbError(438, L"Object doesn't support this property or method");
        } else if (hr == DISP_E_BADPARAMCOUNT) {
            e = vbError(450, L"Wrong number of arguments or invalid property assignment");
        } else if (hr == DISP_E_TYPEMISMATCH) {
            e = vbError(13, L"Type mismatch");
        }
    }
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    throw e;
}

void forwardCall(IDispatch* target, DISPID id, WORD flags, const Args& args, VARIANT* result) {
    std::vector<VARIANT> reversed;
    DISPID putId = DISPID_PROPERTYPUT;
    if (args.assigned()) reversed.push_back(*args.assigned());
    for (std::size_t i = args.count(); i-- > 0;) reversed.push_back(args.at(i));
    DISPPARAMS params = {reversed.data(), args.assigned() ? &putId : nullptr, static_cast<UINT>(reversed.size()),
                         args.assigned() ? 1u : 0u};
    EXCEPINFO info = {};
    HRESULT hr = target->Invoke(id, IID_NULL, hostLcid, flags, &params, result, &info, nullptr);
    if (FAILED(hr)) throwInvokeFailure(hr, info);
}

}  // namespace tabulon::preview::host
