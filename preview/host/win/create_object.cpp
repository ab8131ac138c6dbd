#include "ado_objects.h"
#include "asp_objects.h"
#include "text.h"

namespace tabulon::preview::host {

IDispatch* createObject(std::wstring_view progId, const std::shared_ptr<PageContext>& context) {
    std::wstring name = lowerCase(progId);
    if (name == L"adodb.connection" || name == L"adodb.connection.2.8" || name == L"adodb.connection.6.0")
        return makeConnection();
    if (name == L"adodb.recordset" || name == L"adodb.recordset.2.8" || name == L"adodb.recordset.6.0")
        return makeRecordset();
    if (name == L"adodb.command" || name == L"adodb.command.2.8" || name == L"adodb.command.6.0") return makeCommand();
    if (name == L"adodb.stream" || name == L"adodb.stream.2.8" || name == L"adodb.stream.6.0")
        return makeStream(context->siteFolder);
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
