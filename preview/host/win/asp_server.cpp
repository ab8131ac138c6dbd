#include "../core/page_translator.h"
#include "asp_objects.h"
#include "text.h"

namespace tabulon::preview::host {
namespace {

ScriptError serverError(std::wstring description) {
    return {static_cast<HRESULT>(0x80004005), L"Server object", std::move(description)};
}

std::wstring htmlEncode(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t ch : text) {
        switch (ch) {
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        case L'&': out += L"&amp;"; break;
        case L'"': out += L"&quot;"; break;
        default: out += ch;
        }
    }
    return out;
}

class Server : public Dispatch {
public:
    explicit Server(std::shared_ptr<PageContext> context) : context_(std::move(context)) {}

protected:
    enum : DISPID {
        idCreateObject = 1,
        idMapPath,
        idURLEncode,
        idHTMLEncode,
        idURLPathEncode,
        idScriptTimeout,
        idExecute,
        idTransfer,
        idGetLastError
    };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"CreateObject", idCreateObject},
                                                 {L"MapPath", idMapPath},
                                                 {L"URLEncode", idURLEncode},
                                                 {L"HTMLEncode", idHTMLEncode},
                                                 {L"URLPathEncode", idURLPathEncode},
                                                 {L"ScriptTimeout", idScriptTimeout},
                                                 {L"Execute", idExecute},
                                                 {L"Transfer", idTransfer},
                                                 {L"GetLastError", idGetLastError}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"Server object"; }
    std::wstring typeName() const override { return L"IServer"; }

    bool call(DISPID id, WORD, const Args& args, VARIANT* result) override {
        switch (id) {
        case idCreateObject: {
            IDispatch* object = createObject(textOf(args.at(0)), context_);
            VariantClear(result);
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = object;
            return true;
        }
        case idMapPath: setText(result, mapPath(textOf(args.at(0)))); return true;
        case idURLEncode:
            setText(result, widen(urlEncode(narrow(textOf(args.at(0)), context_->codePage)), 1252));
            return true;
        case idURLPathEncode: {
            std::string bytes = narrow(textOf(args.at(0)), context_->codePage);
            std::string out;
            for (unsigned char ch : bytes) {
                if (ch > 0x20 && ch < 0x7F) {
                    out += static_cast<char>(ch);
                } else {
                    char hex[4];
                    wsprintfA(hex, "%%%02X", ch);
                    out += hex;
                }
            }
            setText(result, widen(out, 1252));
            return true;
        }
        case idHTMLEncode: setText(result, htmlEncode(textOf(args.at(0)))); return true;
        case idScriptTimeout:
            if (args.assigned()) {
                long seconds = longOf(*args.assigned());
                if (seconds < 1) throw serverError(L"ASP 0149: Invalid ScriptTimeout value");
                context_->scriptTimeout = seconds;
            } else {
                setLong(result, context_->scriptTimeout);
            }
            return true;
        case idExecute:
        case idTransfer:
            if (args.count() < 1) throw vbError(450, L"Wrong number of arguments or invalid property assignment");
            if (!context_->execute) throw serverError(L"ASP 0235: Server.Execute is not available here");
            context_->execute(textOf(args.at(0)), id == idTransfer);
            return true;
        case idGetLastError: VariantClear(result); return true;
        default: return false;
        }
    }

private:
    // Relative to the requested page's folder, or to the site root when it starts with '/'.
    std::wstring mapPath(const std::wstring& path) {
        std::string utf8 = toUtf8(path);
        std::string from = context_->pagePath;
        if (utf8.empty() || utf8 == ".") {
            std::size_t slash = from.rfind('/');
            std::wstring folder = context_->siteFolder;
            if (slash != std::string::npos) folder += L"\\" + fromUtf8(from.substr(0, slash));
            for (wchar_t& ch : folder)
                if (ch == L'/') ch = L'\\';
            return folder;
        }
        if (utf8 == "/" || utf8 == "\\") return context_->siteFolder;
        if (utf8.find(':') != std::string::npos)
            throw serverError(
                L"ASP 0172: Invalid Path. The Path parameter for the MapPath method must be a virtual path.");
        std::optional<std::string> resolved = resolveSitePath(from, utf8, false);
        if (!resolved)
            throw serverError(
                L"ASP 0175: Disallowed Path Characters. The '..' characters are not allowed to leave the site in the "
                L"Path parameter for the MapPath method.");
        std::wstring out = context_->siteFolder + L"\\" + fromUtf8(*resolved);
        for (wchar_t& ch : out)
            if (ch == L'/') ch = L'\\';
        if (!utf8.empty() && (utf8.back() == '/' || utf8.back() == '\\')) out += L'\\';
        return out;
    }

    std::shared_ptr<PageContext> context_;
};

