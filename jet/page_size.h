#pragma once

#include <cstddef>

namespace tabulon::jet {

// Jet 4 pages are 4 KB; page n starts at byte n * kPageSize of the file.
inline constexpr std::size_t kPageSize = 4096;

}  // namespace tabulon::jet
