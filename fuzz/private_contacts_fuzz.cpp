// The private contact file reader: any file must give at most 1000 bounded records.
#include "PrivateContacts.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const auto records = orvane::ParsePrivateContacts(in);
    if (records.size() > orvane::PrivateContactLimits::kMaxRecords) std::abort();
    for (const auto& r : records)
        if (r.number.size() > 19 || r.name.size() > 31) std::abort();
    return 0;
}
