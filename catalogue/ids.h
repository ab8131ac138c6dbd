#pragma once
// Ids as the catalogue's link columns store them: decimal text.
#include <optional>
#include <string_view>

#include "catalogue/records.h"

namespace tabulon::catalogue {

// Reads a decimal id the way the link columns store it: "26" -> 26, " 7 " -> 7; anything
// else ("", "abc", "1.5") is no id.
std::optional<Id> parseId(std::string_view text);

}  // namespace tabulon::catalogue
