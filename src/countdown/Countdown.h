// The countdown: 1 to 999 minutes.  Ten seconds before its end the
// character says its countdown line while the clock and the stage go on;
// then the call-out.  Its end is kept on the tick count, which changes of
// the wall clock do not move and which keeps counting while the machine
// sleeps.  A countdown does not outlive the program.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "callout/CallOut.h"
#include "face/ClockFace.h"
#include "platform/Services.h"
#include "stage/Stage.h"
#include "voice/Voice.h"

class Countdown {
public:
    static constexpr int kCheckMs = 200;
    // The countdown's line starts this long before its end.
    static constexpr int64_t kEarlyStartMs = 10000;
    // Between two queries of the line: the face stays current without
    // spinning the processor.
    static constexpr uint32_t kLinePollMs = 20;

    using Clock = ClockParts;
    Countdown(platform::SystemClock& clock, platform::EventPump& pump, Voice& voice, Clock onClock, CallOut& callOut,
              CallOutChoice& choice);

    // Cancels the running countdown and, for 1 minute or more, starts a new
    // one; its end is announced by the countdown's call-out.
    void Start(int32_t minutes);
    // The check: ten seconds before the end, the line and the call-out.
    void Check();

    // The end as a tick value, or nothing when no countdown runs.
    [[nodiscard]] std::optional<int64_t> Deadline() const { return deadline_; }
    [[nodiscard]] bool Checking() const { return timer_->Enabled(); }
    // A countdown runs and its check is on.
    [[nodiscard]] bool Running() const { return Checking() && deadline_.has_value(); }

private:
    platform::SystemClock& clock_;
    platform::EventPump& pump_;
    Voice& voice_;
    Clock onClock_;
    CallOut& callOut_;
    CallOutChoice& choice_;
    std::unique_ptr<platform::Timer> timer_;
    std::optional<int64_t> deadline_;
};
