// The program's version, as the build compiled it in (the project version and an
// optional special-build text), read the way a version resource is read.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// What the build records: four numbers and the string table's "SpecialBuild" value.
struct BuildVersion {
    bool present = false;
    std::uint32_t major = 0, minor = 0, build = 0, revision = 0;
    std::string specialBuild;
};
// This program's own build version.
BuildVersion ProgramBuildVersion();

class CVersionInfo {
  public:
    CVersionInfo() = default;
    virtual ~CVersionInfo() = default;

    // Reads the version (the program's own when `source` is null) and returns the version
    // text: " %d.%d.%d.%d" (or " %d.%d" in the short form), one blank, the special build.
    std::string Read(const BuildVersion* source = nullptr, bool shortForm = false);
    std::string QueryString(const std::string& key) const;

    std::uint32_t m_nMajor = 0, m_nMinor = 0, m_nBuild = 0, m_nRevision = 0;
    std::string m_strVersion;
    std::string m_strSpecialBuild;
};

// "Orvane's SIP Dialer version %s" with the version text.
std::string AboutVersionLine(const std::string& versionText);

} // namespace orvane
