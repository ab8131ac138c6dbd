#pragma once
// Session cookie values and cookie names made of letters A–Z, as IIS makes them, drawn
// from a caller's source of random bytes (the system's cryptographic generator).
#include <cstddef>
#include <functional>
#include <string>

namespace tabulon::preview::host {

using RandomFill = std::function<void(unsigned char* bytes, std::size_t count)>;

// `count` letters, each equally likely (bytes that would favour some letters are drawn again).
std::string randomLetters(std::size_t count, const RandomFill& fill);

// 24 letters: 112 bits, beyond guessing.
inline constexpr std::size_t kSessionTokenLetters = 24;

}  // namespace tabulon::preview::host
