#pragma once
// Conversion between the UTF-8 text Tabulon keeps in memory and the GBK (code page 936)
// bytes of generated files and of naming rules that work on GBK bytes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tabulon::gbk {

// The first character of a UTF-8 text that GBK cannot represent.
struct Unencodable {
    std::size_t offset;     // byte offset in the UTF-8 text
    std::string character;  // that character, as UTF-8
};

struct Encoded {
    std::string bytes;  // GBK bytes, valid when `failure` is empty
    std::optional<Unencodable> failure;
    explicit operator bool() const { return !failure; }
};

// "学a" -> "\xD1\xA7" "a"; an emoji gives a failure naming it.
Encoded encode(std::string_view utf8);

// True when every character of the text has a GBK form.
bool encodable(std::string_view utf8);

// GBK bytes -> UTF-8; an invalid sequence throws tabulon::Error.
std::string decode(std::string_view gbkBytes);

}  // namespace tabulon::gbk
