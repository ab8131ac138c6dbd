#include "generator/text/fragment.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace tabulon::generator {

std::string fill(std::string_view fragment, std::initializer_list<Substitution> values) {
    std::size_t valueBytes = 0;
    for (const auto& value : values) valueBytes += value.second.size();
    std::string out;
    out.reserve(fragment.size() + valueBytes);
    fillInto(out, fragment, values);
    return out;
}

void fillInto(std::string& out, std::string_view fragment, std::initializer_list<Substitution> values) {
    // One bit per value: fragments take a handful of values, never more than 64.
    if (values.size() > 64) throw std::logic_error("fragment filled with more than 64 values");
    std::uint64_t used = 0;
    std::size_t position = 0;
    while (position < fragment.size()) {
        const std::size_t open = fragment.find('$', position);
        if (open == std::string_view::npos) {
            out.append(fragment.substr(position));
            break;
        }
        out.append(fragment.substr(position, open - position));
        const std::size_t close = fragment.find('$', open + 1);
        if (close == std::string_view::npos)
            throw std::logic_error("fragment has an unterminated placeholder: " + std::string(fragment.substr(open)));
        const std::string_view name = fragment.substr(open + 1, close - open - 1);
        if (name.empty()) {
            out += '$';
        } else {
            std::size_t index = 0;
            for (const auto& [key, value] : values) {
                if (key == name) break;
                ++index;
            }
            if (index == values.size())
                throw std::logic_error("fragment placeholder has no value: " + std::string(name));
            out.append(values.begin()[index].second);
            used |= std::uint64_t{1} << index;
        }
        position = close + 1;
    }
    std::size_t index = 0;
    for (const auto& [key, value] : values)
        if (!(used >> index++ & 1))
            throw std::logic_error("value for a placeholder the fragment lacks: " + std::string(key));
}

std::string concat(std::span<const std::string_view> parts) {
    std::size_t size = 0;
    for (const auto part : parts) size += part.size();
    std::string out;
    out.reserve(size);
    for (const auto part : parts) out.append(part);
    return out;
}

bool replaceFirst(std::string& text, std::string_view from, std::string_view to) {
    return replaceLeading(text, from, to, 1) == 1;
}

std::size_t replaceLeading(std::string& text, std::string_view from, std::string_view to, std::size_t count) {
    if (from.empty()) return 0;
    std::size_t replaced = 0;
    std::size_t position = 0;
    while (replaced < count) {
        position = text.find(from, position);
        if (position == std::string::npos) break;
        text.replace(position, from.size(), to);
        position += to.size();
        ++replaced;
    }
    return replaced;
}

double leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    bool point = false;
    while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || (text[i] == '.' && !point))) {
        point = point || text[i] == '.';
        number += text[i++];
    }
    // from_chars reads "." as the decimal point whatever the C locale says (strtod would
    // read "3.5" as 3 under a locale that writes 3,5); it takes no "+".
    std::string_view digits = number;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    double value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

}  // namespace tabulon::generator
