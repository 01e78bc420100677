// A call ringing on the controlled phone, as its face shows it: the incoming-call status
// picture, and the caller on the display lines below the heading.
#pragma once

#include "FaceModel.h"

#include <optional>
#include <string>

namespace orvane {

struct IncomingCall {
    std::string name;   // as the phone shows it; may be empty
    std::string number; // as the phone shows it; may be empty when it shows none
    bool operator==(const IncomingCall& o) const { return name == o.name && number == o.number; }
    bool operator!=(const IncomingCall& o) const { return !(*this == o); }
};

// The call ringing now, if any. controlling: a phone is under control (a picture left
// from a phone no longer controlled rings nothing).
std::optional<IncomingCall> RingingCall(const FaceModel& face, bool controlling);

// The key codes that answer and reject the ringing call: the soft key the phone labels
// "Answer" or "Reject", or else SEND and END.
struct CallKeys {
    int answer = 0;
    int reject = 0;
};
CallKeys IncomingCallKeys(const FaceModel& face);

} // namespace orvane
