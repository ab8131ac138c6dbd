#pragma once
// Running translated scripts with one request's ASP objects: the page itself, the pages it
// runs with Server.Execute / Server.Transfer, and global.asa's events.
#include "../core/page_translator.h"
#include "page_context.h"
#include "script_engine.h"

#include <memory>
#include <optional>
#include <set>
#include <string>

namespace tabulon::preview::host {

// The intrinsic objects of one request, shared by every script it runs.
class PageObjects {
public:
    PageObjects(std::shared_ptr<PageContext> context, std::set<std::string> rewritten);

    // Rewrites (constructs, replaced built-ins) and runs a translated script.
    std::optional<ScriptFailure> run(const std::string& script);

    PageContext& context() { return *context_; }

private:
    std::shared_ptr<PageContext> context_;
    std::set<std::string> rewritten_;
    Ref<IDispatch> intrinsics_;
};

// The response for a script that failed: the error page with the file and line.
std::string scriptErrorResponse(const ScriptFailure& failure, const TranslatedPage& page, const std::string& urlPath,
                                unsigned codePage);

// The response for a page that could not be translated (include not found, …).
std::string pageErrorResponse(const PageError& error, const std::string& urlPath);

// global.asa's Application_OnStart (once per process) and Session_OnStart (for a new
// session); the error response when one failed.
std::optional<std::string> runStartEvents(PageObjects& objects, const PageSources& sources);
// Session_OnEnd for a session that was abandoned (its output is dropped, as IIS has no
// Response then).
void runSessionEnd(PageObjects& objects, const PageSources& sources);

}  // namespace tabulon::preview::host
