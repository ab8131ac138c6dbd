#pragma once
// Conversions between the encodings the host meets: UTF-16 inside the script engine,
// UTF-8 in the translator and the ADO core, and the page's code page (936) on the wire.
#include <string>
#include <string_view>

namespace tabulon::preview::host {

std::wstring widen(std::string_view bytes, unsigned codePage);
std::string narrow(std::wstring_view text, unsigned codePage);
inline std::wstring fromUtf8(std::string_view text) { return widen(text, 65001); }
inline std::string toUtf8(std::wstring_view text) { return narrow(text, 65001); }
std::wstring lowerCase(std::wstring_view text);
bool equalNoCase(std::wstring_view a, std::wstring_view b);
// The same for any two texts that equalNoCase finds equal: a key for lookups by name.
std::wstring caseKey(std::wstring_view text);

}  // namespace tabulon::preview::host
