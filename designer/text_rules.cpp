#include "designer/text_rules.h"

#include "generator/check/design_check.h"

#include <limits>

namespace tabulon::designer {
namespace {

constexpr std::string_view kFullWidthSpace = "\xE3\x80\x80";  // U+3000 in UTF-8

struct SignedStart {
    bool negative = false;
    std::size_t digits = 0;  // index of the first character after blanks and sign
};

SignedStart skipBlanksAndSign(std::string_view text) {
    SignedStart start;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        start.negative = text[i] == '-';
        ++i;
    }
    start.digits = i;
    return start;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string withoutSpaces(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
        } else if (text.substr(i, kFullWidthSpace.size()) == kFullWidthSpace) {
            i += kFullWidthSpace.size();
        } else {
            result += text[i++];
        }
    }
    return result;
}

std::int64_t leadingInteger(std::string_view text) {
    const SignedStart start = skipBlanksAndSign(text);
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    for (std::size_t i = start.digits; i < text.size() && isDigit(text[i]); ++i) {
        const int digit = text[i] - '0';
        // Accumulate towards the sign so that the smallest value is reachable too.
        if (!start.negative) {
            if (value > (kMax - digit) / 10) return kMax;
            value = value * 10 + digit;
        } else {
            if (value < (kMin + digit) / 10) return kMin;
            value = value * 10 - digit;
        }
    }
    return value;
}

std::int64_t addClamped(std::int64_t a, std::int64_t b) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    if (b > 0 && a > kMax - b) return kMax;
    if (b < 0 && a < kMin - b) return kMin;
    return a + b;
}

bool namesCascade(std::string_view cascadeTable) { return leadingNumber(cascadeTable) > 0.0000001; }

namespace {

std::optional<std::string> refusal(std::string_view what, std::string_view name, generator::NameUse use) {
    const auto problem = generator::siteNameProblem(name, use);
    if (!problem) return std::nullopt;
    return std::string(what) + "“" + std::string(name) + "”不能用：" + *problem + "，未保存。";
}

}  // namespace

std::optional<std::string> tableNameRefusal(std::string_view name) {
    return refusal("表名", name, generator::NameUse::Table);
}

std::optional<std::string> fieldNameRefusal(std::string_view name) {
    return refusal("字段名", name, generator::NameUse::Field);
}

}  // namespace tabulon::designer
