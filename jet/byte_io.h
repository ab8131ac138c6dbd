#pragma once
// Little- and big-endian field access on raw page bytes.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tabulon::jet {

inline void putU8(std::string& out, std::uint8_t v) { out.push_back(static_cast<char>(v)); }

inline void putU16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

inline void putU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

inline void putU32BE(std::string& out, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

inline void putZeros(std::string& out, std::size_t n) { out.append(n, '\0'); }

inline void setU8(char* p, std::uint8_t v) { p[0] = static_cast<char>(v); }

inline void setU16(char* p, std::uint16_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}

inline void setU32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::uint8_t getU8(std::string_view s, std::size_t at) { return static_cast<std::uint8_t>(s[at]); }

inline std::uint16_t getU16(std::string_view s, std::size_t at) {
    return static_cast<std::uint16_t>(getU8(s, at) | (getU8(s, at + 1) << 8));
}

inline std::uint32_t getU32(std::string_view s, std::size_t at) {
    return static_cast<std::uint32_t>(getU8(s, at)) | (static_cast<std::uint32_t>(getU8(s, at + 1)) << 8) |
           (static_cast<std::uint32_t>(getU8(s, at + 2)) << 16) | (static_cast<std::uint32_t>(getU8(s, at + 3)) << 24);
}

inline double getDouble(std::string_view s, std::size_t at) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | getU8(s, at + static_cast<std::size_t>(i));
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

inline void putDouble(std::string& out, double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

// A (row, page) pointer as Jet stores it: row number in the low byte, page above.
inline std::uint32_t rowPointer(std::uint32_t page, std::uint32_t row) { return (page << 8) | (row & 0xFF); }
inline std::uint32_t pointerPage(std::uint32_t pointer) { return pointer >> 8; }
inline std::uint32_t pointerRow(std::uint32_t pointer) { return pointer & 0xFF; }

}  // namespace tabulon::jet
