#include "jet/text_codec.h"

#include "jet/error.h"

namespace tabulon::jet {
namespace {

// Jet compresses short memos only; longer ones stay plain (as Access does).
constexpr std::size_t kMaxCompressedMemoChars = 1024;

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Calls put() with each UTF-16 unit of `utf8`, a surrogate pair for a code point beyond
// the BMP; false, part way through, at the first malformed sequence.
template <typename Put>
bool forEachUtf16Unit(std::string_view utf8, Put put) {
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = decodeUtf8At(utf8, i);
        if (!c) return false;
        if (c->codePoint >= 0x10000) {
            const char32_t cp = c->codePoint - 0x10000;
            put(static_cast<char16_t>(0xD800 + (cp >> 10)));
            put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            put(static_cast<char16_t>(c->codePoint));
        }
        i += c->length;
    }
    return true;
}

}  // namespace

std::optional<std::u16string> tryUtf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    if (!forEachUtf16Unit(utf8, [&](char16_t u) { out.push_back(u); })) return std::nullopt;
    return out;
}

std::optional<std::size_t> utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            ++units;
            ++i;
            continue;
        }
        const auto c = decodeUtf8At(utf8, i);
        if (!c) return std::nullopt;
        units += c->codePoint >= 0x10000 ? 2 : 1;
        i += c->length;
    }
    return units;
}

std::optional<std::size_t> writeUtf16(std::string_view utf8, char16_t* out, std::size_t capacity) {
    std::size_t units = 0;
    const bool valid = forEachUtf16Unit(utf8, [&](char16_t u) {
        if (units < capacity) out[units] = u;
        ++units;
    });
    return valid ? std::optional(units) : std::nullopt;
}

char* writeUtf16le(std::string_view utf8, char* out) {
    const bool valid = forEachUtf16Unit(utf8, [&out](char16_t u) {
        *out++ = static_cast<char>(u & 0xFF);
        *out++ = static_cast<char>(u >> 8);
    });
    return valid ? out : nullptr;
}

std::u16string utf8ToUtf16(std::string_view utf8, std::string_view what) {
    auto text = tryUtf8ToUtf16(utf8);
    if (!text) throw Error(std::string(what) + ": 不是有效的 UTF-8 文本");
    return std::move(*text);
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        appendUtf8(out, cp);
    }
    return out;
}

std::string utf16leBytes(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

std::u16string fromUtf16leBytes(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return out;
}

std::string encodeJetText(std::u16string_view text, bool compressible, bool memo) {
    while (!text.empty() && text.front() == 0xFEFF) text.remove_prefix(1);
    bool compress = compressible && text.size() > 2 && (!memo || text.size() <= kMaxCompressedMemoChars);
    if (compress) {
        for (char16_t c : text) {
            if (c == 0 || c > 0xFF) {
                compress = false;
                break;
            }
        }
    }
    if (!compress) return utf16leBytes(text);
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back(static_cast<char>(0xFF));
    out.push_back(static_cast<char>(0xFE));
    for (char16_t c : text) out.push_back(static_cast<char>(c));
    return out;
}

std::u16string decodeJetText(std::string_view bytes) {
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE) {
        return fromUtf16leBytes(bytes);
    }
    std::u16string out;
    out.reserve(bytes.size());
    bool compressed = true;
    std::size_t i = 2;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == 0) {
            compressed = !compressed;
            ++i;
        } else if (compressed) {
            out.push_back(static_cast<char16_t>(b));
            ++i;
        } else if (i + 1 < bytes.size()) {
            out.push_back(static_cast<char16_t>(b | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
            i += 2;
        } else {
            break;
        }
    }
    return out;
}

}  // namespace tabulon::jet
