#include "asp_objects.h"
#include "../core/form_fields.h"
#include "base/ascii_text.h"
#include "text.h"

#include <optional>
#include <unordered_map>

namespace tabulon::preview::host {
namespace {

enum : DISPID { idItem = DISPID_VALUE, idCount = 1, idKey = 2, idNewEnum = DISPID_NEWENUM };

// The values of one name in QueryString or Form.
class StringList : public Dispatch {
public:
    explicit StringList(std::vector<std::wstring> values) : values_(std::move(values)) {}

protected:
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Item", idItem}, {L"Count", idCount}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"Request object"; }

    bool call(DISPID id, WORD, const Args& args, VARIANT* result) override {
        if (id == idCount) {
            setLong(result, static_cast<long>(values_.size()));
        } else if (id == idItem) {
            if (args.count() == 0) {
                if (values_.empty()) return VariantClear(result), true;
                std::wstring joined;
                for (std::size_t i = 0; i < values_.size(); ++i) joined += (i ? L", " : L"") + values_[i];
                setText(result, joined);
            } else {
                long index = longOf(args.at(0));
                if (index < 1 || index > static_cast<long>(values_.size()))
                    throw ScriptError{static_cast<HRESULT>(0x80004005), L"Request object",
                                      L"ASP 0105: Index out of range"};
                setText(result, values_[static_cast<std::size_t>(index - 1)]);
            }
        } else if (id == idNewEnum) {
            std::vector<Variant> items(values_.size());
            for (std::size_t i = 0; i < values_.size(); ++i) setText(items[i].get(), values_[i]);
            VariantClear(result);
            V_VT(result) = VT_UNKNOWN;
            V_UNKNOWN(result) = makeEnumerator(std::move(items));
        } else {
            return false;
        }
        return true;
    }

private:
    std::vector<std::wstring> values_;
};

struct Entry {
    std::wstring name;
    std::vector<std::wstring> values;
};

// Request.Cookies("name"): its whole value by default, and its sub-keys ("a=1&b=2").
class RequestCookie : public Dispatch {
public:
    RequestCookie(std::wstring whole, std::vector<Entry> keys) : whole_(std::move(whole)), keys_(std::move(keys)) {}

protected:
    enum : DISPID { idHasKeys = 3 };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {
            {L"Item", idItem}, {L"Count", idCount}, {L"Key", idKey}, {L"HasKeys", idHasKeys}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"Request object"; }

    bool call(DISPID id, WORD, const Args& args, VARIANT* result) override {
        switch (id) {
        case idHasKeys: setBool(result, !keys_.empty()); return true;
        case idCount: setLong(result, static_cast<long>(keys_.size())); return true;
        case idItem:
        case idKey: {
            if (args.count() == 0) return setText(result, whole_), true;
            Variant key = valueOf(args.at(0));
            const Entry* e = nullptr;
            if (V_VT(key.get()) == VT_BSTR) {
                std::wstring name = textOf(*key.get());
                for (const Entry& k : keys_)
                    if (equalNoCase(k.name, name)) e = &k;
            } else {
                long index = longOf(*key.get());
                if (index >= 1 && index <= static_cast<long>(keys_.size()))
                    e = &keys_[static_cast<std::size_t>(index - 1)];
            }
            if (id == idKey)
                setText(result, e ? e->name : L"");
            else
                setText(result, e && !e->values.empty() ? e->values.front() : L"");
            return true;
        }
        case idNewEnum: {
            std::vector<Variant> names(keys_.size());
            for (std::size_t i = 0; i < keys_.size(); ++i) setText(names[i].get(), keys_[i].name);
            VariantClear(result);
            V_VT(result) = VT_UNKNOWN;
            V_UNKNOWN(result) = makeEnumerator(std::move(names));
            return true;
        }
        default: return false;
        }
    }

private:
    std::wstring whole_;
    std::vector<Entry> keys_;
};

std::vector<Entry> group(const NameValues& pairs, unsigned codePage);

// The cookies of a Cookie header, each with its sub-keys read from its raw value.
struct CookieEntries {
    std::vector<Entry> entries;
    std::vector<std::vector<Entry>> keys;  // beside entries
};

CookieEntries readCookies(const std::string& header, unsigned codePage) {
    CookieEntries out;
    out.entries = group(parseCookieHeader(header), codePage);
    out.keys.resize(out.entries.size());
    std::size_t at = 0;
    while (at < header.size()) {
        std::size_t end = header.find(';', at);
        std::string part = header.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? header.size() : end + 1;
        std::size_t eq = part.find('=');
        if (eq == std::string::npos) continue;
        std::string name = part.substr(0, eq), raw = part.substr(eq + 1);
        while (!name.empty() && name.front() == ' ') name.erase(0, 1);
        while (!name.empty() && name.back() == ' ') name.pop_back();
        if (raw.find('=') == std::string::npos) continue;  // a plain value has no keys
        std::wstring wname = widen(name, codePage);
        for (std::size_t i = 0; i < out.entries.size(); ++i)
            if (equalNoCase(out.entries[i].name, wname) && out.keys[i].empty())
                out.keys[i] = group(parseUrlEncoded(raw), codePage);
    }
    return out;
}

// QueryString, Form, Cookies or ServerVariables.
class RequestCollection : public Dispatch {
public:
    RequestCollection(std::vector<Entry> entries, std::wstring whole, bool asLists)
        : entries_(std::move(entries)), whole_(std::move(whole)), asLists_(asLists) {
        indexEntries();
    }
    // Request.Cookies: each item is a cookie object with its sub-keys
    RequestCollection(CookieEntries cookies, std::wstring whole)
        : entries_(std::move(cookies.entries)),
          whole_(std::move(whole)),
          asLists_(false),
          cookies_(true),
          cookieKeys_(std::move(cookies.keys)) {
        indexEntries();
    }

