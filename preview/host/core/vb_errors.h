#pragma once
// The messages of VBScript's runtime and compile errors, by number, as a Windows server
// words them (Wine's engine leaves some empty).
#include <optional>
#include <string_view>

namespace tabulon::preview::host {

// The English message of VBScript error `number` (5, 13, 1002, …), if it is one.
std::optional<std::string_view> vbErrorText(int number);
// Whether the number is one of VBScript's compile errors (1001–1099).
constexpr bool isCompileErrorNumber(int number) { return number >= 1001 && number <= 1099; }

}  // namespace tabulon::preview::host
