// Click-to-dial links and the numbers they carry.
#include "DialLink.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

struct LinkCase {
    const char* url;
    const char* number; // nullptr: refused
};

TEST(DialLink, LinksGiveTheirNormalisedNumber) {
    const LinkCase cases[] = {
        {"tel:+49 30 1234-56", "+4930123456"},
        {"tel:+49%2030%201234-56", "+4930123456"},
        {"TEL:0301234", "0301234"},
        {"tel:(030) 12.34/56", "030123456"},
        {"tel://0301234", "0301234"},
        {"tel:*31%23", "*31#"},
        {"tel:*31#", "*31#"},
        {"callto:+4930123", "+4930123"},
        {"callto://+4930123/", "+4930123"},
        {"CallTo:555", "555"},
        {"sip:555@pbx.example.org", "555"},
        {"sip:+1-212-555-1212:secret@gateway.example;user=phone", "+12125551212"},
        {"sips:0301234@10.0.0.1", "0301234"},
        {"sip:777", "777"},
        {"tel:1234567890123456789012345", "1234567890123456789012345"}, // 25: the most
    };
    for (const LinkCase& c : cases) {
        const DialLinkResult r = ParseDialLink(c.url);
        EXPECT_TRUE(r.ok) << c.url << ": " << r.error;
        EXPECT_EQ(r.number, c.number) << c.url;
        EXPECT_TRUE(IsDialLink(c.url)) << c.url;
    }
}

TEST(DialLink, OddAndHostileLinksAreRefusedWithAReason) {
    struct Case {
        const char* url;
        const char* reasonHolds;
    };
    const Case cases[] = {
        {"tel:", "no number"},
        {"tel:+", "no number"},
        {"tel: - ()", "no number"},
        {"callto://", "no number"},
        {"tel:12345678901234567890123456", "longer than 25"},
        {"tel:1-800-FLOWERS", "'F'"},
        {"tel:555;ext=12", "parameters"},
        {"tel:+4930123;phone-context=example.com", "parameters"},
        {"tel:555?body=x", "query"},
        {"sip:alice@example.org", "'a'"},
        {"tel:55+5", "'+' may only begin"},
        {"tel:++49", "'+' may only begin"},
        {"tel:%", "%-escape"},
        {"tel:%4", "%-escape"},
        {"tel:%zz", "%-escape"},
        {"tel:555%00", "0x00"},
        {"tel:555%0a", "0x0A"},
        {"tel:555\x1b[2J", "0x1B"},
        {"tel:5;KEY: 13", "parameters"},
        {"tel:555\xc3\xa9", "0xC3"},
        {"mailto:555", "not a tel:"},
        {"555", "not a tel:"},
        {"", "not a tel:"},
    };
    for (const Case& c : cases) {
        const DialLinkResult r = ParseDialLink(c.url);
        EXPECT_FALSE(r.ok) << c.url << " gave " << r.number;
        EXPECT_TRUE(r.number.empty()) << c.url;
        EXPECT_NE(r.error.find(c.reasonHolds), std::string::npos) << c.url << ": " << r.error;
        // A reason is one line of printable text, whatever the link held.
        for (const char ch : r.error)
            EXPECT_TRUE(ch >= 0x20 && ch < 0x7F) << c.url << ": " << r.error;
    }
}

TEST(DialLink, OnlyTheLinkSchemesAreLinks) {
    const std::pair<const char*, bool> cases[] = {
        {"tel:1", true},  {"callto:1", true},   {"sip:1", true},
        {"SIPS:1", true}, {"--connect", false}, {"telephone", false},
        {"tel", false},   {"http://x", false},  {"/tmp/tel:1", false},
    };
    for (const auto& [argument, link] : cases)
        EXPECT_EQ(IsDialLink(argument), link) << argument;
}

TEST(DialLink, TypedNumbersKeepOnlyWhatAPhoneDials) {
    const LinkCase cases[] = {
        {"030 1234", "0301234"},
        {"+49 (0)30 1234", "+490301234"},
        {"12.34", "1234"},
        {"*21#", "*21#"},
        {"12a", nullptr},
        {"1\t2", nullptr},
        {"", nullptr},
        {"1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5", "1234567890123456789012345"},
    };
    for (const LinkCase& c : cases) {
        const DialLinkResult r = NormaliseDialNumber(c.url);
        EXPECT_EQ(r.ok, c.number != nullptr) << c.url;
        if (c.number != nullptr) {
            EXPECT_EQ(r.number, c.number) << c.url;
        }
    }
}

} // namespace
} // namespace orvane
