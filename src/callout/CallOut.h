// What the alarm and the countdown ask of the call-out window.
#pragma once

#include "characters/Character.h"

enum class CallOutKind { kAlarm, kCountdown };

// What the next call-out announces and who speaks in it.  The dialog's OK
// chooses the speaker, and in alarm mode the alarm's kind; starting a
// countdown chooses the countdown's.  One choice serves both, so a
// countdown that runs on after the alarm was set comes out as the alarm's.
struct CallOutChoice {
    CallOutKind kind = CallOutKind::kAlarm;
    Character speaker = Character::kRumika;
};

class CallOut {
public:
    virtual ~CallOut() = default;
    // Brings the call-out window up as `choice` says and returns when it is
    // over: the line said, three more seconds.  No event is handled meanwhile.
    virtual void Present(const CallOutChoice& choice) = 0;
};
