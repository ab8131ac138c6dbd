#include <initguid.h>  // mingw's libuuid lacks IID_IActiveScriptParse64: define the ids here

#include "script_engine.h"

#include "com_object.h"
#include "text.h"

#include <stdexcept>

namespace tabulon::preview::host {

class ScriptEngine::Site : public ComObject<IActiveScriptSite> {
public:
    explicit Site(const std::vector<NamedItem>& items) : ComObject(IID_IActiveScriptSite), items_(items) {
        for (NamedItem& item : items_) item.object->AddRef();
    }

    HRESULT STDMETHODCALLTYPE GetLCID(LCID* lcid) override {
        *lcid = pageLcid();  // the engine reads it once, when the page starts
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** unknown,
                                          ITypeInfo** typeInfo) override {
        if (typeInfo) *typeInfo = nullptr;
        if (unknown) *unknown = nullptr;
        for (NamedItem& item : items_) {
            if (!equalNoCase(item.name, name)) continue;
            if ((mask & SCRIPTINFO_IUNKNOWN) && unknown) {
                *unknown = item.object;
                item.object->AddRef();
            }
            if (mask & SCRIPTINFO_ITYPEINFO) return TYPE_E_ELEMENTNOTFOUND;
            return S_OK;
        }
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override {
        ScriptFailure f;
        EXCEPINFO info = {};
        if (SUCCEEDED(error->GetExceptionInfo(&info))) {
            if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
            f.code = info.scode ? info.scode : static_cast<HRESULT>(info.wCode);
            if (info.bstrSource) f.source = info.bstrSource;
            if (info.bstrDescription) f.description = info.bstrDescription;
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrDescription);
            SysFreeString(info.bstrHelpFile);
        }
        DWORD context = 0;
        ULONG line = 0;
        LONG column = 0;
        if (SUCCEEDED(error->GetSourcePosition(&context, &line, &column))) {
            f.line = line;
            f.column = column;
        }
        if (!failure) failure = f;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

    std::optional<ScriptFailure> failure;

private:
    ~Site() override {
        for (NamedItem& item : items_) item.object->Release();
    }
    std::vector<NamedItem> items_;
};

const CLSID& vbscriptClass() {
    static CLSID id = [] {
        CLSID c;
        if (FAILED(CLSIDFromProgID(L"VBScript", &c))) throw std::runtime_error("the VBScript engine is not registered");
        return c;
    }();
    return id;
}

ScriptEngine::ScriptEngine(const std::vector<NamedItem>& items) : site_(new Site(items)) {
    HRESULT hr = CoCreateInstance(vbscriptClass(), nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                  reinterpret_cast<void**>(&script_));
    if (FAILED(hr)) throw std::runtime_error("cannot create the VBScript engine");
    hr = script_->QueryInterface(IID_IActiveScriptParse, reinterpret_cast<void**>(&parse_));
    if (FAILED(hr)) throw std::runtime_error("the VBScript engine cannot parse text");
    parse_->InitNew();
    script_->SetScriptSite(site_);
    for (const NamedItem& item : items) script_->AddNamedItem(item.name.c_str(), item.flags);
    script_->SetScriptState(SCRIPTSTATE_STARTED);
}

ScriptEngine::~ScriptEngine() {
    if (script_) script_->Close();
    if (parse_) parse_->Release();
    if (script_) script_->Release();
    site_->Release();
}

std::optional<ScriptFailure> ScriptEngine::takeFailure() {
    std::optional<ScriptFailure> out = std::move(site_->failure);
    site_->failure.reset();
    return out;
}

std::optional<ScriptFailure> ScriptEngine::run(const std::wstring& code) {
    site_->failure.reset();
    EXCEPINFO info = {};
    HRESULT hr =
        parse_->ParseScriptText(code.c_str(), nullptr, nullptr, nullptr, 0, 0, SCRIPTTEXT_ISVISIBLE, nullptr, &info);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    if (site_->failure) return site_->failure;
    if (FAILED(hr)) {
        ScriptFailure f;
        f.code = hr;
        return f;
    }
    return std::nullopt;
}

}  // namespace tabulon::preview::host
