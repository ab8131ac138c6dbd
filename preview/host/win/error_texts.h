#pragma once
// Err.Description and error pages as a Chinese (zh-CN) Windows server words them, over the
// core's one table of VBScript's messages (core/vb_errors.h).
#include <string>

namespace tabulon::preview::host {

// The Chinese message of VBScript error `number` (5, 13, 1014, …), or empty when it is not one.
std::wstring windowsErrorText(long number);

// Err.Description as Windows gives it: the Windows wording for VBScript's own errors when
// the engine left the text empty or worded it its own way; a page's own text is kept.
std::wstring windowsErrorDescription(long rawNumber, const std::wstring& given);

}  // namespace tabulon::preview::host
