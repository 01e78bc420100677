#include "CSenderRule.h"

#include "Protocol.h"

namespace orvane {

bool SenderMayDrive(const LinkWindow& link, std::string_view sender, std::string_view msg) {
    if (sender.empty()) return false;
    const bool fromPhone = sender == link.deviceAddr;
    switch (proto::RecognizeIncoming(msg)) {
    case proto::InKeyword::Orvn: {
        const bool welcome = link.searchOpen || (fromPhone && sender == link.probeAddr);
        if (!welcome) return false;
        // A reply speaks for its sender only: naming another host (or a name to look up)
        // would let anyone put any address into the device list.
        const std::optional<proto::DiscoveryReply> reply = proto::Read<proto::InKeyword::Orvn>(msg);
        return reply && proto::IsDottedIPv4(reply->ip) && reply->ip == sender;
    }
    case proto::InKeyword::Login: return fromPhone && sender == link.loginAddr;
    default: return fromPhone;
    }
}

} // namespace orvane
