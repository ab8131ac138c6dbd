#include "ado_objects.h"
#include "asp_objects.h"
#include "text.h"

namespace tabulon::preview::host {
namespace {

// Scriptlet.TypeLib: each object carries a fresh GUID from the system's cryptographic
// generator, which is what ASP pages use for unguessable tokens. Its Guid is 38 characters
// followed by two NULs, as Windows gives it (pages take Left(…, 38) or Mid(…, 2, 36)).
class TypeLib : public Dispatch {
public:
    TypeLib() {
        GUID guid{};
        if (FAILED(CoCreateGuid(&guid))) throw ScriptError{E_FAIL, L"Scriptlet.TypeLib", L"CoCreateGuid failed"};
        wchar_t text[40] = {};
        StringFromGUID2(guid, text, 39);
        guid_.assign(text, 38);
        guid_.append(2, L'\0');
    }

protected:
    enum : DISPID { idGuid = 1 };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Guid", idGuid}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"Scriptlet.TypeLib"; }
    bool call(DISPID id, WORD, const Args&, VARIANT* result) override {
        if (id != idGuid && id != DISPID_VALUE) return false;
        setText(result, guid_);
        return true;
    }

private:
    std::wstring guid_;
};

}  // namespace

IDispatch* createObject(std::wstring_view progId, const std::shared_ptr<PageContext>& context) {
    std::wstring name = lowerCase(progId);
    if (name == L"adodb.connection" || name == L"adodb.connection.2.8" || name == L"adodb.connection.6.0")
        return makeConnection();
    if (name == L"adodb.recordset" || name == L"adodb.recordset.2.8" || name == L"adodb.recordset.6.0")
        return makeRecordset();
    if (name == L"adodb.command" || name == L"adodb.command.2.8" || name == L"adodb.command.6.0") return makeCommand();
    if (name == L"adodb.stream" || name == L"adodb.stream.2.8" || name == L"adodb.stream.6.0")
        return makeStream(context->siteFolder);
    if (name == L"scriptlet.typelib") return new TypeLib();
    std::wstring id(progId);
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(id.c_str(), &clsid)))
        throw ScriptError{static_cast<HRESULT>(0x800401F3), L"Server object",
                          L"ASP 0177 : 800401f3 Server.CreateObject Failed: Invalid class string '" + id + L"'"};
    IDispatch* object = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                  reinterpret_cast<void**>(&object));
    if (FAILED(hr) || !object)
        throw ScriptError{FAILED(hr) ? hr : E_FAIL, L"Server object",
                          L"ASP 0177 : Server.CreateObject Failed for '" + id + L"'"};
    return object;
}

}  // namespace tabulon::preview::host
