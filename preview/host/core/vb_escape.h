#pragma once
// VBScript's Escape and Unescape (missing from Wine's engine), over UTF-16 text.
#include <string>
#include <string_view>

namespace tabulon::preview::host {

// Letters, digits and @*_+-./ stay; other characters below 256 become %XX, the rest %uXXXX.
std::u16string escape(std::u16string_view text);
// The inverse; escapes that are not well formed stay as they are.
std::u16string unescape(std::u16string_view text);

}  // namespace tabulon::preview::host