    const Entry* find(std::wstring_view name) const {
        const auto found = index_.find(caseKey(name));
        return found == index_.end() ? nullptr : &entries_[found->second];
    }

    void valueOfEntry(const Entry& e, VARIANT* result) const {
        if (cookies_) {
            std::size_t i = static_cast<std::size_t>(&e - entries_.data());
            setObject(result, nullptr);
            V_DISPATCH(result) = new RequestCookie(e.values.empty() ? L"" : e.values.front(), cookieKeys_[i]);
        } else if (asLists_) {
            setObject(result, nullptr);
            V_DISPATCH(result) = new StringList(e.values);
        } else {
            std::wstring joined;
            for (std::size_t i = 0; i < e.values.size(); ++i) joined += (i ? L", " : L"") + e.values[i];
            setText(result, joined);
        }
    }

protected:
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Item", idItem}, {L"Count", idCount}, {L"Key", idKey}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"Request object"; }

    bool call(DISPID id, WORD, const Args& args, VARIANT* result) override {
        if (id == idCount) {
            setLong(result, static_cast<long>(entries_.size()));
        } else if (id == idItem || id == idKey) {
            if (args.count() == 0) {
                setText(result, whole_);
                return true;
            }
            Variant key = valueOf(args.at(0));
            const Entry* e = nullptr;
            if (V_VT(key.get()) == VT_BSTR) {
                e = find(textOf(*key.get()));
            } else {
                long index = longOf(*key.get());
                if (index < 1 || index > static_cast<long>(entries_.size()))
                    throw ScriptError{static_cast<HRESULT>(0x80004005), L"Request object",
                                      L"ASP 0105: Index out of range"};
                e = &entries_[static_cast<std::size_t>(index - 1)];
            }
            if (id == idKey) {
                setText(result, e ? e->name : L"");
            } else if (e) {
                valueOfEntry(*e, result);
            } else if (cookies_) {
                setObject(result, nullptr);
                V_DISPATCH(result) = new RequestCookie(L"", {});
            } else if (asLists_) {
                // IIS answers an empty list: Count 0, default value Empty
                setObject(result, nullptr);
                V_DISPATCH(result) = new StringList({});
            } else {
                setText(result, L"");
            }
        } else if (id == idNewEnum) {
            std::vector<Variant> keys(entries_.size());
            for (std::size_t i = 0; i < entries_.size(); ++i) setText(keys[i].get(), entries_[i].name);
            VariantClear(result);
            V_VT(result) = VT_UNKNOWN;
            V_UNKNOWN(result) = makeEnumerator(std::move(keys));
        } else {
            return false;
        }
        return true;
    }

private:
    void indexEntries() {
        for (std::size_t i = 0; i < entries_.size(); ++i) index_.emplace(caseKey(entries_[i].name), i);
    }

