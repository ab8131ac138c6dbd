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
// surrogate or a value past U+10FFFF). Inline: every name check and lookup decodes.
inline std::optional<Utf8Char> decodeUtf8At(std::string_view utf8, std::size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data()) + at;
    const std::size_t left = utf8.size() - at;
    const unsigned char lead = p[0];
    auto follows = [p](std::size_t k) { return (p[k] & 0xC0) == 0x80; };
    if (lead < 0x80) return Utf8Char{lead, 1};
    if (lead < 0xC2) return std::nullopt;
    if (lead < 0xE0) {
        if (left < 2 || !follows(1)) return std::nullopt;
        return Utf8Char{static_cast<char32_t>(((lead & 0x1F) << 6) | (p[1] & 0x3F)), 2};
    }
    if (lead < 0xF0) {
        if (left < 3 || !follows(1) || !follows(2)) return std::nullopt;
        const auto cp = static_cast<char32_t>(((lead & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
        return Utf8Char{cp, 3};
    }
    if (lead < 0xF5) {
        if (left < 4 || !follows(1) || !follows(2) || !follows(3)) return std::nullopt;
        const auto cp =
            static_cast<char32_t>(((lead & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6) | (p[3] & 0x3F));
        if (cp < 0x10000 || cp > 0x10FFFF) return std::nullopt;
        return Utf8Char{cp, 4};
    }
    return std::nullopt;
}

// nullopt when `utf8` is not well-formed UTF-8.
std::optional<std::u16string> tryUtf8ToUtf16(std::string_view utf8);

// How many UTF-16 code units `utf8` makes; nullopt when it is not well-formed UTF-8.
std::optional<std::size_t> utf16Length(std::string_view utf8);

// Writes the first `capacity` UTF-16 code units of `utf8` (or all, when fewer) from `out`
// on and returns how many the whole text makes; nullopt when it is not well-formed UTF-8.
// For short texts kept off the heap, such as names.
std::optional<std::size_t> writeUtf16(std::string_view utf8, char16_t* out, std::size_t capacity);

// Writes `utf8` as UTF-16LE bytes from `out` on (2 x utf16Length of them, at most twice
// its size) and returns the end; nullptr when it is not well-formed UTF-8.
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
