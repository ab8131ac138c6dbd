#pragma once
// How the ASP host knows a request came from the preview's front server: the front starts
// the host with a random key in its environment and sends it with every request. A request
// without it (a browser or another program on this machine reaching the host's loopback
// port) is refused, and only an admitted request's client address is believed.
#include <optional>
#include <string>
#include <string_view>

#include "http_request.h"

namespace tabulon::preview::host {

inline constexpr const char* kHostKeyVariable = "TABULON_HOST_KEY";
inline constexpr std::string_view kHostKeyHeader = "X-Tabulon-Host-Key";
inline constexpr std::string_view kClientHeader = "X-Tabulon-Client";
// Keys shorter than this are refused at start-up: they could be guessed.
inline constexpr std::size_t kShortestHostKey = 32;

// The client's address when `request` carries `key`, with the link's headers and any
// client-sent X-Forwarded-For taken out; nothing when the key is missing or wrong.
std::optional<std::string> admitFromFront(HttpRequest& request, std::string_view key);

// Compares in time that depends only on the lengths, so the key cannot be found byte by byte.
bool sameKey(std::string_view given, std::string_view expected);

// An IPv4 or IPv6 address in text ("127.0.0.1", "::1"), nothing else.
bool isAddressText(std::string_view text);

}  // namespace tabulon::preview::host
