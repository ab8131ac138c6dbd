#pragma once
// A small base for the host's automation objects: a fixed table of member names, one
// call() that does the work, C++ exceptions turned into script errors, and the variant
// helpers every object needs.
#include <windows.h>
#include <oaidl.h>

#include "com_object.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tabulon::preview::host {

// The server's regional settings: the user locale Wine started the host in (serve --locale;
// Chinese (PRC) unless told otherwise). Set once at start, before any page runs.
extern LCID hostLcid;

// The locale the running page reads and writes values in (Session.LCID, Response.LCID,
// SetLocale, <%@ LCID %>); hostLcid between pages.
LCID pageLcid();
void setPageLcid(LCID lcid);
// Puts the formats of hostLcid back into the user locale (at start-up: a host that was
// stopped in the middle of a page may have left others).
void resetUserFormats();

// Response.End, raised through the script so the engine stops running the page.
constexpr HRESULT responseEndCode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x7E0D);

// After Response.End the engine may go on running the page under On Error Resume Next (it
// cannot be stopped): every call on a host object then fails, so that nothing more the page
// does has an effect. EOF and BOF answer True so that record loops end.
void stopScriptCalls(bool stop);

// A failure the page sees as Err.Number / Err.Source / Err.Description.
struct ScriptError {
    HRESULT code;
    std::wstring source;
    std::wstring description;
};

// VBScript's own runtime errors, as IIS reports them.
ScriptError vbError(int number, std::wstring description);

// Owns one VARIANT.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant& other) {
        VariantInit(&v_);
        VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
    }
    Variant& operator=(const Variant& other) {
        if (this != &other) VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
        return *this;
    }
    ~Variant() { VariantClear(&v_); }
    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    VARIANT detach() {
        VARIANT out = v_;
        VariantInit(&v_);
        return out;
    }

private:
    VARIANT v_;
};

// The arguments of one Invoke in the order the page wrote them.
class Args {
public:
    Args(DISPPARAMS* params, WORD flags);
    std::size_t count() const { return count_; }
    bool has(std::size_t i) const;                         // given and not omitted
    const VARIANT& at(std::size_t i) const;                // by-reference arguments dereferenced
    VARIANT* reference(std::size_t i) const;               // the variable behind a by-reference argument, or null
    const VARIANT* assigned() const { return assigned_; }  // the right side of a property put

private:
    DISPPARAMS* params_;
    std::size_t count_ = 0;
    const VARIANT* assigned_ = nullptr;
};

// The value behind a variant: objects give their default member, by-reference is followed.
Variant valueOf(const VARIANT& v);
// Calls `each` with every element of a one-dimensional array, or once with the value itself
// when it is not an array: ADO takes either where a list is asked for.
void forEachItem(const VARIANT& value, const std::function<void(const VARIANT&)>& each);
bool isNullOrEmpty(const VARIANT& v);
std::wstring textOf(const VARIANT& v);  // Null and Empty as ""
long longOf(const VARIANT& v);
double doubleOf(const VARIANT& v);
bool boolOf(const VARIANT& v);

void setText(VARIANT* out, std::wstring_view text);
void setLong(VARIANT* out, long value);
void setBool(VARIANT* out, bool value);
void setObject(VARIANT* out, IDispatch* object);  // adds a reference
void setNull(VARIANT* out);

class Dispatch : public ComObject<IDispatch> {
public:
    struct Member {
        const wchar_t* name;
        DISPID id;
    };

    Dispatch() : ComObject(IID_IDispatch) {}
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT* argError) override;

protected:
    ~Dispatch() override = default;
    virtual const std::vector<Member>& members() const = 0;
    // Does the work of member `id`. Throws ScriptError; returns false for a member it lacks.
    virtual bool call(DISPID id, WORD flags, const Args& args, VARIANT* result) = 0;
    // The source named in errors raised by this object ("Response", "ADODB.Recordset"…).
    virtual const wchar_t* errorSource() const { return L"Tabulon ASP host"; }
    // What TypeName says of this object: ADODB objects by their source's last part.
    virtual std::wstring typeName() const;
};

// A reference-counted pointer for the host's own objects and COM interfaces.
template <class T>
class Ref {
public:
    Ref() = default;
    explicit Ref(T* adopted) : p_(adopted) {}
    Ref(const Ref& other) : p_(other.p_) {
        if (p_) p_->AddRef();
    }
    Ref& operator=(const Ref& other) {
        if (other.p_) other.p_->AddRef();
        if (p_) p_->Release();
        p_ = other.p_;
        return *this;
    }
    ~Ref() {
        if (p_) p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** put() {
        if (p_) p_->Release();
        p_ = nullptr;
        return &p_;
    }

private:
    T* p_ = nullptr;
};

// For Each over a list of values.
IUnknown* makeEnumerator(std::vector<Variant> items);

// Calls `target`'s member `id` with the same flags and arguments (the assigned value too).
void forwardCall(IDispatch* target, DISPID id, WORD flags, const Args& args, VARIANT* result);
// Raises a failed Invoke's EXCEPINFO as a ScriptError.
[[noreturn]] void throwInvokeFailure(HRESULT hr, EXCEPINFO& info);

}  // namespace tabulon::preview::host
