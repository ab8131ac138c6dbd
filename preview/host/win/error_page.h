#pragma once
// The detailed error page IIS shows on localhost, with the place the error happened.
#include <string>

namespace tabulon::preview::host {

struct ErrorReport {
    long code = 0;          // HRESULT
    std::wstring category;  // "Microsoft VBScript 运行时错误", "ADODB.Recordset", "Active Server Pages"
    std::wstring aspCode;   // "ASP 0126": shown instead of the number
    std::wstring description;
    std::string urlPath;  // the requested page, "/manage/a.asp"
    std::string file;     // site-relative, '/' separated, UTF-8
    int line = 0;
    std::wstring lineText;
};

// Fills a missing description from the error number (the engine leaves some empty).
std::wstring describeError(long code, const std::wstring& given);
// Whether the number is one of VBScript's compile errors.
bool isCompileError(long code);
// The whole HTTP response (500) in the given code page.
std::string errorResponse(const ErrorReport& report, unsigned codePage);

}  // namespace tabulon::preview::host