    std::vector<Entry> entries_;
    std::unordered_map<std::wstring, std::size_t> index_;  // case key -> entry: lookups stay quick
    std::wstring whole_;
    bool asLists_;
    bool cookies_ = false;
    std::vector<std::vector<Entry>> cookieKeys_;
};

// Decoded in the page's code page, then grouped by name (core/form_fields.h).
std::vector<Entry> group(const NameValues& pairs, unsigned codePage) {
    std::vector<std::pair<std::wstring, std::wstring>> decoded;
    decoded.reserve(pairs.size());
    for (const auto& [name, value] : pairs) decoded.emplace_back(widen(name, codePage), widen(value, codePage));
    std::vector<Entry> out;
    for (auto& field : groupFields(std::move(decoded), caseKey))
        out.push_back({std::move(field.name), std::move(field.values)});
    return out;
}

std::string headerVariableName(const std::string& header) {
    std::string out = "HTTP_";
    for (char c : header) out += c == '-' ? '_' : asciiUpper(c);
    return out;
}

std::vector<Entry> serverVariables(const PageContext& c) {
    const HttpRequest& r = c.request;
    NameValues vars;
    std::string scriptName = "/" + c.pagePath;
    std::string host = r.header("Host").value_or("127.0.0.1:" + std::to_string(c.serverPort));
    std::string serverName = host.substr(0, host.rfind(':') == std::string::npos ? host.size() : host.rfind(':'));
    std::string allHttp, allRaw;
    // X-Forwarded-For names the client to the host (the front sets it): not the page's business
    auto hidden = [](const std::string& name) { return headerVariableName(name) == "HTTP_X_FORWARDED_FOR"; };
    for (const auto& [name, value] : r.headers) {
        if (hidden(name)) continue;
        allHttp += headerVariableName(name) + ":" + value + "\r\n";
        allRaw += name + ": " + value + "\r\n";
    }
    // the port the browser asked for (the front's), not the host's own
    std::string port = std::to_string(c.serverPort);
    if (std::size_t colon = host.rfind(':'); colon != std::string::npos && host.find(']', colon) == std::string::npos) {
        std::string given = host.substr(colon + 1);
        if (!given.empty() && given.size() <= 5 && given.find_first_not_of("0123456789") == std::string::npos)
            port = given;
    } else if (r.header("Host")) {
        port = "80";
    }
    std::string physical = narrow(c.siteFolder, 936) + "\\";
    for (char ch : c.pagePath) physical += ch == '/' ? '\\' : ch;
    vars = {{"ALL_HTTP", allHttp},
            {"ALL_RAW", allRaw},
            {"APPL_MD_PATH", "/LM/W3SVC/1/ROOT"},
            {"APPL_PHYSICAL_PATH", narrow(c.siteFolder, 936) + "\\"},
            {"AUTH_TYPE", ""},
            {"AUTH_USER", ""},
            {"CONTENT_LENGTH", std::to_string(r.body.size())},
            {"CONTENT_TYPE", r.header("Content-Type").value_or("")},
            {"GATEWAY_INTERFACE", "CGI/1.1"},
            {"HTTPS", "off"},
            {"INSTANCE_ID", "1"},
            {"LOCAL_ADDR", "127.0.0.1"},
            {"LOGON_USER", ""},
            {"PATH_INFO", scriptName},
            {"PATH_TRANSLATED", physical},
            {"QUERY_STRING", r.query},
            {"REMOTE_ADDR", c.remoteAddress},
            {"REMOTE_HOST", c.remoteAddress},
            {"REMOTE_USER", ""},
            {"REQUEST_METHOD", r.method},
            {"SCRIPT_NAME", scriptName},
            {"SERVER_NAME", serverName.empty() ? "127.0.0.1" : serverName},
            {"SERVER_PORT", port},
            {"SERVER_PORT_SECURE", "0"},
            {"SERVER_PROTOCOL", r.version},
            {"SERVER_SOFTWARE", "Microsoft-IIS/10.0"},
            {"URL", scriptName}};
    for (const auto& [name, value] : r.headers) {
        std::string var = headerVariableName(name);
        if (var == "HTTP_CONTENT_LENGTH" || var == "HTTP_CONTENT_TYPE" || hidden(name)) continue;
        vars.emplace_back(var, value);
    }
    return group(vars, c.codePage);
}

class Request : public Dispatch {
public:
    explicit Request(std::shared_ptr<PageContext> context) : context_(std::move(context)) {
        const HttpRequest& r = context_->request;
        unsigned cp = context_->codePage;
        queryString_ = Ref<RequestCollection>(
            new RequestCollection(group(parseUrlEncoded(r.query), cp), widen(r.query, cp), true));
        std::string contentType = r.header("Content-Type").value_or("");
        bool urlEncodedForm =
            r.method == "POST" &&
            (contentType.empty() ||
             lowerCase(widen(contentType, 1252)).find(L"application/x-www-form-urlencoded") != std::wstring::npos);
        form_ = Ref<RequestCollection>(new RequestCollection(
            urlEncodedForm ? group(parseUrlEncoded(r.body), cp) : std::vector<Entry>{}, widen(r.body, cp), true));
        std::string cookieHeader = r.header("Cookie").value_or("");
        cookies_ =
            Ref<RequestCollection>(new RequestCollection(readCookies(cookieHeader, cp), widen(cookieHeader, cp)));
        serverVariables_ = Ref<RequestCollection>(new RequestCollection(serverVariables(*context_), L"", false));
    }

protected:
    enum : DISPID {
        idQueryString = 1,
        idForm,
        idCookies,
        idServerVariables,
        idTotalBytes,
        idBinaryRead,
        idClientCertificate
    };

    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Item", DISPID_VALUE},
                                                 {L"QueryString", idQueryString},
                                                 {L"Form", idForm},
                                                 {L"Cookies", idCookies},
                                                 {L"ServerVariables", idServerVariables},
                                                 {L"TotalBytes", idTotalBytes},
                                                 {L"BinaryRead", idBinaryRead},
                                                 {L"ClientCertificate", idClientCertificate}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"Request object"; }
    std::wstring typeName() const override { return L"IRequest"; }

