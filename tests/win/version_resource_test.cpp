// The program file's version resource carries the version the program shows in its About
// box: the build writes both from the project version.
#include "VersionResource.h"
#include "WinApi.h"

#include "CVersionInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The program file, named by the test's environment as a path of this machine (Wine sees
// the root of the file system as drive Z:).
std::wstring ProgramFile() {
    const char* path = std::getenv("ORVANE_WIN_DIALER");
    if (path == nullptr) return {};
    std::wstring wide = L"Z:";
    for (const char* p = path; *p != '\0'; ++p)
        wide.push_back(*p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p)));
    return wide;
}

TEST(VersionResource, CarriesTheVersionTheAboutBoxShows) {
    const std::wstring file = ProgramFile();
    if (file.empty()) GTEST_SKIP() << "ORVANE_WIN_DIALER names no program file";
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    ASSERT_GT(size, 0u) << "no version resource";
    std::vector<unsigned char> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const orvane::BuildVersion built = orvane::ProgramBuildVersion();
    const std::uint32_t numbers[][2] = {
        {HIWORD(fixed->dwFileVersionMS), built.major},
        {LOWORD(fixed->dwFileVersionMS), built.minor},
        {HIWORD(fixed->dwFileVersionLS), built.build},
        {LOWORD(fixed->dwFileVersionLS), built.revision},
    };
    for (const auto& [inFile, inProgram] : numbers)
        EXPECT_EQ(inFile, inProgram);
    wchar_t* special = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904b0\\SpecialBuild",
                               reinterpret_cast<void**>(&special), &length));
    std::string text;
    for (UINT i = 0; special != nullptr && i < length && special[i] != 0; ++i)
        text.push_back(static_cast<char>(special[i]));
    EXPECT_EQ(text, built.specialBuild);
    EXPECT_EQ((fixed->dwFileFlags & VS_FF_SPECIALBUILD) != 0, !built.specialBuild.empty());

    // What the About box reads from the file: the same numbers and text.
    const orvane::BuildVersion read = ReadVersionResource(file);
    EXPECT_TRUE(read.present);
    orvane::CVersionInfo fromFile, fromBuild;
    EXPECT_EQ(orvane::AboutVersionLine(fromFile.Read(&read)),
              orvane::AboutVersionLine(fromBuild.Read(&built)));
}

TEST(VersionResource, AFileWithoutOneGivesAnEmptyVersion) {
    // This test program carries no version resource.
    const orvane::BuildVersion read = ReadVersionResource();
    EXPECT_FALSE(read.present);
    orvane::CVersionInfo info;
    EXPECT_EQ(info.Read(&read), "");
}

} // namespace
