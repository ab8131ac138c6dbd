// The tree's one set of ASCII text helpers: they must leave every non-ASCII byte alone, so
// GBK trail bytes and UTF-8 never change case or get trimmed, whatever the locale says.
#include "base/ascii_text.h"

#include <gtest/gtest.h>

#include <clocale>

namespace tabulon {
namespace {

TEST(AsciiText, CaseChangesOnlyAsciiLetters) {
    std::string every;
    for (int c = 0; c < 256; ++c) every += static_cast<char>(c);
    const std::string lower = asciiLowered(every);
    const std::string upper = asciiUppered(every);
    for (int c = 0; c < 256; ++c) {
        const bool upperLetter = c >= 'A' && c <= 'Z', lowerLetter = c >= 'a' && c <= 'z';
        EXPECT_EQ(static_cast<unsigned char>(lower[c]), upperLetter ? c + 32 : c) << c;
        EXPECT_EQ(static_cast<unsigned char>(upper[c]), lowerLetter ? c - 32 : c) << c;
    }
    EXPECT_FALSE(equalsIgnoringCase("\xC4", "\xE4"));  // Latin-1 upper and lower A-umlaut
    EXPECT_TRUE(equalsIgnoringCase("Content-LENGTH", "content-length"));
    EXPECT_FALSE(equalsIgnoringCase("abc", "abcd"));
}

TEST(AsciiText, ResultsDoNotDependOnTheLocale) {
    const char* before = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = before ? before : "C";
    if (std::setlocale(LC_CTYPE, "tr_TR.ISO-8859-9") || std::setlocale(LC_CTYPE, "de_DE.ISO-8859-1")) {
        EXPECT_EQ(asciiLowered("I\xC4\xDD"), "i\xC4\xDD");
        EXPECT_EQ(asciiUppered("i\xE4\xFD"), "I\xE4\xFD");
    }
    std::setlocale(LC_CTYPE, saved.c_str());
}

TEST(AsciiText, OrderIgnoresCaseAndIsStrict) {
    EXPECT_TRUE(lessIgnoringCase("abc", "ABD"));
    EXPECT_FALSE(lessIgnoringCase("ABC", "abc"));
    EXPECT_FALSE(lessIgnoringCase("abc", "ABC"));
    EXPECT_TRUE(lessIgnoringCase("ab", "ABC"));
    EXPECT_TRUE(lessIgnoringCase("z", "\x81"));  // bytes above 127 sort last, as unsigned
    EXPECT_TRUE(startsWithIgnoringCase("ASPSESSIONIDabc=1", "aspsessionid"));
    EXPECT_FALSE(startsWithIgnoringCase("ASP", "aspsession"));
}

TEST(AsciiText, TrimmingTakesOnlyTheBlanksAsked) {
    EXPECT_EQ(trimAscii(" \t a b \t "), "a b");
    EXPECT_EQ(trimAscii("\r\n a \r\n"), "\r\n a \r\n");
    EXPECT_EQ(trimAscii("\r\n a \r\n", " \r\n"), "a");
    EXPECT_EQ(trimAscii("   "), "");
    EXPECT_EQ(trimAscii(""), "");
    EXPECT_EQ(trimAscii("\xA1\xA1"), "\xA1\xA1");  // a GBK full-width space is not ASCII
}

TEST(AsciiText, PercentDecoding) {
    EXPECT_EQ(percentDecode("a+b%2", true), "a b%2");
    EXPECT_EQ(percentDecode("a+b", false), "a+b");
    EXPECT_EQ(percentDecode("%41%4a%zz%", false), "AJ%zz%");
    EXPECT_EQ(percentDecode("%D6%D0%00", false), std::string("\xD6\xD0\0", 3));
    EXPECT_EQ(percentDecodeStrict("a%20b+c%e4%b8%ad"), "a b+c\xe4\xb8\xad");
    EXPECT_FALSE(percentDecodeStrict("%"));
    EXPECT_FALSE(percentDecodeStrict("%2"));
    EXPECT_FALSE(percentDecodeStrict("ab%g0"));
    // Every byte survives a round trip through %XX.
    std::string every, encoded;
    for (int c = 0; c < 256; ++c) {
        every += static_cast<char>(c);
        char escape[4];
        std::snprintf(escape, sizeof escape, "%%%02x", c);
        encoded += escape;
    }
    EXPECT_EQ(percentDecode(encoded, true), every);
    EXPECT_EQ(percentDecodeStrict(encoded), every);
}

}  // namespace
}  // namespace tabulon
