#include "front_link.h"

#include <algorithm>

#include "base/ascii_text.h"

namespace tabulon::preview::host {

bool sameKey(std::string_view given, std::string_view expected) {
    if (given.size() != expected.size() || expected.empty()) return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) difference |= static_cast<unsigned char>(given[i] ^ expected[i]);
    return difference == 0;
}

bool isAddressText(std::string_view text) {
    if (text.empty() || text.size() > 45) return false;
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '.' || c == ':';
    });
}

std::optional<std::string> admitFromFront(HttpRequest& request, std::string_view key) {
    std::optional<std::string> givenKey, client;
    bool doubled = false;
    std::erase_if(request.headers, [&](const std::pair<std::string, std::string>& header) {
        if (equalsIgnoringCase(header.first, kHostKeyHeader)) {
            doubled = doubled || givenKey.has_value();
            givenKey = header.second;
            return true;
        }
        if (equalsIgnoringCase(header.first, kClientHeader)) {
            doubled = doubled || client.has_value();
            client = header.second;
            return true;
        }
        return equalsIgnoringCase(header.first, "X-Forwarded-For");
    });
    if (doubled || !givenKey || !sameKey(*givenKey, key)) return std::nullopt;
    if (!client || !isAddressText(*client)) return std::nullopt;
    return client;
}

}  // namespace tabulon::preview::host
