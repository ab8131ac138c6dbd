#pragma once
// UTF-8 <-> UTF-16 and Jet 4's on-disk text forms (plain UTF-16LE, or the
// "compressed unicode" form that starts with FF FE).

#include <optional>
#include <string>
#include <string_view>

namespace tabulon::jet {

// One code point of UTF-8 text and how many bytes it took.
struct Utf8Char {
    char32_t codePoint = 0;
    std::size_t length = 0;
};

// The character that starts at byte `at` of `utf8`; nullopt when the bytes there are not
// well-formed UTF-8 (a bad lead or follow byte, a cut sequence, an overlong form, a
// surrogate or a value past U+10FFFF).
std::optional<Utf8Char> decodeUtf8At(std::string_view utf8, std::size_t at);

// nullopt when `utf8` is not well-formed UTF-8.
std::optional<std::u16string> tryUtf8ToUtf16(std::string_view utf8);

// How many UTF-16 code units `utf8` makes; nullopt when it is not well-formed UTF-8.
std::optional<std::size_t> utf16Length(std::string_view utf8);

// Writes the UTF-16 code units of well-formed `utf8` (utf16Length of them) from `out` on
// and returns the end. For short texts kept off the heap, such as names.
char16_t* writeUtf16(std::string_view utf8, char16_t* out);

// The same as UTF-16LE bytes (2 x utf16Length of them); returns the end.
char* writeUtf16le(std::string_view utf8, char* out);

// Throws Error naming `what` when `utf8` is not well-formed UTF-8.
std::u16string utf8ToUtf16(std::string_view utf8, std::string_view what);

// Unpaired surrogates come out as U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);

// Plain UTF-16LE bytes, as Jet stores names and system-table text.
std::string utf16leBytes(std::u16string_view text);
std::u16string fromUtf16leBytes(std::string_view bytes);

// Bytes for a text or memo value. With `compressible` (the column allows
// unicode compression) text made only of U+0001..U+00FF is stored one byte a
// character behind FF FE; everything else is plain UTF-16LE. A leading BOM is
// dropped because every reader would take FF FE for the compression marker.
std::string encodeJetText(std::u16string_view text, bool compressible, bool memo);

// Reverse of encodeJetText; also reads mixed compressed/plain segments.
std::u16string decodeJetText(std::string_view bytes);

}  // namespace tabulon::jet
