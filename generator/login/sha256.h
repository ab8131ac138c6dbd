#pragma once
// SHA-256 (FIPS 180-4), HMAC-SHA256 and PBKDF2-HMAC-SHA256, and the password digest that
// the site's inc/password.asp computes the same way, so an account written here logs in there.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tabulon::generator {

std::array<unsigned char, 32> sha256(std::string_view data);
// Lower-case hex digest of the bytes of `data`.
std::string sha256Hex(std::string_view data);
std::array<unsigned char, 32> hmacSha256(std::string_view key, std::string_view message);
// The first `length` bytes of PBKDF2-HMAC-SHA256 (RFC 8018).
std::string pbkdf2Sha256(std::string_view password, std::string_view salt, int rounds, std::size_t length);

// The rounds of a new digest: each costs two SHA-256 blocks (plus two for the key and two
// for the first round), which the site's VBScript computes in 11 to 23 ms each under the
// preview's Wine engine; a login stays under 300 ms. The site rewrites a digest of fewer
// rounds than its own at the next login.
inline constexpr int kPasswordRounds = 4;
inline constexpr std::size_t kSaltLength = 22;  // Base64 characters: 132 random bits

// "$p" + rounds + "$" + salt + the first 16 bytes of PBKDF2(UTF-8 password, salt, rounds) in
// Base64 without padding: 48 characters for rounds under 10, 49 under 100, so it fits a
// 50-character column.
std::string passwordHash(std::string_view salt, std::string_view utf8Password, int rounds = kPasswordRounds);

// A fresh salt of kSaltLength Base64 characters from the system's generator.
std::string randomSalt();

}  // namespace tabulon::generator
