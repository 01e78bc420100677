#include "CVersionInfo.h"

#include "BuildVersion.h"

#include <cstdio>

namespace orvane {

BuildVersion ProgramBuildVersion() {
    BuildVersion version;
    version.present = true;
    // "+ 0" keeps a part the project version leaves out (an empty define) at 0.
    version.major = static_cast<std::uint32_t>(ORVANE_VERSION_MAJOR + 0);
    version.minor = static_cast<std::uint32_t>(ORVANE_VERSION_MINOR + 0);
    version.build = static_cast<std::uint32_t>(ORVANE_VERSION_PATCH + 0);
    version.revision = static_cast<std::uint32_t>(ORVANE_VERSION_TWEAK + 0);
    version.specialBuild = ORVANE_SPECIAL_BUILD;
    return version;
}

std::string CVersionInfo::Read(const BuildVersion* source, bool shortForm) {
    // Read afresh every time: nothing of an earlier read survives.
    const BuildVersion version = source != nullptr ? *source : ProgramBuildVersion();
    if (!version.present) {
        m_nMajor = m_nMinor = m_nBuild = m_nRevision = 0;
        m_strVersion.clear();
        m_strSpecialBuild.clear();
        return m_strVersion;
    }
    m_nMajor = version.major;
    m_nMinor = version.minor;
    m_nBuild = version.build;
    m_nRevision = version.revision;

    char text[64];
    if (shortForm)
        std::snprintf(text, sizeof text, " %u.%u", m_nMajor, m_nMinor);
    else
        std::snprintf(text, sizeof text, " %u.%u.%u.%u", m_nMajor, m_nMinor, m_nBuild, m_nRevision);
    m_strVersion = text;
    m_strSpecialBuild = version.specialBuild;
    m_strVersion += ' ';
    m_strVersion += QueryString("SpecialBuild");
    return m_strVersion;
}

std::string CVersionInfo::QueryString(const std::string& key) const {
    // The build records only the special-build text; every other key of a version string
    // table (company, product name, ...) finds nothing, as for a table without it.
    if (key == "SpecialBuild") return m_strSpecialBuild;
    return {};
}

std::string AboutVersionLine(const std::string& versionText) {
    return "Orvane's SIP Dialer version " + versionText;
}

} // namespace orvane
