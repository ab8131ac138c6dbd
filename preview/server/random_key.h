#pragma once
// Secrets for the link to the ASP host, from the kernel's cryptographic generator.
#include <cstddef>
#include <string>

namespace tabulon::preview {

// `bytes` random bytes as lower-case hex. Throws tabulon::Error when the kernel cannot
// give them (never falls back to anything guessable).
std::string randomHexKey(std::size_t bytes = 32);

}  // namespace tabulon::preview
