#include "jet/sort_key.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tabulon::jet {
namespace {

// Codes of A..Z (either case).
constexpr std::array<std::uint8_t, 26> kLetterCodes = {0x4A, 0x4C, 0x4D, 0x4F, 0x51, 0x53, 0x55, 0x57, 0x59,
                                                       0x5B, 0x5C, 0x5E, 0x60, 0x62, 0x64, 0x66, 0x68, 0x69,
                                                       0x6B, 0x6D, 0x6F, 0x71, 0x73, 0x75, 0x76, 0x78};

// The ideograph codes run in code-point order, except that these code points
// are followed by extra unused positions.
struct Gap {
    char16_t codePoint;
    std::uint8_t extra;
};
constexpr std::array<Gap, 66> kIdeographGaps = {{
    {0x4E01, 3}, {0x4E02, 1}, {0x4E04, 2}, {0x4E0A, 3}, {0x4E0B, 2}, {0x4E0C, 2}, {0x4E1A, 1}, {0x4E2E, 2}, {0x4E5A, 1},
    {0x4E5E, 2}, {0x4E8D, 3}, {0x4E95, 2}, {0x4EBB, 1}, {0x4EDE, 1}, {0x4EE4, 1}, {0x4F02, 2}, {0x4F12, 2}, {0x512B, 1},
    {0x516C, 2}, {0x516E, 2}, {0x52DF, 2}, {0x5342, 2}, {0x5355, 2}, {0x5371, 1}, {0x53F4, 1}, {0x540E, 2}, {0x547D, 1},
    {0x56DC, 3}, {0x5720, 2}, {0x5731, 1}, {0x591D, 1}, {0x5928, 1}, {0x592A, 1}, {0x5974, 1}, {0x5B79, 2}, {0x5B98, 1},
    {0x5BEC, 1}, {0x5DE7, 1}, {0x5E74, 1}, {0x65E6, 2}, {0x660F, 1}, {0x662E, 1}, {0x6709, 2}, {0x670A, 2}, {0x6729, 2},
    {0x682B, 3}, {0x6B64, 1}, {0x6C35, 2}, {0x6CE9, 1}, {0x706C, 2}, {0x727A, 2}, {0x7533, 1}, {0x7538, 1}, {0x76E4, 2},
    {0x793F, 2}, {0x795E, 2}, {0x796E, 1}, {0x79D9, 1}, {0x81EB, 1}, {0x81F4, 1}, {0x8CA2, 2}, {0x8CC8, 2}, {0x906A, 1},
    {0x91AC, 1}, {0x91D2, 2}, {0x9806, 1},
}};

constexpr char16_t kFirstIdeograph = 0x4E00;
constexpr char16_t kLastIdeograph = 0x9FA5;

// Full-width digits and letters sort as their ASCII forms.
char16_t foldFullWidth(char16_t c) {
    if ((c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A)) {
        return static_cast<char16_t>(c - 0xFF10 + 0x30);
    }
    return c;
}

// The extra positions of each gap and all gaps before it.
constexpr auto kGapTotals = [] {
    std::array<unsigned, kIdeographGaps.size()> totals{};
    unsigned sum = 0;
    for (std::size_t i = 0; i < kIdeographGaps.size(); ++i) totals[i] = sum += kIdeographGaps[i].extra;
    return totals;
}();
static_assert(std::is_sorted(kIdeographGaps.begin(), kIdeographGaps.end(),
                             [](const Gap& a, const Gap& b) { return a.codePoint < b.codePoint; }));

void appendIdeographCode(std::string& out, char16_t c) {
    const auto after = std::upper_bound(kIdeographGaps.begin(), kIdeographGaps.end(), c,
                                        [](char16_t value, const Gap& gap) { return value < gap.codePoint; });
    const auto gapsUpToC = static_cast<std::size_t>(after - kIdeographGaps.begin());
    const unsigned position = c - kFirstIdeograph + (gapsUpToC == 0 ? 0 : kGapTotals[gapsUpToC - 1]);
    out.push_back(static_cast<char>(0x9F + position / 254));
    out.push_back(static_cast<char>(0x02 + position % 254));
}

bool appendCode(std::string& out, char16_t raw) {
    const char16_t c = foldFullWidth(raw);
    if (c >= 'a' && c <= 'z') {
        out.push_back(static_cast<char>(kLetterCodes[c - 'a']));
    } else if (c >= 'A' && c <= 'Z') {
        out.push_back(static_cast<char>(kLetterCodes[c - 'A']));
    } else if (c >= '0' && c <= '9') {
        out.push_back(static_cast<char>(0x36 + 2 * (c - '0')));
    } else if (c == '_') {
        out.append("\x2B\x03", 2);
    } else if (c == ' ') {
        out.push_back(0x07);
    } else if (c >= kFirstIdeograph && c <= kLastIdeograph) {
        appendIdeographCode(out, c);
    } else {
        return false;
    }
    return true;
}

}  // namespace

// The characters appendCode has a code for, without making one.
bool hasGeneralSortCode(char16_t raw) {
    const char16_t c = foldFullWidth(raw);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ' ' ||
           (c >= kFirstIdeograph && c <= kLastIdeograph);
}

std::optional<std::string> generalTextKey(std::u16string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.size() > 255) text = text.substr(0, 255);
    std::string key;
    key.reserve(2 * text.size() + 3);
    key.push_back(0x7F);
    for (char16_t c : text) {
        if (!appendCode(key, c)) return std::nullopt;
    }
    key.push_back(0x01);
    key.push_back(0x00);
    return key;
}

}  // namespace tabulon::jet
