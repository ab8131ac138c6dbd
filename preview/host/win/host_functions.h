#pragma once
// Replacements for VBScript built-ins the engine lacks or gets wrong (as a Windows server
// has them), reached as methods of the "Tabulon_" item after the page is rewritten. Which
// built-ins need replacing is found by probing the engine once at start-up.
#include "page_context.h"
#include "script_engine.h"

#include <activscp.h>

#include <memory>
#include <set>
#include <string>

namespace tabulon::preview::host {

constexpr const wchar_t* hostFunctionsItem = L"Tabulon_";

// What the functions that run code (Eval, Execute, GetRef) need from the running page.
struct ScriptAccess {
    ScriptEngine* engine = nullptr;   // while the page runs
    std::set<std::string> rewritten;  // so code run by Execute is rewritten the same way
};

IDispatch* makeHostFunctions(std::shared_ptr<PageContext> context, std::shared_ptr<ScriptAccess> access);

// The lower-case names of built-ins that failed their probe, plus those the host always
// provides (CreateObject, so that ADODB objects are the host's).
std::set<std::string> probeBuiltins();

}  // namespace tabulon::preview::host
