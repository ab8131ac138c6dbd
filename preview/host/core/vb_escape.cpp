#include "vb_escape.h"

namespace tabulon::preview::host {
namespace {

constexpr char16_t kHex[] = u"0123456789ABCDEF";

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// The value of `count` hex digits at `at`, or -1.
int hexValue(std::u16string_view s, std::size_t at, std::size_t count) {
    if (at + count > s.size()) return -1;
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int digit = hexDigit(s[at + i]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

std::u16string escape(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const char16_t ch : text) {
        const bool kept = (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') ||
                          std::u16string_view(u"@*_+-./").find(ch) != std::u16string_view::npos;
        if (kept) {
            out += ch;
        } else if (ch < 256) {
            out += {u'%', kHex[ch >> 4], kHex[ch & 15]};
        } else {
            out += {u'%', u'u', kHex[ch >> 12], kHex[(ch >> 8) & 15], kHex[(ch >> 4) & 15], kHex[ch & 15]};
        }
    }
    return out;
}

std::u16string unescape(std::u16string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'%' && i + 1 < s.size() && (s[i + 1] == u'u' || s[i + 1] == u'U')) {
            if (const int value = hexValue(s, i + 2, 4); value >= 0) {
                out += static_cast<char16_t>(value);
                i += 5;
                continue;
            }
        }
        if (s[i] == u'%') {
            if (const int value = hexValue(s, i + 1, 2); value >= 0) {
                out += static_cast<char16_t>(value);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

}  // namespace tabulon::preview::host
