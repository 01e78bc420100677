// The search of a long list: which rows hold the typed text in their "Name" or "Number"
// column, ignoring case.
#pragma once

#include "FaceModel.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// Indexes of the rows of `list` (ascending) whose "Name" or "Number" text holds `filter`,
// letters compared without case (code page 1252's accented letters too). An empty filter
// keeps every row.
std::vector<int> FilterListRows(const ListData& list, std::string_view filter);

// The letter case that the search ignores, as one byte of code page 1252.
char FoldSearchCase(char c);

} // namespace orvane
