#pragma once
// The fixed parts of a table definition (TDEF), shared by its encoder and decoder.

#include <cstddef>
#include <cstdint>

namespace tabulon::jet::tdef_format {

inline constexpr std::uint8_t kTdefPage = 0x02;
inline constexpr std::uint32_t kTdefMagic = 0x0659;  // also opens column and logical-index blocks
inline constexpr std::uint32_t kRealIndexMagic = 0x0783;
inline constexpr std::size_t kPageHeader = 8;
inline constexpr std::size_t kHeaderLength = 63;
inline constexpr std::size_t kRealIndexHeader = 12;  // row count slot of each real index
inline constexpr std::size_t kColumnBlock = 25;
inline constexpr std::size_t kRealIndexBlock = 52;
inline constexpr std::size_t kLogicalIndexBlock = 28;
inline constexpr std::size_t kLongValueMapBlock = 10;
inline constexpr std::size_t kEndMarker = 2;
inline constexpr std::size_t kIndexSlots = 10;
inline constexpr std::uint8_t kUserTable = 0x4E;
inline constexpr std::uint8_t kSystemTable = 0x53;
// Jet writes 04 04 into the two cascade bytes of every ordinary logical index.
inline constexpr std::uint8_t kNoCascade = 0x04;

}  // namespace tabulon::jet::tdef_format
