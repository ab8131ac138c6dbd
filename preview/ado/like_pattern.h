#pragma once
// Jet's LIKE as OLE DB reaches it: % any run of characters, _ one character, [abc], [a-z]
// and [!abc] one character of (or not of) a list; ASCII letters match either case.
#include <optional>
#include <string_view>
#include <vector>

namespace tabulon::preview::ado {

class LikePattern {
public:
    // nullopt for a pattern Jet refuses (a list that is never closed).
    static std::optional<LikePattern> parse(std::string_view pattern);
    bool matches(std::string_view text) const;
    // Whether SQLite's own LIKE means the same (no character lists).
    bool plain() const { return plain_; }

private:
    struct Part {
        enum class Kind { AnyRun, One, Character, List } kind = Kind::Character;
        char32_t character = 0;
        std::vector<std::pair<char32_t, char32_t>> ranges;
        bool negated = false;
    };
    bool partMatches(const Part& part, char32_t c) const;
    std::vector<Part> parts_;
    bool plain_ = true;
};

}  // namespace tabulon::preview::ado