// Session.Contents, Application.Contents. Application's values are shared by the pages
// running at once: each use holds the Application's lock.
class ContentsCollection : public Dispatch {
public:
    ContentsCollection(ValueStore* store, CRITICAL_SECTION* shared = nullptr) : store_(store), shared_(shared) {}

protected:
    enum : DISPID { idCount = 1, idKey, idRemove, idRemoveAll };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Item", DISPID_VALUE},
                                                 {L"Count", idCount},
                                                 {L"Key", idKey},
                                                 {L"Remove", idRemove},
                                                 {L"RemoveAll", idRemoveAll}};
        return list;
    }

    bool call(DISPID id, WORD flags, const Args& args, VARIANT* result) override {
        if (!shared_) return use(id, flags, args, result);
        struct Held {
            explicit Held(CRITICAL_SECTION* lock) : lock_(lock) { EnterCriticalSection(lock_); }
            ~Held() { LeaveCriticalSection(lock_); }
            CRITICAL_SECTION* lock_;
        } held(shared_);
        return use(id, flags, args, result);
    }

    bool use(DISPID id, WORD flags, const Args& args, VARIANT* result) {
        switch (id) {
        case DISPID_VALUE: {
            if (args.count() == 0) {
                setObject(result, this);
                return true;
            }
            Variant key = valueOf(args.at(0));
            if (V_VT(key.get()) != VT_BSTR) {
                long index = longOf(*key.get());
                if (index < 1 || index > static_cast<long>(store_->size())) throw vbError(9, L"Subscript out of range");
                if (args.assigned()) {
                    store_->set(store_->nameAt(static_cast<std::size_t>(index - 1)),
                                assignedValue(flags, *args.assigned()));
                } else {
                    VariantCopy(result,
                                const_cast<VARIANT*>(store_->valueAt(static_cast<std::size_t>(index - 1)).get()));
                }
                return true;
            }
            std::wstring name = textOf(*key.get());
            if (args.assigned()) {
                store_->set(name, assignedValue(flags, *args.assigned()));
            } else {
                Variant value = store_->get(name);
                VariantCopy(result, value.get());
            }
            return true;
        }
        case idCount: setLong(result, static_cast<long>(store_->size())); return true;
        case idKey: {
            long index = longOf(args.at(0));
            if (index < 1 || index > static_cast<long>(store_->size())) throw vbError(9, L"Subscript out of range");
            setText(result, store_->nameAt(static_cast<std::size_t>(index - 1)));
            return true;
        }
        case idRemove: {
            Variant key = valueOf(args.at(0));
            if (V_VT(key.get()) == VT_BSTR) {
                store_->remove(textOf(*key.get()));
            } else {
                long index = longOf(*key.get());
                if (index >= 1 && index <= static_cast<long>(store_->size()))
                    store_->remove(store_->nameAt(static_cast<std::size_t>(index - 1)));
            }
            return true;
        }
        case idRemoveAll: store_->clear(); return true;
        case DISPID_NEWENUM: {
            std::vector<Variant> names(store_->size());
            for (std::size_t i = 0; i < names.size(); ++i) setText(names[i].get(), store_->nameAt(i));
            VariantClear(result);
            V_VT(result) = VT_UNKNOWN;
            V_UNKNOWN(result) = makeEnumerator(std::move(names));
            return true;
        }
        default: return false;
        }
    }

    // Let stores an object's default value; Set keeps the object.
    static Variant assignedValue(WORD flags, const VARIANT& value) {
        if (flags & DISPATCH_PROPERTYPUTREF) {
            Variant v;
            VariantCopyInd(v.get(), const_cast<VARIANT*>(&value));
            return v;
        }
        return valueOf(value);
    }

    ValueStore* store_;
    CRITICAL_SECTION* shared_;
};

