#pragma once
// VBScript's error messages as a Chinese (zh-CN) Windows server words them, and the mapping
// of the engine's own reports onto them.
#include <string>

namespace tabulon::preview::host {

// The message of VBScript error `number` (5, 13, 1014, …), or null when it is not one.
const wchar_t* windowsErrorText(long number);

// Err.Description as Windows gives it: the Windows wording for VBScript's own errors when
// the engine left the text empty or worded it its own way; a page's own text is kept.
std::wstring windowsErrorDescription(long rawNumber, const std::wstring& given);

}  // namespace tabulon::preview::host
