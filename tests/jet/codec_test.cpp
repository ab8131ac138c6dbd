// Text forms, sort keys and the header mask.
#include <gtest/gtest.h>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/header_page.h"
#include "jet/sort_key.h"
#include "jet/text_codec.h"

namespace tabulon::jet {
namespace {

std::string hex(std::string_view bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST(TextCodec, Utf8RoundTripsThroughUtf16IncludingSurrogatePairs) {
    for (const std::string text : {"", "abc", "中文名称", "mixed 混合 text", "emoji 😀 pair", "é ü ß"}) {
        EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(text, "t")), text);
    }
    EXPECT_EQ(utf8ToUtf16("😀", "t").size(), 2u);
}

TEST(TextCodec, RejectsMalformedUtf8) {
    for (const std::string bad : {"\xC3", "\xE4\xB8", "\xC0\x80", "\xED\xA0\x80", "\xF5\x80\x80\x80", "a\x80"}) {
        EXPECT_FALSE(tryUtf8ToUtf16(bad).has_value()) << hex(bad);
    }
    EXPECT_THROW(utf8ToUtf16("\xFF", "值"), Error);
}

// UTF-8 of a code point, written independently of the codec.
std::string utf8Of(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

TEST(TextCodec, DecodesEveryCodePointAndRefusesItsCutForms) {
    int wrong = 0;
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp == 0xD800) cp = 0xE000;
        const std::string bytes = utf8Of(cp) + "z";
        const auto c = decodeUtf8At(bytes, 0);
        if (!c || c->codePoint != cp || c->length != bytes.size() - 1) ++wrong;
        for (std::size_t cut = 1; cut + 1 < bytes.size(); ++cut)
            if (decodeUtf8At(std::string_view(bytes).substr(0, cut), 0)) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(TextCodec, RefusesSurrogatesOverlongFormsBadLeadAndFollowBytes) {
    for (char32_t cp = 0xD800; cp <= 0xDFFF; ++cp) EXPECT_FALSE(decodeUtf8At(utf8Of(cp), 0)) << "surrogate";
    for (const std::string bad :
         {"\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF",
          "\x80", "\xBF", "\xC3\x28", "\xE4\xB8\x28", "\xF0\x9F\x98\x28"})
        EXPECT_FALSE(decodeUtf8At(bad, 0)) << hex(bad);
    EXPECT_EQ(decodeUtf8At("a\xC3\xA9", 1)->codePoint, 0xE9u) << "decodes from the given byte";
}

TEST(TextCodec, WritesUtf16WithoutAllocatingAsTheStringFormsDo) {
    for (const std::string text : {"", "abc", "中文名称", "mixed 混合 text", "emoji 😀 pair", "é ü ß"}) {
        const std::u16string expected = utf8ToUtf16(text, "t");
        EXPECT_EQ(utf16Length(text), expected.size());
        char16_t units[8] = {};
        EXPECT_EQ(writeUtf16(text, units, 8), expected.size());
        EXPECT_EQ(std::u16string(units, std::min<std::size_t>(8, expected.size())), expected.substr(0, 8))
            << "at most the capacity is written";
        std::string bytes(2 * text.size(), '\0');
        char* end = writeUtf16le(text, bytes.data());
        ASSERT_NE(end, nullptr);
        EXPECT_EQ(std::string(bytes.data(), end), utf16leBytes(expected));
    }
    char16_t unit = 0;
    char byte[4] = {};
    for (const std::string bad : {"\xC3", "ab\xE4\xB8", "\xED\xA0\x80"}) {
        EXPECT_FALSE(utf16Length(bad));
        EXPECT_FALSE(writeUtf16(bad, &unit, 1));
        EXPECT_EQ(writeUtf16le(bad, byte), nullptr);
    }
}

TEST(TextCodec, CompressesOnlyLatin1TextOfMoreThanTwoCharacters) {
    EXPECT_EQ(hex(encodeJetText(u"One", true, false)), "FF FE 4F 6E 65");
    EXPECT_EQ(hex(encodeJetText(u"On", true, false)), "4F 00 6E 00");
    EXPECT_EQ(hex(encodeJetText(u"One", false, false)), "4F 00 6E 00 65 00");
    // U+4E00 has a zero byte, so Chinese text stays plain UTF-16LE.
    EXPECT_EQ(hex(encodeJetText(u"一二三", true, false)), "00 4E 8C 4E 09 4E");
    EXPECT_EQ(encodeJetText(std::u16string(1024, u'm'), true, true).size(), 1026u);
    EXPECT_EQ(encodeJetText(std::u16string(1025, u'm'), true, true).size(), 2050u);
    EXPECT_EQ(encodeJetText(std::u16string(1025, u'm'), true, false).size(), 1027u);
}

TEST(TextCodec, DropsALeadingByteOrderMarkThatWouldLookLikeTheCompressionMarker) {
    EXPECT_EQ(decodeJetText(encodeJetText(u"\uFEFF\u4E2D", true, false)), u"\u4E2D");
}

TEST(TextCodec, DecodesEveryFormItWritesAndMixedSegments) {
    for (std::u16string_view text : {u"abc", u"中文", u"x", u"ä ö ü", u""}) {
        for (bool compressible : {false, true})
            EXPECT_EQ(decodeJetText(encodeJetText(text, compressible, false)), text);
    }
    // FF FE, "ab" compressed, 00 switches to UTF-16 for U+4E2D, 00 back, "c".
    EXPECT_EQ(decodeJetText(std::string("\xFF\xFE"
                                        "ab\x00\x2D\x4E\x00"
                                        "c",
                                        9)),
              u"ab\u4E2Dc");
}

TEST(SortKey, MatchesTheKeysJetWroteForItsOwnNames) {
    // Text part of the MSysObjects (ParentId, Name) entry Jet wrote for "Tables".
    EXPECT_EQ(hex(*generalTextKey(u"Tables")), "7F 6D 4A 4C 5E 51 6B 01 00");
    EXPECT_EQ(hex(*generalTextKey(u"MSysDb")), "7F 60 6B 76 6B 4F 4C 01 00");
}

TEST(SortKey, EncodesIdeographsDigitsAndUnderscore) {
    EXPECT_EQ(hex(*generalTextKey(u"中")), "7F 9F 3D 01 00");
    EXPECT_EQ(hex(*generalTextKey(u"文")), "7F B6 F6 01 00");
    EXPECT_EQ(hex(*generalTextKey(u"产品信息")), "7F 9F C1 A5 FE A1 06 B1 D4 01 00");
    EXPECT_EQ(hex(*generalTextKey(u"\u4E00\u4E01\u9FA5")), "7F 9F 02 9F 06 F1 B4 01 00");
    EXPECT_EQ(hex(*generalTextKey(u"a_09")), "7F 4A 2B 03 36 48 01 00");
}

TEST(SortKey, FoldsCaseAndFullWidthFormsAndDropsTrailingSpaces) {
    EXPECT_EQ(generalTextKey(u"Users"), generalTextKey(u"uSERS"));
    EXPECT_EQ(generalTextKey(u"Ｕｓｅｒ１"), generalTextKey(u"user1"));
    EXPECT_EQ(generalTextKey(u"ab  "), generalTextKey(u"ab"));
    EXPECT_NE(generalTextKey(u"ab"), generalTextKey(u"abc"));
}

TEST(SortKey, KeysOrderLikeTheNamesUnderTheGeneralSortOrder) {
    EXPECT_LT(*generalTextKey(u"apple"), *generalTextKey(u"Banana"));
    EXPECT_LT(*generalTextKey(u"ab"), *generalTextKey(u"abc"));
    EXPECT_LT(*generalTextKey(u"9"), *generalTextKey(u"a"));
    EXPECT_LT(*generalTextKey(u"z"), *generalTextKey(u"一"));
}

TEST(SortKey, RefusesCharactersWithoutAnImplementedCode) {
    for (std::u16string_view text : {u"a-b", u"it's", u"é", u"\u3400", u"《表》"}) {
        EXPECT_FALSE(generalTextKey(text).has_value());
    }
}

TEST(HeaderPage, Rc4MatchesAPublishedTestVector) {
    EXPECT_EQ(hex(rc4Keystream("Key", 10)), "EB 9F 77 81 B7 34 CA 72 A7 19");
}

TEST(HeaderPage, UnmaskedFieldsDescribeAnUnencryptedJet4FileWithoutPassword) {
    std::string page = buildHeaderPage();
    ASSERT_EQ(page.size(), kPageSize);
    EXPECT_NO_THROW(checkHeaderPage(page));
    const std::string stream = rc4Keystream(std::string_view("\xC7\xDA\x39\x6B", 4), 128);
    for (std::size_t i = 0; i < 128; ++i) page[0x18 + i] ^= stream[i];
    EXPECT_EQ(getU8(page, 0x14), 1);      // Jet 4
    EXPECT_EQ(getU16(page, 0x6E), 1033);  // General sort order
    EXPECT_EQ(getU32(page, 0x3E), 0u);    // no database key
    const double created = getDouble(page, 0x72);
    // An empty password is the creation-day mask repeated.
    for (std::size_t at = 0x42; at < 0x6A; at += 4) EXPECT_EQ(getU32(page, at), static_cast<std::uint32_t>(created));
}

TEST(HeaderPage, RejectsOtherFilesAndVersions) {
    EXPECT_THROW(checkHeaderPage(std::string(kPageSize, '\0')), Error);
    std::string jet3 = buildHeaderPage();
    jet3[0x14] = 0;
    EXPECT_THROW(checkHeaderPage(jet3), Error);
    std::string encrypted = buildHeaderPage();
    encrypted[0x3E] ^= 1;
    EXPECT_THROW(checkHeaderPage(encrypted), Error);
}

TEST(SortKey, NamesTheCharactersThatHaveACode) {
    for (std::uint32_t c = 0; c <= 0xFFFF; ++c) {
        const char16_t text[] = {u'a', static_cast<char16_t>(c)};
        ASSERT_EQ(hasGeneralSortCode(static_cast<char16_t>(c)),
                  generalTextKey(std::u16string_view(text, 2)).has_value())
            << std::hex << c;
    }
}

TEST(SortKey, IdeographsSortInCodePointOrder) {
    std::string previous = *generalTextKey(u"\u4E00");
    for (char16_t c = 0x4E01; c <= 0x9FA5; ++c) {
        const std::string key = *generalTextKey(std::u16string(1, c));
        ASSERT_LT(previous, key) << std::hex << static_cast<unsigned>(c);
        previous = key;
    }
}

}  // namespace
}  // namespace tabulon::jet