class Session : public Dispatch {
public:
    explicit Session(std::shared_ptr<PageContext> context)
        : context_(std::move(context)), contents_(new ContentsCollection(&context_->session->values)) {}

protected:
    enum : DISPID { idContents = 1, idSessionID, idTimeout, idAbandon, idCodePage, idLCID, idStaticObjects, idValue };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Item", DISPID_VALUE},     {L"Contents", idContents},
                                                 {L"SessionID", idSessionID}, {L"Timeout", idTimeout},
                                                 {L"Abandon", idAbandon},     {L"CodePage", idCodePage},
                                                 {L"LCID", idLCID},           {L"StaticObjects", idStaticObjects},
                                                 {L"Value", idValue}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"Session object"; }
    std::wstring typeName() const override { return L"ISessionObject"; }

    bool call(DISPID id, WORD flags, const Args& args, VARIANT* result) override {
        SessionData& s = *context_->session;
        switch (id) {
        case DISPID_VALUE:
        case idValue:
            if (args.count() == 0 && !args.assigned()) {
                setObject(result, this);
                return true;
            }
            forwardCall(contents_.get(), DISPID_VALUE, flags, args, result);
            return true;
        case idContents:
            if (args.count() == 0 && !args.assigned())
                setObject(result, contents_.get());
            else
                forwardCall(contents_.get(), DISPID_VALUE, flags, args, result);
            return true;
        case idStaticObjects: setObject(result, contents_.get()); return true;
        case idSessionID: setLong(result, s.id); return true;
        case idTimeout:
            if (args.assigned()) {
                long minutes = longOf(*args.assigned());
                if (minutes < 1)
                    throw ScriptError{static_cast<HRESULT>(0x80004005), L"Session object",
                                      L"ASP 0161: Timeout must be at least one minute"};
                s.timeoutMinutes = minutes;
            } else {
                setLong(result, s.timeoutMinutes);
            }
            return true;
        case idAbandon: s.abandoned = true; return true;
        case idCodePage:
            if (args.assigned())
                context_->codePage = static_cast<unsigned>(longOf(*args.assigned()));
            else
                setLong(result, static_cast<long>(context_->codePage));
            return true;
        case idLCID:
            if (args.assigned()) {
                long lcid = longOf(*args.assigned());
                if (lcid == 0) lcid = hostLcid;
                if (!IsValidLocale(static_cast<LCID>(lcid), LCID_SUPPORTED))
                    throw ScriptError{static_cast<HRESULT>(0x80004005), L"Session object", L"ASP 0219: Invalid LCID"};
                context_->lcid = lcid;
                s.lcid = lcid;
                setPageLcid(static_cast<LCID>(lcid));
            } else
                setLong(result, context_->lcid);
            return true;
        default: return false;
        }
    }

private:
    std::shared_ptr<PageContext> context_;
    Ref<ContentsCollection> contents_;
};

class Application : public Dispatch {
public:
    Application() : contents_(new ContentsCollection(&applicationValues(), &applicationLock())) {}
    // A page that ends without Unlock lets the others go on, as on IIS.
    ~Application() override {
        for (; held_ > 0; --held_) LeaveCriticalSection(&applicationLock());
    }

protected:
    enum : DISPID { idContents = 1, idLock, idUnlock, idStaticObjects, idValue };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {
            {L"Item", DISPID_VALUE}, {L"Contents", idContents},           {L"Lock", idLock},
            {L"Unlock", idUnlock},   {L"StaticObjects", idStaticObjects}, {L"Value", idValue}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"Application object"; }
    std::wstring typeName() const override { return L"IApplicationObject"; }

    bool call(DISPID id, WORD flags, const Args& args, VARIANT* result) override {
        switch (id) {
        case DISPID_VALUE:
        case idValue:
        case idContents:
            if (args.count() == 0 && !args.assigned())
                setObject(result, id == idContents ? static_cast<IDispatch*>(contents_.get()) : this);
            else
                forwardCall(contents_.get(), DISPID_VALUE, flags, args, result);
            return true;
        case idStaticObjects: setObject(result, contents_.get()); return true;
        case idLock:
            EnterCriticalSection(&applicationLock());
            ++held_;
            return true;
        case idUnlock:
            if (held_ > 0) {
                --held_;
                LeaveCriticalSection(&applicationLock());
            }
            return true;
        default: return false;
        }
    }

private:
    Ref<ContentsCollection> contents_;
    int held_ = 0;  // Lock calls not yet matched by Unlock
};

class Intrinsics : public Dispatch {
public:
    Intrinsics(IDispatch* request, IDispatch* response, IDispatch* server, IDispatch* session, IDispatch* application)
        : objects_{request, response, server, session, application} {
        for (IDispatch* o : objects_) o->AddRef();
    }
    ~Intrinsics() override {
        for (IDispatch* o : objects_) o->Release();
    }

protected:
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {
            {L"Request", 1}, {L"Response", 2}, {L"Server", 3}, {L"Session", 4}, {L"Application", 5}};
        return list;
    }

    bool call(DISPID id, WORD flags, const Args& args, VARIANT* result) override {
        if (id < 1 || id > 5) return false;
        IDispatch* object = objects_[static_cast<std::size_t>(id - 1)];
        if (args.count() == 0 && !args.assigned()) {
            setObject(result, object);
        } else {
            forwardCall(object, DISPID_VALUE, flags, args, result);
        }
        return true;
    }

private:
    std::vector<IDispatch*> objects_;
};

}  // namespace

IDispatch* makeServer(std::shared_ptr<PageContext> context) { return new Server(std::move(context)); }
IDispatch* makeSession(std::shared_ptr<PageContext> context) { return new Session(std::move(context)); }
IDispatch* makeApplication() { return new Application(); }
IDispatch* makeIntrinsics(IDispatch* request, IDispatch* response, IDispatch* server, IDispatch* session,
                          IDispatch* application) {
    return new Intrinsics(request, response, server, session, application);
}

}  // namespace tabulon::preview::host
