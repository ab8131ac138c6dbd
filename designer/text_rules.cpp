#include "designer/text_rules.h"

#include "generator/check/design_rules.h"

#include <limits>

namespace tabulon::designer {
namespace {

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

std::optional<std::string> refusal(std::string_view what, std::string_view name,
                                   const std::optional<std::string>& problem) {
    if (!problem) return std::nullopt;
    return std::string(what) + "“" + std::string(name) + "”不能用：" + *problem + "，未保存。";
}

}  // namespace

std::optional<std::string> projectNameRefusal(std::string_view name) {
    return refusal("项目名", name, generator::projectNameProblem(name));
}

std::optional<std::string> tableNameRefusal(std::string_view name) {
    return refusal("表名", name, generator::tableNamePolicy(name));
}

std::optional<std::string> fieldNameRefusal(std::string_view name, std::string_view type) {
    return refusal("字段名", name, generator::fieldNamePolicy(name, type));
}

std::optional<std::string> pageTextRefusal(std::string_view what, std::string_view text) {
    const auto problem = generator::pageTextProblem(text);
    if (!problem) return std::nullopt;
    return std::string(what) + "不能用：" + *problem + "，未保存。";
}

}  // namespace tabulon::designer
