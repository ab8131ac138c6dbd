#pragma once
// SHA-256 (FIPS 180-4) and the salted password digest that the site's inc/sha256.asp
// computes the same way, so an account written here logs in there.
#include <string>
#include <string_view>

namespace tabulon::generator {

// Lower-case hex digest of the bytes of `data`.
std::string sha256Hex(std::string_view data);

// "$" + salt + "$" + the first 32 hex digits of SHA-256(salt + UTF-8 password): 50 characters.
// `salt` is 16 lower-case hex digits.
std::string passwordHash(std::string_view salt, std::string_view utf8Password);

// A fresh random 16-digit salt.
std::string randomSalt();

}  // namespace tabulon::generator
