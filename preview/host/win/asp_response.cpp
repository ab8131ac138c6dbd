#include "asp_objects.h"
#include "text.h"

namespace tabulon::preview::host {
namespace {

ScriptError responseError(std::wstring description) {
    return {static_cast<HRESULT>(0x80004005), L"Response object", std::move(description)};
}

// Response.Cookies("name"): its value, sub-keys, Expires, Path, Domain, Secure.
class CookieWriter : public Dispatch {
public:
    CookieWriter(std::shared_ptr<PageContext> context, std::wstring name)
        : context_(std::move(context)), name_(std::move(name)) {}

protected:
    enum : DISPID { idExpires = 1, idPath, idDomain, idSecure, idHasKeys };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Item", DISPID_VALUE}, {L"Expires", idExpires},
                                                 {L"Path", idPath},       {L"Domain", idDomain},
                                                 {L"Secure", idSecure},   {L"HasKeys", idHasKeys}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"Response object"; }

    bool call(DISPID id, WORD flags, const Args& args, VARIANT* result) override {
        ResponseCookie& c = context_->cookie(name_);
        bool put = args.assigned() != nullptr;
        switch (id) {
        case DISPID_VALUE:
            if (!put) {
                setText(result, c.value);
            } else if (args.count() == 0) {
                c.value = textOf(*args.assigned());
                c.keys.clear();
            } else {
                std::wstring key = textOf(args.at(0));
                c.value.clear();
                bool found = false;
                for (auto& [k, v] : c.keys)
                    if (equalNoCase(k, key)) v = textOf(*args.assigned()), found = true;
                if (!found) c.keys.emplace_back(key, textOf(*args.assigned()));
            }
            return true;
        case idExpires: {
            if (!put) throw responseError(L"Expires is write-only");
            Variant date;
            Variant value = valueOf(*args.assigned());
            if (FAILED(VariantChangeTypeEx(date.get(), value.get(), hostLcid, 0, VT_DATE)))
                throw vbError(13, L"Type mismatch");
            c.expires = V_DATE(date.get());
            return true;
        }
        case idPath:
            if (put)
                c.path = textOf(*args.assigned());
            else
                setText(result, c.path);
            return true;
        case idDomain:
            if (put)
                c.domain = textOf(*args.assigned());
            else
                setText(result, c.domain);
            return true;
        case idSecure:
            if (put)
                c.secure = boolOf(*args.assigned());
            else
                setBool(result, c.secure);
            return true;
        case idHasKeys: setBool(result, !c.keys.empty()); return true;
        default: (void)flags; return false;
        }
    }

private:
    std::shared_ptr<PageContext> context_;
    std::wstring name_;
};

class CookiesCollection : public Dispatch {
public:
    explicit CookiesCollection(std::shared_ptr<PageContext> context) : context_(std::move(context)) {}

protected:
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Item", DISPID_VALUE}, {L"Count", 1}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"Response object"; }

    bool call(DISPID id, WORD, const Args& args, VARIANT* result) override {
        if (id == 1) {
            setLong(result, static_cast<long>(context_->cookies.size()));
            return true;
        }
        if (id == DISPID_NEWENUM) {
            std::vector<Variant> names(context_->cookies.size());
            for (std::size_t i = 0; i < names.size(); ++i) setText(names[i].get(), context_->cookies[i].name);
            VariantClear(result);
            V_VT(result) = VT_UNKNOWN;
            V_UNKNOWN(result) = makeEnumerator(std::move(names));
            return true;
        }
        if (id != DISPID_VALUE) return false;
        if (args.count() == 0) {
            setObject(result, this);
            return true;
        }
        std::wstring name = textOf(args.at(0));
        ResponseCookie& c = context_->cookie(name);
        if (args.assigned()) {
            if (args.count() >= 2) {
                std::wstring key = textOf(args.at(1));
                c.value.clear();
                c.keys.emplace_back(key, textOf(*args.assigned()));
            } else {
                c.value = textOf(*args.assigned());
                c.keys.clear();
            }
            return true;
        }
        VariantClear(result);
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = new CookieWriter(context_, name);
        return true;
    }

private:
    std::shared_ptr<PageContext> context_;
};

std::vector<unsigned char> bytesOf(const VARIANT& v) {
    Variant value = valueOf(v);
    const VARIANT* p = value.get();
    std::vector<unsigned char> out;
    if (V_VT(p) == (VT_ARRAY | VT_UI1)) {
        SAFEARRAY* a = V_ARRAY(p);
        LONG lo = 0, hi = -1;
        SafeArrayGetLBound(a, 1, &lo);
        SafeArrayGetUBound(a, 1, &hi);
        void* data = nullptr;
        SafeArrayAccessData(a, &data);
        out.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + (hi - lo + 1));
        SafeArrayUnaccessData(a);
    } else if (V_VT(p) == VT_BSTR) {
        // a byte string (MidB/ChrB) keeps two bytes per character
        const char* data = reinterpret_cast<const char*>(V_BSTR(p));
        out.assign(data, data + SysStringByteLen(V_BSTR(p)));
    } else if (V_VT(p) != VT_NULL && V_VT(p) != VT_EMPTY) {
        throw vbError(13, L"Type mismatch");
    }
    return out;
}

