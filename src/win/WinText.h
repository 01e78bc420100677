// The face model's texts are bytes of code page 1252, as the phone sends them; the
// window's texts are UTF-16. The same table both ways on every machine, whatever code
// page the system runs in.
#pragma once

#include <string>

namespace wintext {

std::wstring ToWide(const std::string& bytes);
// A character that code page 1252 lacks becomes '?'.
std::string ToModel(const std::wstring& text);

} // namespace wintext
