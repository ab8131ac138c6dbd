#pragma once
// ASCII text helpers for the whole tree: case folding, comparison, trimming and
// percent-decoding of bytes. Only A–Z/a–z change case and only ASCII blanks are trimmed, so
// GBK and UTF-8 bytes pass through untouched whatever the process locale is.
#include <optional>
#include <string>
#include <string_view>

namespace tabulon {

constexpr char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string asciiLowered(std::string_view text);
std::string asciiUppered(std::string_view text);

bool equalsIgnoringCase(std::string_view a, std::string_view b);
// A strict weak order that ignores ASCII case, for sorted lists of names.
bool lessIgnoringCase(std::string_view a, std::string_view b);
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Drops the `blanks` at both ends (space and tab unless told).
std::string_view trimAscii(std::string_view text, std::string_view blanks = " \t");

// 0–15 for a hexadecimal digit, -1 otherwise.
constexpr int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%41+b" -> "A b" (plus as a space only when asked, as in forms); an escape that is not
// two hex digits stays as it was sent.
std::string percentDecode(std::string_view text, bool plusIsSpace = false);
// As above, but nothing when an escape is malformed (paths the server must not guess at).
std::optional<std::string> percentDecodeStrict(std::string_view text);

}  // namespace tabulon
