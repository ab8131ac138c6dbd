#pragma once
// The messages of VBScript's runtime and compile errors, by number, as a Windows server
// words them in English and in Chinese (Wine's engine leaves some empty or words them its
// own way).
#include <optional>
#include <string_view>

namespace tabulon::preview::host {

// The English message of VBScript error `number` (5, 13, 1002, …), if it is one.
std::optional<std::string_view> vbErrorText(int number);
// The same message as a Chinese (zh-CN) server shows it, in UTF-8.
std::optional<std::string_view> vbErrorTextChinese(int number);
// Whether `text` is the English message of one of VBScript's runtime errors, or the
// engine's "Unknown runtime error": words the engine gave, not a page's own.
bool isEnglishRuntimeErrorText(std::string_view text);
// Whether the number is one of VBScript's compile errors (1001–1099).
constexpr bool isCompileErrorNumber(int number) { return number >= 1001 && number <= 1099; }

}  // namespace tabulon::preview::host
