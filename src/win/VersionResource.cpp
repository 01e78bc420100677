#include "VersionResource.h"

#include "WinApi.h"
#include "WinText.h"

#include <vector>

orvane::BuildVersion ReadVersionResource(const std::wstring& path) {
    orvane::BuildVersion version;
    std::wstring file = path;
    if (file.empty()) {
        wchar_t own[MAX_PATH * 2] = {};
        const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH * 2);
        if (length == 0 || length >= MAX_PATH * 2) return version;
        file.assign(own, length);
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0) return version;
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return version;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        fixed == nullptr || length < sizeof *fixed)
        return version;
    version.present = true;
    version.major = HIWORD(fixed->dwFileVersionMS);
    version.minor = LOWORD(fixed->dwFileVersionMS);
    version.build = HIWORD(fixed->dwFileVersionLS);
    version.revision = LOWORD(fixed->dwFileVersionLS);
    // The string table of the first translation the resource lists.
    struct Translation {
        WORD language, codePage;
    };
    Translation* translations = nullptr;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &length) ||
        translations == nullptr || length < sizeof(Translation))
        return version;
    wchar_t key[64];
    swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\SpecialBuild", translations[0].language,
             translations[0].codePage);
    wchar_t* special = nullptr;
    if (VerQueryValueW(data.data(), key, reinterpret_cast<void**>(&special), &length) &&
        special != nullptr) {
        std::wstring text;
        for (UINT i = 0; i < length && special[i] != 0; ++i)
            text.push_back(special[i]);
        version.specialBuild = wintext::ToModel(text);
    }
    return version;
}
