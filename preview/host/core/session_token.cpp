#include "session_token.h"

#include <array>

namespace tabulon::preview::host {

std::string randomLetters(std::size_t count, const RandomFill& fill) {
    // 234 = 9 × 26: bytes from 234 up would make A–V likelier than W–Z.
    constexpr unsigned kUnbiased = 234;
    std::string out;
    out.reserve(count);
    std::array<unsigned char, 64> bytes{};
    while (out.size() < count) {
        fill(bytes.data(), bytes.size());
        for (const unsigned char b : bytes) {
            if (b >= kUnbiased) continue;
            out += static_cast<char>('A' + b % 26);
            if (out.size() == count) break;
        }
    }
    return out;
}

}  // namespace tabulon::preview::host