class Response : public Dispatch {
public:
    explicit Response(std::shared_ptr<PageContext> context) : context_(std::move(context)) {
        cookies_ = Ref<CookiesCollection>(new CookiesCollection(context_));
    }

protected:
    enum : DISPID {
        idWrite = 1,
        idWriteBlock,
        idRedirect,
        idEnd,
        idClear,
        idFlush,
        idBuffer,
        idContentType,
        idCharset,
        idCodePage,
        idStatus,
        idExpires,
        idExpiresAbsolute,
        idCacheControl,
        idAddHeader,
        idAppendToLog,
        idBinaryWrite,
        idCookies,
        idIsClientConnected,
        idLCID,
        idPics
    };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Write", idWrite},
                                                 {L"WriteBlock", idWriteBlock},
                                                 {L"Redirect", idRedirect},
                                                 {L"End", idEnd},
                                                 {L"Clear", idClear},
                                                 {L"Flush", idFlush},
                                                 {L"Buffer", idBuffer},
                                                 {L"ContentType", idContentType},
                                                 {L"Charset", idCharset},
                                                 {L"CodePage", idCodePage},
                                                 {L"Status", idStatus},
                                                 {L"Expires", idExpires},
                                                 {L"ExpiresAbsolute", idExpiresAbsolute},
                                                 {L"CacheControl", idCacheControl},
                                                 {L"AddHeader", idAddHeader},
                                                 {L"AppendToLog", idAppendToLog},
                                                 {L"BinaryWrite", idBinaryWrite},
                                                 {L"Cookies", idCookies},
                                                 {L"IsClientConnected", idIsClientConnected},
                                                 {L"LCID", idLCID},
                                                 {L"PICS", idPics}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"Response object"; }
    std::wstring typeName() const override { return L"IResponse"; }

    bool call(DISPID id, WORD flags, const Args& args, VARIANT* result) override {
        PageContext& c = *context_;
        const VARIANT* put = args.assigned();
        switch (id) {
        case idWrite:
            if (args.count() > 0) c.write(textOf(args.at(0)));
            return true;
        case idWriteBlock: {
            long n = longOf(args.at(0));
            if (!c.ended && c.page && n >= 0 && n < static_cast<long>(c.page->blocks.size()))
                c.body += narrow(fromUtf8(c.page->blocks[static_cast<std::size_t>(n)]), c.codePage);
            return true;
        }
        case idRedirect: {
            if (c.ended) return true;
            std::string location = narrow(textOf(args.at(0)), c.codePage);
            c.status = "302 Object moved";
            c.headers.emplace_back("Location", location);
            c.body =
                "<head><title>Object moved</title></head>\r\n<body><h1>Object Moved</h1>This object may be found <a "
                "HREF=\"" +
                location + "\">here</a>.</body>\r\n";
            c.end();
            throw ScriptError{responseEndCode, L"Response object", L"Response.Redirect"};
        }
        case idEnd: c.end(); throw ScriptError{responseEndCode, L"Response object", L"Response.End"};
        case idClear:
            if (!c.ended) c.body.resize(c.flushed);  // what Flush sent is gone to the client
            return true;
        case idFlush: c.flushed = c.body.size(); return true;
        case idBuffer:
            if (put)
                c.buffer = boolOf(*put);
            else
                setBool(result, c.buffer);
            return true;
        case idContentType:
            if (put)
                c.contentType = textOf(*put);
            else
                setText(result, c.contentType);
            return true;
        case idCharset:
            if (put)
                c.charset = textOf(*put);
            else
                setText(result, c.charset);
            return true;
        case idCodePage:
            if (put) {
                long cp = longOf(*put);
                CPINFO info;
                if (!GetCPInfo(static_cast<UINT>(cp), &info)) throw responseError(L"ASP 0203: Invalid code page");
                c.codePage = static_cast<unsigned>(cp);
            } else {
                setLong(result, static_cast<long>(c.codePage));
            }
            return true;
        case idLCID:
            if (put) {
                long lcid = longOf(*put);
                if (lcid == 0) lcid = hostLcid;
                if (!IsValidLocale(static_cast<LCID>(lcid), LCID_SUPPORTED))
                    throw responseError(L"ASP 0219: Invalid LCID");
                c.lcid = lcid;
                setPageLcid(static_cast<LCID>(lcid));
            } else
                setLong(result, c.lcid);
            return true;
        case idStatus:
            if (put)
                c.status = narrow(textOf(*put), 1252);
            else
                setText(result, widen(c.status, 1252));
            return true;
        case idExpires:
            if (put) {
                long minutes = longOf(*put);
                c.headers.emplace_back("Cache-Control",
                                       minutes <= 0 ? "no-cache" : "max-age=" + std::to_string(minutes * 60));
                if (minutes <= 0) c.headers.emplace_back("Expires", "Thu, 01 Jan 1970 00:00:00 GMT");
            }
            return true;
        case idExpiresAbsolute:
        case idPics:
        case idAppendToLog: return true;
        case idCacheControl:
            if (put) c.headers.emplace_back("Cache-Control", narrow(textOf(*put), 1252));
            return true;
        case idAddHeader:
            c.headers.emplace_back(narrow(textOf(args.at(0)), c.codePage), narrow(textOf(args.at(1)), c.codePage));
            return true;
        case idBinaryWrite: {
            if (c.ended) return true;
            std::vector<unsigned char> bytes = bytesOf(args.at(0));
            c.body.append(bytes.begin(), bytes.end());
            return true;
        }
        case idCookies:
            if (args.count() == 0 && !put) {
                setObject(result, cookies_.get());
                return true;
            }
            forwardCall(cookies_.get(), DISPID_VALUE, flags, args, result);
            return true;
        case idIsClientConnected: setBool(result, true); return true;
        default: return false;
        }
    }

private:
    std::shared_ptr<PageContext> context_;
    Ref<CookiesCollection> cookies_;
};

}  // namespace

IDispatch* makeResponse(std::shared_ptr<PageContext> context) { return new Response(std::move(context)); }

}  // namespace tabulon::preview::host