    bool call(DISPID id, WORD flags, const Args& args, VARIANT* result) override {
        RequestCollection* collection = nullptr;
        switch (id) {
        case idQueryString: collection = queryString_.get(); break;
        case idForm: collection = form_.get(); break;
        case idCookies: collection = cookies_.get(); break;
        case idServerVariables: collection = serverVariables_.get(); break;
        case idClientCertificate: collection = nullptr; break;
        case idTotalBytes: setLong(result, static_cast<long>(context_->request.body.size())); return true;
        case idBinaryRead: return binaryRead(args, result);
        case DISPID_VALUE: return item(args, result);
        default: return false;
        }
        if (id == idClientCertificate) {
            if (args.count() == 0) {
                static RequestCollection* empty = new RequestCollection({}, L"", false);
                setObject(result, empty);
            } else {
                setText(result, L"");
            }
            return true;
        }
        if (args.count() == 0) {
            setObject(result, collection);
            return true;
        }
        forwardCall(collection, DISPID_VALUE, flags, args, result);
        return true;
    }

private:
    // Request("x"): QueryString, Form, Cookies, ServerVariables in that order.
    bool item(const Args& args, VARIANT* result) {
        if (args.count() == 0) {
            setObject(result, this);
            return true;
        }
        Variant key = valueOf(args.at(0));
        std::wstring name = textOf(*key.get());
        for (RequestCollection* c : {queryString_.get(), form_.get(), cookies_.get(), serverVariables_.get()}) {
            if (const Entry* e = c->find(name)) {
                c->valueOfEntry(*e, result);
                return true;
            }
        }
        VariantClear(result);
        return true;
    }

    bool binaryRead(const Args& args, VARIANT* result) {
        const std::string& body = context_->request.body;
        std::size_t n = args.count() ? static_cast<std::size_t>(longOf(args.at(0))) : body.size();
        if (n > body.size()) n = body.size();
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(n));
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        memcpy(data, body.data(), n);
        SafeArrayUnaccessData(array);
        VariantClear(result);
        V_VT(result) = VT_ARRAY | VT_UI1;
        V_ARRAY(result) = array;
        return true;
    }

    std::shared_ptr<PageContext> context_;
    Ref<RequestCollection> queryString_, form_, cookies_, serverVariables_;
};

}  // namespace

IDispatch* makeRequest(std::shared_ptr<PageContext> context) { return new Request(std::move(context)); }

}  // namespace tabulon::preview::host
