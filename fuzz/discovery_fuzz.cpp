// The discovery reply reader: any text must give a bounded entry or nothing.
#include "Protocol.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto reply = orvane::proto::Read<orvane::proto::InKeyword::Orvn>(text)) {
        namespace W = orvane::proto::Width;
        if (reply->type.size() > W::DevType || reply->ip.size() > W::DevIP ||
            reply->id.size() > W::DevID || reply->name.size() > W::DevName)
            std::abort();
    }
    return 0;
}
