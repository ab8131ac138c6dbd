#include "script_run.h"

#include "../core/builtin_rewriter.h"
#include "../core/comparison_rewriter.h"
#include "../core/compile_diagnosis.h"
#include "../core/construct_rewriter.h"
#include "../core/runtime_diagnosis.h"
#include "asp_objects.h"
#include "error_page.h"
#include "error_texts.h"
#include "host_functions.h"
#include "text.h"
#include "value_functions.h"

#include <atomic>
#include <cstdio>
#include <unordered_map>

namespace tabulon::preview::host {
namespace {

bool isCompileFailure(const ScriptFailure& f) {
    return isCompileError(f.code) || f.source.find(L"compil") != std::wstring::npos ||
           f.source.find(L"\u7F16\u8BD1") != std::wstring::npos;  // "编译"
}

// The rewritten text of a script: the same pages come again and again, so it is kept
// (a few megabytes at most, then the store starts afresh).
// Pages on other threads share the store: it is read and written under a lock of its own,
// and a script is rewritten outside it.
std::string preparedScript(const std::string& script, const std::set<std::string>& rewritten) {
    static SRWLOCK lock = SRWLOCK_INIT;
    static std::unordered_map<std::string, std::string> kept;
    static std::size_t keptBytes = 0;
    constexpr std::size_t limit = 4 << 20;
    AcquireSRWLockShared(&lock);
    auto it = kept.find(script);
    std::optional<std::string> found;
    if (it != kept.end()) found = it->second;
    ReleaseSRWLockShared(&lock);
    if (found) return std::move(*found);
    std::string prepared =
        rewriteBuiltins(rewriteComparisons(rewriteConstructs(script, "Tabulon_"), "Tabulon_"), rewritten, "Tabulon_");
    AcquireSRWLockExclusive(&lock);
    struct Release {
        ~Release() { ReleaseSRWLockExclusive(&lock); }
    } release;
    if (kept.count(script)) return prepared;
    if (keptBytes + script.size() + prepared.size() > limit) {
        kept.clear();
        keptBytes = 0;
    }
    keptBytes += script.size() + prepared.size();
    kept.emplace(script, prepared);
    return prepared;
}

bool unexplained(const ScriptFailure& f) {
    return f.code == static_cast<long>(0x80004005) && f.description.empty() &&
           (f.source.empty() || f.source.find(L"VBScript") != std::wstring::npos);
}

// Windows names the conversion that failed: "类型不匹配: 'CInt'". The engine here does not,
// so the line is read for the one conversion function it calls.
std::wstring failedConversion(const std::wstring& line) {
    static const wchar_t* names[] = {L"CInt",  L"CLng",  L"CDbl",  L"CSng", L"CCur",
                                     L"CDate", L"CBool", L"CByte", L"CStr"};
    std::wstring low = lowerCase(line);
    const wchar_t* found = nullptr;
    for (const wchar_t* name : names) {
        std::wstring n = lowerCase(name);
        for (std::size_t at = low.find(n); at != std::wstring::npos; at = low.find(n, at + 1)) {
            bool wordStart = at == 0 || !(iswalnum(low[at - 1]) || low[at - 1] == L'_' || low[at - 1] == L'.');
            std::size_t after = at + n.size();
            while (after < low.size() && low[after] == L' ') ++after;
            if (!wordStart || after >= low.size() || low[after] != L'(') continue;
            if (found && found != name) return {};
            found = name;
        }
    }
    return found ? std::wstring(L": '") + found + L"'" : std::wstring();
}

std::string globalAsaScript(const PageSources& sources, bool& present) {
    present = false;
    std::optional<SiteFile> file = sources.read("global.asa");
    if (!file) return {};
    present = true;
    TranslatedPage page = translatePage("global.asa", sources);
    // text outside the script blocks is not output: drop the writes of literal blocks
    std::string out;
    std::size_t at = 0;
    while (at < page.script.size()) {
        std::size_t end = page.script.find("\r\n", at);
        std::string line = page.script.substr(at, end - at);
        if (line.rfind("Response.WriteBlock ", 0) != 0) out += line;
        out += "\r\n";
        at = end == std::string::npos ? page.script.size() : end + 2;
    }
    return out;
}

bool definesSub(const std::string& script, const std::string& name) {
    std::string low;
    for (char c : script) low += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string wanted = "sub " + name;
    for (std::size_t at = low.find(wanted); at != std::string::npos; at = low.find(wanted, at + 1)) {
        std::size_t after = at + wanted.size();
        if (after >= low.size() || !(std::isalnum(static_cast<unsigned char>(low[after])) || low[after] == '_'))
            return true;
    }
    return false;
}

std::optional<std::string> runEvent(PageObjects& objects, const PageSources& sources, const std::string& name) {
    bool present = false;
    std::string script;
    try {
        script = globalAsaScript(sources, present);
    } catch (const PageError& e) {
        return pageErrorResponse(e, "/global.asa");
    }
    if (!present || !definesSub(script, name)) return std::nullopt;
    std::optional<ScriptFailure> failure = objects.run(script + name + "\r\n");
    if (failure && failure->code != responseEndCode) {
        TranslatedPage page = translatePage("global.asa", sources);
        return scriptErrorResponse(*failure, page, "/global.asa", objects.context().codePage);
    }
    return std::nullopt;
}

}  // namespace

PageObjects::PageObjects(std::shared_ptr<PageContext> context, std::set<std::string> rewritten)
    : context_(std::move(context)), rewritten_(std::move(rewritten)) {
    Ref<IDispatch> request(makeRequest(context_));
    Ref<IDispatch> response(makeResponse(context_));
    Ref<IDispatch> server(makeServer(context_));
    Ref<IDispatch> session(makeSession(context_));
    Ref<IDispatch> application(makeApplication());
    intrinsics_ =
        Ref<IDispatch>(makeIntrinsics(request.get(), response.get(), server.get(), session.get(), application.get()));
}

std::optional<ScriptFailure> PageObjects::run(const std::string& script) {
    auto access = std::make_shared<ScriptAccess>();
    access->rewritten = rewritten_;
    Ref<IDispatch> functions(makeHostFunctions(context_, access));
    std::string prepared = preparedScript(script, rewritten_);
    ScriptEngine engine({{L"TabulonAsp", intrinsics_.get(), SCRIPTITEM_ISVISIBLE | SCRIPTITEM_GLOBALMEMBERS},
                         {hostFunctionsItem, functions.get(), SCRIPTITEM_ISVISIBLE}});
    access->engine = &engine;
    std::optional<ScriptFailure> failure = engine.run(fromUtf8(prepared));
    access->engine = nullptr;
    return failure;
}

std::string scriptErrorResponse(const ScriptFailure& failure, const TranslatedPage& page, const std::string& urlPath,
                                unsigned codePage) {
    long scriptLine = static_cast<long>(failure.line);
    ErrorReport r;
    r.code = failure.code;
    r.description = windowsErrorDescription(failure.code, failure.description);
    if (isCompileFailure(failure)) {
        r.category = L"Microsoft VBScript 编译器错误";
        if (!isCompileError(failure.code)) {
            // the engine named no cause: find it
            std::optional<CompileDiagnosis> d = diagnoseCompileError(page.script);
            int number = d ? d->number : 1002;
            if (d && d->line >= 0) scriptLine = d->line;
            r.code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
            r.description = windowsErrorText(number);
        }
    } else if (unexplained(failure) || windowsErrorNumber(failure.code) == 438) {
        // the engine failed without saying why, or blamed a member for an unknown name: read
        // the line for the cause Windows would name
        r.category = L"Microsoft VBScript 运行时错误";
        std::optional<RuntimeDiagnosis> d = diagnoseRuntimeError(page.script, scriptLine);
        if (d && (unexplained(failure) || d->number == 500 || d->number == 13)) {
            r.code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, d->number);
            r.description = std::wstring(windowsErrorText(d->number)) + L": '" + fromUtf8(d->name) + L"'";
            if (d->line >= 0) scriptLine = d->line;
        }
    } else if (!failure.source.empty() && failure.source.find(L"VBScript") == std::wstring::npos) {
        r.category = failure.source;  // Err.Raise n, "MySource"; ADO and ASP objects
    } else {
        r.category = L"Microsoft VBScript 运行时错误";
    }
    SourcePlace place = page.placeOf(scriptLine);
    r.urlPath = urlPath;
    r.file = page.files.empty() ? std::string() : page.files[static_cast<std::size_t>(place.file)];
    r.line = place.line;
    r.lineText = fromUtf8(page.lineText(place.file, place.line));
    if (windowsErrorNumber(r.code) == 13 && r.description == windowsErrorText(13))
        r.description += failedConversion(r.lineText);
    return errorResponse(r, codePage);
}

