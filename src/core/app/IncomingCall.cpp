#include "IncomingCall.h"

#include "DialLink.h"
#include "FaceIds.h"
#include "ListFilter.h"
#include "Protocol.h"

namespace orvane {

namespace {

bool SameNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (FoldSearchCase(a[i]) != FoldSearchCase(b[i])) return false;
    return i == a.size() && b[i] == '\0';
}

} // namespace

std::optional<IncomingCall> RingingCall(const FaceModel& face, bool controlling) {
    if (!controlling) return std::nullopt;
    const Control& status = face.Get(Ctl::StatusIcon);
    if (!status.visible || status.bitmap != Bmp::CallIn) return std::nullopt;

    // Line 1 carries the heading ("Incoming call"); the caller is on lines 2 and 3: the
    // number is the last of them that reads as one, the name the line before it.
    IncomingCall call;
    const int lines[] = {Ctl::DisplayLine2, Ctl::DisplayLine3};
    int numberLine = -1;
    for (int i = 0; i < 2; ++i) {
        const std::string& text = face.Text(lines[i]);
        if (!text.empty() && NormaliseDialNumber(text).ok) numberLine = i;
    }
    if (numberLine >= 0) call.number = face.Text(lines[numberLine]);
    if (numberLine != 0) call.name = face.Text(Ctl::DisplayLine2);
    return call;
}

CallKeys IncomingCallKeys(const FaceModel& face) {
    CallKeys keys{proto::KeyCode::Send, proto::KeyCode::End};
    const struct {
        int id;
        int code;
    } softKeys[] = {{Ctl::F1, proto::KeyCode::F1},
                    {Ctl::F2, proto::KeyCode::F2},
                    {Ctl::F3, proto::KeyCode::F3}};
    for (const auto& key : softKeys) {
        const Control& c = face.Get(key.id);
        if (!c.visible) continue;
        if (SameNoCase(c.text, "Answer")) keys.answer = key.code;
        if (SameNoCase(c.text, "Reject")) keys.reject = key.code;
    }
    return keys;
}

} // namespace orvane
