#include "error_page.h"

#include "text.h"

#include <windows.h>

#include <cstdio>

namespace tabulon::preview::host {
namespace {

struct Known {
    int number;
    const wchar_t* text;
};

const Known knownErrors[] = {
    {5, L"Invalid procedure call or argument"},
    {6, L"Overflow"},
    {7, L"Out of memory"},
    {9, L"Subscript out of range"},
    {10, L"This array is fixed or temporarily locked"},
    {11, L"Division by zero"},
    {13, L"Type mismatch"},
    {14, L"Out of string space"},
    {28, L"Out of stack space"},
    {35, L"Sub or Function not defined"},
    {48, L"Error in loading DLL"},
    {51, L"Internal error"},
    {53, L"File not found"},
    {70, L"Permission denied"},
    {91, L"Object variable not set"},
    {92, L"For loop not initialized"},
    {94, L"Invalid use of Null"},
    {424, L"Object required"},
    {429, L"ActiveX component can't create object"},
    {438, L"Object doesn't support this property or method"},
    {445, L"Object doesn't support this action"},
    {450, L"Wrong number of arguments or invalid property assignment"},
    {451, L"Object not a collection"},
    {458, L"Variable uses an Automation type not supported in VBScript"},
    {462, L"The remote server machine does not exist or is unavailable"},
    {500, L"Variable is undefined"},
    {501, L"Illegal assignment"},
    {502, L"Object not safe for scripting"},
    {505, L"Invalid or unqualified reference"},
    {506, L"Class not defined"},
    {507, L"An exception occurred"},
    {1001, L"Out of memory"},
    {1002, L"Syntax error"},
    {1003, L"Expected ':'"},
    {1005, L"Expected '('"},
    {1006, L"Expected ')'"},
    {1007, L"Expected ']'"},
    {1010, L"Expected identifier"},
    {1011, L"Expected '='"},
    {1012, L"Expected 'If'"},
    {1013, L"Expected 'To'"},
    {1014, L"Expected 'End'"},
    {1015, L"Expected 'Function'"},
    {1016, L"Expected 'Sub'"},
    {1017, L"Expected 'Then'"},
    {1018, L"Expected 'Wend'"},
    {1019, L"Expected 'Loop'"},
    {1020, L"Expected 'Next'"},
    {1021, L"Expected 'Case'"},
    {1022, L"Expected 'Select'"},
    {1023, L"Expected expression"},
    {1024, L"Expected statement"},
    {1025, L"Expected end of statement"},
    {1026, L"Expected integer constant"},
    {1027, L"Expected 'While' or 'Until'"},
    {1028, L"Expected 'While', 'Until' or end of statement"},
    {1029, L"Expected 'With'"},
    {1030, L"Identifier too long"},
    {1031, L"Invalid number"},
    {1032, L"Invalid character"},
    {1033, L"Unterminated string constant"},
    {1034, L"Unterminated comment"},
    {1037, L"Invalid use of 'Me' keyword"},
    {1038, L"'loop' without 'do'"},
    {1039, L"Invalid 'exit' statement"},
    {1040, L"Invalid 'for' loop control variable"},
    {1041, L"Name redefined"},
    {1042, L"Must be first statement on the line"},
    {1044, L"Cannot use parentheses when calling a Sub"},
    {1045, L"Expected literal constant"},
    {1046, L"Expected 'In'"},
    {1047, L"Expected 'Class'"},
    {1048, L"Must be defined inside a Class"},
    {1049, L"Expected Let or Set or Get in property declaration"},
    {1050, L"Expected 'Property'"},
    {1051, L"Property Get, Let and Set of one property must take the same arguments"},
    {1052, L"Cannot have multiple default property/method in a Class"},
    {1053, L"Class initialize or terminate do not have arguments"},
    {1054, L"Property Set or Let must have at least one argument"},
    {1055, L"Unexpected 'Next'"},
    {1056, L"'Default' can be specified only on 'Property' or 'Function' or 'Sub'"},
    {1057, L"A 'Default' member must also be 'Public'"},
    {1058, L"'Default' can only be given to a Property Get"},
};

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
    if (!given.empty()) return given;
    if (code == static_cast<long>(0x80020012)) return L"Division by zero";
    if (HRESULT_FACILITY(code) == FACILITY_CONTROL) {
        for (const Known& k : knownErrors)
            if (k.number == HRESULT_CODE(code)) return k.text;
    }
    return L"Unknown runtime error";
}

bool isCompileError(long code) {
    return HRESULT_FACILITY(code) == FACILITY_CONTROL && HRESULT_CODE(code) >= 1001 && HRESULT_CODE(code) <= 1099;
}

std::string errorResponse(const ErrorReport& r, unsigned codePage) {
    wchar_t hex[16];
    long shown = r.code == static_cast<long>(0x80020012) ? static_cast<long>(0x800A000B) : r.code;
    wsprintfW(hex, L"%08lx", static_cast<unsigned long>(shown));
    std::wstring file = fromUtf8(r.file);
    std::wstring page =
        L"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
        L"<title>Error " +
        std::wstring(hex) +
        L"</title></head><body>\r\n"
        L"<font face=\"Arial\" size=2>\r\n<p>" +
        htmlText(r.category) + L" </font> <font face=\"Arial\" size=2>error '" + hex +
        L"'</font>\r\n<p>\r\n<font face=\"Arial\" size=2>" + htmlText(r.description) +
        L"</font>\r\n<p>\r\n<font face=\"Arial\" size=2>" + htmlText(fromUtf8(r.urlPath)) + L"</font>";
    if (!r.file.empty()) {
        page += L"<font face=\"Arial\" size=2>, file /" + htmlText(file) + L", line " + std::to_wstring(r.line) +
                L"</font>\r\n";
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
