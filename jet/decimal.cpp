#include "jet/decimal.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "jet/byte_io.h"
#include "jet/error.h"

namespace tabulon::jet {
namespace {

// ---- 128-bit unsigned arithmetic on four 32-bit words, least significant first.
using Words = std::array<std::uint32_t, 4>;

bool mulAdd(Words& w, std::uint32_t mul, std::uint32_t add) {
    std::uint64_t carry = add;
    for (auto& word : w) {
        const std::uint64_t v = static_cast<std::uint64_t>(word) * mul + carry;
        word = static_cast<std::uint32_t>(v);
        carry = v >> 32;
    }
    return carry == 0;
}

std::uint32_t divMod(Words& w, std::uint32_t div) {
    std::uint64_t rem = 0;
    for (int i = 3; i >= 0; --i) {
        const std::uint64_t cur = (rem << 32) | w[static_cast<std::size_t>(i)];
        w[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(cur / div);
        rem = cur % div;
    }
    return static_cast<std::uint32_t>(rem);
}

bool isZero(const Words& w) { return w[0] == 0 && w[1] == 0 && w[2] == 0 && w[3] == 0; }

}  // namespace

std::optional<ScaledDecimal> scaleDecimal(std::string_view text, int scale) {
    ScaledDecimal out;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        out.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    auto allDigits = [](std::string_view s) { return s.find_first_not_of("0123456789") == std::string_view::npos; };
    if ((whole.empty() && fraction.empty()) || !allDigits(whole) || !allDigits(fraction)) return std::nullopt;

    const auto places = static_cast<std::size_t>(scale);
    const std::size_t kept = std::min(fraction.size(), places);
    std::string digits(whole);
    digits.append(fraction.substr(0, kept));
    digits.append(places - kept, '0');
    if (fraction.size() > places && fraction[places] >= '5') {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i - 1];
        }
    }
    const std::size_t first = digits.find_first_not_of('0');
    out.digits = first == std::string::npos ? "0" : digits.substr(first);
    if (out.digits == "0") out.negative = false;
    return out;
}

std::string encodeDecimal(bool negative, std::string_view unscaledDigits) {
    Words w{};
    for (char c : unscaledDigits) {
        if (!mulAdd(w, 10, static_cast<std::uint32_t>(c - '0'))) throw Error("数值超出 128 位");
    }
    std::string out;
    putU8(out, negative ? 0x80 : 0x00);
    for (int i = 3; i >= 0; --i) putU32(out, w[static_cast<std::size_t>(i)]);
    return out;
}

std::string decodeDecimal(std::string_view bytes, int scale) {
    Words w{};
    for (int i = 0; i < 4; ++i) w[static_cast<std::size_t>(3 - i)] = getU32(bytes, 1 + 4 * static_cast<std::size_t>(i));
    const bool negative = (getU8(bytes, 0) & 0x80) != 0;
    std::string digits;
    while (!isZero(w)) digits.insert(digits.begin(), static_cast<char>('0' + divMod(w, 10)));
    const auto s = static_cast<std::size_t>(scale);
    if (digits.size() <= s) digits.insert(0, s + 1 - digits.size(), '0');
    if (s > 0) digits.insert(digits.size() - s, 1, '.');
    if (negative && digits.find_first_not_of("0.") != std::string::npos) digits.insert(0, 1, '-');
    return digits;
}

}  // namespace tabulon::jet
