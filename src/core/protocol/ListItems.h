// Item readers shared by the dialer's list parsers and the device's upload parser. Internal
// to the protocol library.
#pragma once

#include "Protocol.h"

#include <string_view>
#include <vector>

namespace orvane::proto::detail {

// Reads "%d %s %s;" items (index, number without blanks, name up to ";") from `items`,
// which starts at the first item. Stops at the first incomplete item and before an item
// numbered outside 1..maxIndex.
std::vector<PbookItem> ReadPbookItems(std::string_view items, int maxIndex);

} // namespace orvane::proto::detail
