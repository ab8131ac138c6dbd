#pragma once
// The system's cryptographic random generator (BCryptGenRandom; under Wine it reads the
// Linux kernel's generator).
#include <cstddef>

namespace tabulon::preview::host {

// Fills `bytes`; throws std::runtime_error when the system cannot.
void systemRandom(unsigned char* bytes, std::size_t count);

}  // namespace tabulon::preview::host
