#pragma once
// What the host keeps across its own restarts: the session cookie's name, the Application
// values and every live session with its values, written to a file of the preview's own.
// The format is the host's alone; a damaged or foreign file reads as nothing.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tabulon::preview::host {

// One value as a VARIANT held it: its type number and the payload that type uses.
struct StoredValue {
    enum class Payload : std::uint8_t { None, Integer, Number, Text, Bytes, Array };
    std::uint16_t type = 0;  // the VARTYPE to restore
    Payload payload = Payload::None;
    std::int64_t integer = 0;  // integers, booleans, currency's raw 64 bits
    double number = 0;         // floating point numbers and dates
    std::u16string text;       // strings, exactly as the engine held them
    std::string bytes;         // DECIMAL's 16 bytes
    // Arrays: the lower bound and the count of each dimension, then the items in the order
    // a SAFEARRAY keeps them (the first dimension changes fastest).
    std::vector<std::pair<std::int32_t, std::uint32_t>> bounds;
    std::vector<StoredValue> items;

    bool operator==(const StoredValue&) const = default;
};

using StoredValues = std::vector<std::pair<std::u16string, StoredValue>>;

struct StoredSession {
    std::string cookieValue;
    std::int32_t id = 0;
    std::int32_t timeoutMinutes = 20;
    std::int64_t lastUse = 0;  // seconds since 1970, UTC
    StoredValues values;

    bool operator==(const StoredSession&) const = default;
};

struct StoredState {
    std::string cookieName;
    StoredValues application;
    std::vector<StoredSession> sessions;

    bool operator==(const StoredState&) const = default;
};

// Arrays inside arrays deeper than this are not kept (VBScript makes them only by hand).
inline constexpr int kDeepestStoredArray = 16;

std::string encodeState(const StoredState& state);
// Nothing when the bytes are not a whole state in this format.
std::optional<StoredState> decodeState(std::string_view bytes);

}  // namespace tabulon::preview::host
