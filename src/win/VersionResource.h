// The version resource of a program file, read at run time as the About box reads it.
#pragma once

#include "CVersionInfo.h"

#include <string>

// The file's four version numbers and its "SpecialBuild" string; not present when the file
// has no version resource. An empty path reads this program's own file.
orvane::BuildVersion ReadVersionResource(const std::wstring& path = std::wstring());