std::string pageErrorResponse(const PageError& e, const std::string& urlPath) {
    ErrorReport r;
    r.code = static_cast<long>(0x80004005);
    r.category = L"Active Server Pages";
    r.aspCode = fromUtf8(e.code());
    r.description = fromUtf8(e.what());
    r.urlPath = urlPath;
    r.file = e.file();
    r.line = e.line();
    return errorResponse(r, 936);
}

std::optional<std::string> runStartEvents(PageObjects& objects, const PageSources& sources) {
    // Application_OnStart runs once, before any page: pages arriving meanwhile on other
    // connections wait for it; after a failure the next request tries again, as on IIS.
    static SRWLOCK startLock = SRWLOCK_INIT;
    static std::atomic<bool> applicationStarted{false};
    if (!applicationStarted) {
        AcquireSRWLockExclusive(&startLock);
        std::optional<std::string> failed;
        if (!applicationStarted) {
            failed = runEvent(objects, sources, "application_onstart");
            if (!failed) applicationStarted = true;
        }
        ReleaseSRWLockExclusive(&startLock);
        if (failed) return failed;
    }
    if (objects.context().sessionIsNew) return runEvent(objects, sources, "session_onstart");
    return std::nullopt;
}

void runSessionEnd(PageObjects& objects, const PageSources& sources) {
    PageContext& c = objects.context();
    std::string body = c.body;
    bool ended = c.ended;
    c.ended = false;
    stopScriptCalls(false);
    if (runEvent(objects, sources, "session_onend"))
        std::fprintf(stderr, "asphost: Session_OnEnd in global.asa failed\n");
    c.body = std::move(body);
    c.ended = ended;
}

}  // namespace tabulon::preview::host
