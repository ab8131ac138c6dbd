// The fragment printer and text replacements that every page relies on.
#include <gtest/gtest.h>

#include <clocale>
#include <stdexcept>

#include "generator/pages/page_safety.h"
#include "generator/text/fragment.h"

namespace tabulon::generator {
namespace {

TEST(Fill, SubstitutesWithoutEscapingOrReindenting) {
    EXPECT_EQ(fill("a $x$\r\n\tb \"$y$\" $x$", {{"x", "<&\">"}, {"y", "\\r\\n"}}), "a <&\">\r\n\tb \"\\r\\n\" <&\">");
    EXPECT_EQ(fill("cost: $$5", {}), "cost: $5");
}

TEST(Fill, MissingOrUnusedValuesAreLoudDefects) {
    EXPECT_THROW(fill("$missing$", {}), std::logic_error);
    EXPECT_THROW(fill("no placeholder", {{"extra", "x"}}), std::logic_error);
    EXPECT_THROW(fill("$open", {}), std::logic_error);
}

TEST(Replace, FirstOccurrenceFromTheStartCaseSensitive) {
    std::string text = "Ab ab ab";
    EXPECT_TRUE(replaceFirst(text, "ab", "X"));
    EXPECT_EQ(text, "Ab X ab");
    EXPECT_FALSE(replaceFirst(text, "zz", "Y"));

    std::string three = "c12 c12 c12";
    EXPECT_EQ(replaceLeading(three, "c12", "c1234", 2), 2u);
    EXPECT_EQ(three, "c1234 c1234 c12") << "the replacement is not searched again";
}

TEST(LeadingNumber, ReadsLikeVal) {
    EXPECT_EQ(leadingNumber("26"), 26);
    EXPECT_EQ(leadingNumber(" 3.5x"), 3.5);
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(leadingNumber("abc"), 0);
    EXPECT_EQ(leadingNumber("-2"), -2);
    EXPECT_EQ(leadingNumber("+.5"), 0.5);
    EXPECT_EQ(leadingNumber("-."), 0);
    EXPECT_EQ(leadingNumber("1.2.3"), 1.2);
}

// A cascade id such as "0.5" reads the same whatever decimal separator the C locale uses.
TEST(LeadingNumber, IgnoresTheLocalesDecimalSeparator) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* comma = nullptr;
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8", "de_DE", "fr_FR"})
        if (std::setlocale(LC_NUMERIC, name)) {
            comma = name;
            break;
        }
    if (!comma) GTEST_SKIP() << "no locale with a decimal comma is installed";
    const double half = leadingNumber("0.5"), value = leadingNumber(" 3.25x");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(half, 0.5) << comma;
    EXPECT_EQ(value, 3.25) << comma;
}

// The form token goes after the first form tag, however its letters are cased.
TEST(FormToken, FollowsTheFirstFormTagInAnyCase) {
    std::string page = "<html>\r\n<FORM Name=\"a\" method=\"post\">\r\n<form name=\"b\">";
    ASSERT_TRUE(addFormToken(page, "<form name=\"a\""));
    EXPECT_EQ(page,
              "<html>\r\n<FORM Name=\"a\" method=\"post\">\r\n" + std::string(kTokenInput) + "\r\n<form name=\"b\">");
    std::string none = "<html><body>no form</body></html>";
    EXPECT_FALSE(addFormToken(none));
    EXPECT_EQ(none, "<html><body>no form</body></html>");
    std::string cut = "text <form";
    EXPECT_FALSE(addFormToken(cut)) << "a tag that never closes gets no token";
    std::string shortTail = "<p>text</p><fo";
    EXPECT_FALSE(addFormToken(shortTail)) << "a tag cut short at the end of the page";
    std::string afterOthers = "<<fo<formx<p><fORm>";
    ASSERT_TRUE(addFormToken(afterOthers));
    EXPECT_EQ(afterOthers, "<<fo<formx<p>\r\n" + std::string(kTokenInput) + "<fORm>");
}

// However a page is cut into parts, the finished page is the same: the code page line in
// front unless the page has its own directive, the token after the first matching form tag.
TEST(FinishedPage, PartsCutAnywhereGiveThePageAddFormTokenGives) {
    const std::string pages[] = {
        "<html>\r\n<FORM Name=\"a\" method=\"post\">\r\n<form name=\"b\">",
        "<%@ LANGUAGE=VBScript %>\r\n<p>表</p><form\r\n action=x>tail",
        "<%@ no form here %>",
        "<fo<for<form",
        "<<formx<p>>",
    };
    const std::string codePage = "<%@ CODEPAGE=936 %>\r\n";
    for (const auto& page : pages) {
        std::string expected = page;
        addFormToken(expected);
        if (!page.starts_with("<%@")) expected = codePage + expected;
        std::string untouched = page.starts_with("<%@") ? page : codePage + page;
        EXPECT_EQ(finishedPage({page}, "<form"), expected) << page;
        EXPECT_EQ(finishedPage({page}, std::nullopt), untouched) << page;
        // Every way of cutting the page in three.
        for (std::size_t a = 0; a <= page.size(); ++a)
            for (std::size_t b = a; b <= page.size(); ++b) {
                const std::string_view view = page;
                const std::string_view parts[] = {view.substr(0, a), view.substr(a, b - a), view.substr(b)};
                ASSERT_EQ(finishedPage(parts, "<form"), expected) << page << " cut at " << a << "," << b;
                ASSERT_EQ(finishedPage(parts, std::nullopt), untouched) << page << " cut at " << a << "," << b;
            }
    }
}

}  // namespace
}  // namespace tabulon::generator
