#include "preview/ado/like_pattern.h"

#include <string>

namespace tabulon::preview::ado {
namespace {

std::u32string decode(std::string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        ++i;
        for (; extra > 0 && i < text.size(); --extra, ++i) c = (c << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        out.push_back(c);
    }
    return out;
}

char32_t fold(char32_t c) { return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c; }

}  // namespace

std::optional<LikePattern> LikePattern::parse(std::string_view pattern) {
    LikePattern result;
    const std::u32string chars = decode(pattern);
    for (std::size_t i = 0; i < chars.size(); ++i) {
        Part part;
        const char32_t c = chars[i];
        if (c == U'%') {
            part.kind = Part::Kind::AnyRun;
        } else if (c == U'_') {
            part.kind = Part::Kind::One;
        } else if (c == U'[') {
            result.plain_ = false;
            part.kind = Part::Kind::List;
            std::size_t j = i + 1;
            if (j < chars.size() && chars[j] == U'!') {
                part.negated = true;
                ++j;
            }
            bool closed = false;
            for (; j < chars.size(); ++j) {
                if (chars[j] == U']' && (j > i + 1 + (part.negated ? 1 : 0))) {
                    closed = true;
                    break;
                }
                if (j + 2 < chars.size() && chars[j + 1] == U'-' && chars[j + 2] != U']') {
                    part.ranges.emplace_back(fold(chars[j]), fold(chars[j + 2]));
                    j += 2;
                } else {
                    part.ranges.emplace_back(fold(chars[j]), fold(chars[j]));
                }
            }
            if (!closed) return std::nullopt;
            i = j;
        } else {
            part.character = fold(c);
        }
        result.parts_.push_back(std::move(part));
    }
    return result;
}

bool LikePattern::partMatches(const Part& part, char32_t c) const {
    switch (part.kind) {
    case Part::Kind::One: return true;
    case Part::Kind::Character: return part.character == fold(c);
    case Part::Kind::List: {
        bool inList = false;
        for (const auto& [low, high] : part.ranges) inList = inList || (fold(c) >= low && fold(c) <= high);
        return inList != part.negated;
    }
    case Part::Kind::AnyRun: return false;
    }
    return false;
}

bool LikePattern::matches(std::string_view textUtf8) const {
    const std::u32string text = decode(textUtf8);
    // Greedy matching with one remembered % to fall back to.
    std::size_t t = 0, p = 0, starPart = std::u32string::npos, starText = 0;
    while (t < text.size()) {
        if (p < parts_.size() && parts_[p].kind == Part::Kind::AnyRun) {
            starPart = p++;
            starText = t;
        } else if (p < parts_.size() && partMatches(parts_[p], text[t])) {
            ++p;
            ++t;
        } else if (starPart != std::u32string::npos) {
            p = starPart + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < parts_.size() && parts_[p].kind == Part::Kind::AnyRun) ++p;
    return p == parts_.size();
}

}  // namespace tabulon::preview::ado
