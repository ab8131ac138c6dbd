#pragma once
// Jet's 17-byte decimal (NUMERIC) values.

#include <optional>
#include <string>
#include <string_view>

namespace tabulon::jet {

// Sign byte (0x80 negative), then the unscaled value as four 32-bit words,
// most significant word first, each little-endian.
std::string encodeDecimal(bool negative, std::string_view unscaledDigits);

// The value as text with exactly `scale` decimals: "-12.50".
std::string decodeDecimal(std::string_view bytes, int scale);

struct ScaledDecimal {
    bool negative = false;
    std::string digits;  // unscaled, no leading zeros ("0" for zero)
};

// Reads "-123.456" at `scale` decimals, rounding half away from zero.
// nullopt when the text is not a plain decimal number.
std::optional<ScaledDecimal> scaleDecimal(std::string_view text, int scale);

}  // namespace tabulon::jet
