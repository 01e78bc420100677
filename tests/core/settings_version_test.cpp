// The About box's version line: the version text as the build records it, composed
// exactly (leading blank, blank before the special-build text, nothing trimmed).
#include "CVersionInfo.h"

#include <gtest/gtest.h>

#include <regex>

namespace orvane {
namespace {

TEST(AboutVersionLine, ComposesTheVersionTextWithoutTrimming) {
    struct Case {
        const char* what;
        BuildVersion source;
        bool shortForm;
        const char* line;
    } cases[] = {
        {"no special build",
         {true, 1, 0, 2, 5, ""},
         false,
         "Orvane's SIP Dialer version  1.0.2.5 "},
        {"special build",
         {true, 1, 0, 2, 5, "beta"},
         false,
         "Orvane's SIP Dialer version  1.0.2.5 beta"},
        {"no version recorded", {false, 1, 0, 2, 5, "beta"}, false, "Orvane's SIP Dialer version "},
        {"short form", {true, 1, 0, 2, 5, ""}, true, "Orvane's SIP Dialer version  1.0 "},
        {"numbers past 2^31 stay unsigned",
         {true, 4000000000u, 65535, 0, 1, ""},
         false,
         "Orvane's SIP Dialer version  4000000000.65535.0.1 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVersionInfo info;
        EXPECT_EQ(AboutVersionLine(info.Read(&c.source, c.shortForm)), c.line);
    }
}

TEST(CVersionInfo, EachReadStartsAfresh) {
    CVersionInfo info;
    const BuildVersion beta{true, 2, 3, 4, 5, "beta"};
    EXPECT_EQ(info.Read(&beta), " 2.3.4.5 beta");
    EXPECT_EQ(info.QueryString("SpecialBuild"), "beta");
    EXPECT_EQ(info.QueryString("CompanyName"), "");
    EXPECT_EQ(info.m_nRevision, 5u);

    const BuildVersion none{};
    EXPECT_EQ(info.Read(&none), "");
    EXPECT_EQ(info.m_strVersion, "");
    EXPECT_EQ(info.m_nMajor, 0u);
    EXPECT_EQ(info.QueryString("SpecialBuild"), "");
}

TEST(CVersionInfo, ProgramsOwnVersionComesFromTheBuild) {
    const BuildVersion own = ProgramBuildVersion();
    EXPECT_TRUE(own.present);
    CVersionInfo info;
    const std::string text = info.Read();
    EXPECT_TRUE(std::regex_match(text, std::regex(R"( \d+\.\d+\.\d+\.\d+ .*)"))) << text;
    EXPECT_EQ(text, " " + std::to_string(own.major) + "." + std::to_string(own.minor) + "." +
                        std::to_string(own.build) + "." + std::to_string(own.revision) + " " +
                        own.specialBuild);
}

} // namespace
} // namespace orvane
