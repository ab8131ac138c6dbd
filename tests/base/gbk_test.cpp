// The GBK encoder must write exactly what iconv writes, for every character.
#include <gtest/gtest.h>

#include <iconv.h>

#include "base/error.h"
#include "base/gbk.h"

namespace tabulon::gbk {
namespace {

std::string utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// iconv's answer for one character: its GBK bytes, or nothing.
std::optional<std::string> iconvGbk(iconv_t cd, const std::string& utf8) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char out[16];
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size(), outLeft = sizeof out;
    char* dst = out;
    if (iconv(cd, &in, &inLeft, &dst, &outLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
    return std::string(out, static_cast<std::size_t>(dst - out));
}

TEST(Gbk, AgreesWithIconvOnEveryBmpCharacter) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::size_t encodable = 0;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;  // surrogates are not characters
        const std::string text = utf8Of(c);
        const auto expected = iconvGbk(cd, text);
        const auto actual = encode(text);
        ASSERT_EQ(static_cast<bool>(actual), expected.has_value()) << std::hex << static_cast<unsigned>(c);
        if (expected) {
            ASSERT_EQ(actual.bytes, *expected) << std::hex << static_cast<unsigned>(c);
            ++encodable;
        }
    }
    iconv_close(cd);
    EXPECT_GT(encodable, 21000u);
}

// Long ASCII runs are copied in blocks: a character before, inside or after a block, at
// every offset, and a failure at every offset, must come out as for a lone character.
TEST(Gbk, MixedTextAgreesWithIconvAtEveryOffset) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    const std::string ascii = "<td align=\"center\">Response.Write rs(\"x\")</td>\r\n";
    for (std::size_t cut = 0; cut <= 24; ++cut) {
        for (const std::string wide : {"学", "\xC2\xB7", "€"}) {
            const std::string text = ascii.substr(0, cut) + wide + ascii + wide + ascii.substr(cut);
            const std::string gbkWide = iconvGbk(cd, wide).value_or("?");  // ASCII stays as it is
            const std::string expected = ascii.substr(0, cut) + gbkWide + ascii + gbkWide + ascii.substr(cut);
            const auto actual = encode(text);
            ASSERT_TRUE(actual) << cut;
            EXPECT_EQ(actual.bytes, expected) << cut;
        }
        const auto failed = encode(ascii.substr(0, cut) + "😀" + ascii);
        ASSERT_FALSE(failed) << cut;
        EXPECT_EQ(failed.failure->offset, cut);
    }
    iconv_close(cd);
}

TEST(Gbk, FailureNamesTheFirstUnencodableCharacter) {
    const auto result = encode("学生😀表");
    ASSERT_FALSE(result);
    EXPECT_EQ(result.failure->offset, 6u);
    EXPECT_EQ(result.failure->character, "😀");
    EXPECT_TRUE(result.bytes.empty());
    EXPECT_FALSE(encode(std::string("\xE5\xAD", 2))) << "a cut UTF-8 sequence is not text";
}

TEST(Gbk, RoundTripsChineseAndKeepsControlCharacters) {
    const std::string text = "学生\r\n\t表 ：，ａ";
    const auto encoded = encode(text);
    ASSERT_TRUE(encoded);
    EXPECT_EQ(encoded.bytes.substr(0, 4), "\xD1\xA7\xC9\xFA");
    EXPECT_EQ(decode(encoded.bytes), text);
    EXPECT_THROW(decode("\xFF\xFF"), Error);
}

}  // namespace
}  // namespace tabulon::gbk
