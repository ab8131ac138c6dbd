#include "error_page.h"

#include "../core/vb_errors.h"
#include "error_texts.h"
#include "text.h"
#include "value_functions.h"

#include <windows.h>

#include <cstdio>

namespace tabulon::preview::host {
namespace {

std::wstring htmlText(const std::wstring& s) {
    std::wstring out;
    for (wchar_t c : s) {
        switch (c) {
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        case L'&': out += L"&amp;"; break;
        case L'"': out += L"&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string headerSafe(const std::string& utf8) {
    std::string out;
    char buf[4];
    for (unsigned char c : utf8) {
        if (c < 0x21 || c > 0x7E || c == '%') {
            snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace

std::wstring describeError(long code, const std::wstring& given) {
    std::wstring text = windowsErrorDescription(code, given);
    return text.empty() ? std::wstring(windowsErrorText(507)) : text;
}

bool isCompileError(long code) {
    return HRESULT_FACILITY(code) == FACILITY_CONTROL && isCompileErrorNumber(HRESULT_CODE(code));
}

std::string errorResponse(const ErrorReport& r, unsigned codePage) {
    wchar_t hex[16];
    long mapped = windowsErrorNumber(r.code);
    long shown = mapped != r.code && mapped > 0 && mapped < 0x10000
                     ? static_cast<long>(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, mapped))
                     : r.code;
    wsprintfW(hex, L"%08lx", static_cast<unsigned long>(shown));
    std::wstring number = r.aspCode.empty() ? std::wstring(hex) : r.aspCode;
    std::wstring file = fromUtf8(r.file);
    // IIS's detailed page on a Chinese server: "<source> 错误 '800a000d'", the text, "/page.asp，行 3"
    std::wstring page =
        L"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
        L"<title>\u9519\u8BEF " +
        number +
        L"</title></head><body>\r\n"
        L"<font face=\"\u5B8B\u4F53\" size=2>\r\n<p>" +
        htmlText(r.category) + L"</font> <font face=\"\u5B8B\u4F53\" size=2>\u9519\u8BEF '" + number +
        L"'</font>\r\n<p>\r\n<font face=\"\u5B8B\u4F53\" size=2>" + htmlText(r.description) +
        L"</font>\r\n<p>\r\n<font face=\"\u5B8B\u4F53\" size=2>" +
        htmlText(r.file.empty() ? fromUtf8(r.urlPath) : L"/" + file) + L"</font>";
    if (!r.file.empty()) {
        page += L"<font face=\"\u5B8B\u4F53\" size=2>\uFF0C\u884C " + std::to_wstring(r.line) + L"</font>\r\n";
        page += L"<pre class=\"source\">" + htmlText(r.lineText) + L"</pre>\r\n";
    }
    page += L"</body></html>\r\n";
    std::string body = narrow(page, codePage);
    std::string head =
        "HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/html; Charset=gb2312\r\nCache-Control: private\r\n";
    if (!r.file.empty()) {
        head += "X-Tabulon-Error-File: " + headerSafe(r.file) + "\r\n";
        head += "X-Tabulon-Error-Line: " + std::to_string(r.line) + "\r\n";
    }
    head += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    return head + body;
}

}  // namespace tabulon::preview::host
