#include "WinText.h"

#include "CodePage.h"

namespace wintext {

std::wstring ToWide(const std::string& bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (const char ch : bytes)
        text.push_back(
            static_cast<wchar_t>(orvane::codepage::ToUnicode(static_cast<unsigned char>(ch))));
    return text;
}

std::string ToModel(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t u : text)
        bytes.push_back(orvane::codepage::FromUnicode(static_cast<char32_t>(u)));
    return bytes;
}

} // namespace wintext
