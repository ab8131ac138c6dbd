#pragma once
// One VBScript engine run through the Active Scripting interfaces, the way IIS runs a page:
// create the engine, give it a site that answers for the named items, start it, parse.
#include "dispatch.h"

#include <activscp.h>

#include <optional>
#include <string>
#include <vector>

namespace tabulon::preview::host {

// What the engine reported through IActiveScriptSite::OnScriptError.
struct ScriptFailure {
    HRESULT code = S_OK;
    std::wstring source;
    std::wstring description;
    ULONG line = 0;  // 0-based line of the parsed text
    LONG column = 0;
};

struct NamedItem {
    std::wstring name;
    IDispatch* object;  // the engine's site keeps a reference
    DWORD flags;        // SCRIPTITEM_*
};

class ScriptEngine {
public:
    explicit ScriptEngine(const std::vector<NamedItem>& items);
    ~ScriptEngine();
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    // Parses and runs `code`; the failure the engine reported, if any.
    std::optional<ScriptFailure> run(const std::wstring& code);
    // The failure reported so far, forgotten (code run by Execute under On Error Resume Next
    // reports its errors to the page, not as the page's end).
    std::optional<ScriptFailure> takeFailure();
    IActiveScript* script() const { return script_; }
    IActiveScriptParse* parse() const { return parse_; }

private:
    class Site;
    Site* site_ = nullptr;
    IActiveScript* script_ = nullptr;
    IActiveScriptParse* parse_ = nullptr;
};

// The engine's CLSID ("VBScript"), looked up once.
const CLSID& vbscriptClass();

}  // namespace tabulon::preview::host
