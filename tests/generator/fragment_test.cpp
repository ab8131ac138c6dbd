// The fragment printer and text replacements that every page relies on.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tabulon::generator
