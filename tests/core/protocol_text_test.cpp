// The small text helpers every part shares: white space as scanf sees it, trimming, the
// first word.
#include "Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace orvane;

TEST(TextHelpers, WhiteSpaceIsWhatScanfSkips) {
    for (int c = -128; c < 128; ++c) {
        const char ch = static_cast<char>(c);
        const bool want =
            ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
        EXPECT_EQ(text::IsSpace(ch), want) << "byte " << c;
    }
}

TEST(TextHelpers, TrimTakesOnlyTheGivenCharactersFromBothEnds) {
    struct Case {
        std::string in;
        std::string set; // empty: all white space
        std::string want;
    };
    const std::vector<Case> cases = {
        {"  10.0.0.5\t", "", "10.0.0.5"},
        {"\r\n host \v\f", "", "host"},
        {"a b", "", "a b"}, // inside stays
        {"   ", "", ""},
        {"", "", ""},
        {" \t10.0.0.5\n", " \t", "10.0.0.5\n"}, // a line feed is no blank or tab
        {"\t\t", " \t", ""},
        {"x", " \t", "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        const std::string got(c.set.empty() ? text::Trim(c.in) : text::Trim(c.in, c.set));
        EXPECT_EQ(got, c.want);
    }
}

TEST(TextHelpers, FirstWordEndsAtAnyWhiteSpace) {
    struct Case {
        std::string in;
        std::string want;
    };
    const std::vector<Case> cases = {
        {"555 Ann Lee", "555"}, {"\t 030 123", "030"}, {"0301234\n", "0301234"},
        {"one", "one"},         {" \r\n", ""},         {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::string(text::FirstWord(c.in)), c.want) << c.in;
}
