#pragma once
// Index keys for text under Jet's "General" (legacy, LCID 1033 v0) sort order.
// Only the characters Tabulon allows in table names are implemented: ASCII
// letters and digits, '_', space, their full-width forms, and the CJK Unified
// Ideographs U+4E00..U+9FA5. All of them have a plain ("simple") code.

#include <optional>
#include <string>
#include <string_view>

namespace tabulon::jet {

bool hasGeneralSortCode(char16_t c);

// Key bytes of one text column inside an index entry: 7F, the characters'
// codes, 01 00. Letters compare case-insensitively, full-width forms equal
// their ASCII forms. nullopt when a character has no implemented code.
std::optional<std::string> generalTextKey(std::u16string_view text);

}  // namespace tabulon::jet
