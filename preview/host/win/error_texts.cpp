#include "error_texts.h"

#include "../core/vb_errors.h"
#include "text.h"
#include "value_functions.h"

namespace tabulon::preview::host {
namespace {

bool allAscii(const std::wstring& s) {
    for (wchar_t c : s)
        if (c > 0x7E) return false;
    return true;
}

}  // namespace

std::wstring windowsErrorText(long number) {
    const auto text = vbErrorTextChinese(static_cast<int>(number));
    return text ? fromUtf8(*text) : std::wstring();
}

std::wstring windowsErrorDescription(long rawNumber, const std::wstring& given) {
    long number = windowsErrorNumber(rawNumber);
    std::wstring text = windowsErrorText(number);
    if (text.empty()) return given;
    // empty, the engine's English or its own Chinese wording: the server's words; a page's
    // own ASCII text (Err.Raise 5, , "mine") stays
    bool engineWords = given.empty() || number != rawNumber || !allAscii(given) ||
                       given.find(L"runtime error") != std::wstring::npos ||
                       isEnglishRuntimeErrorText(std::string(given.begin(), given.end()));
    return engineWords ? text : given;
}

}  // namespace tabulon::preview::host
