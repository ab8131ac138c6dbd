#include "system_random.h"

#include <windows.h>

#include <bcrypt.h>

#include <stdexcept>

namespace tabulon::preview::host {

void systemRandom(unsigned char* bytes, std::size_t count) {
    const NTSTATUS status = BCryptGenRandom(nullptr, bytes, static_cast<ULONG>(count), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (status < 0) throw std::runtime_error("the system's random generator failed");
}

}  // namespace tabulon::preview::host
