// The countdown's clock: ends are kept as values of the boot-time tick, in
// 64 bits, so no sum made with them can overflow or wrap, and a countdown
// keeps real time while the machine sleeps.
#pragma once

#include <cstdint>

#include "platform/Services.h"

namespace mdlTimer {

// True once the tick count has reached deadline.
inline bool TickReached(platform::SystemClock& clock, int64_t deadline) {
    return static_cast<int64_t>(clock.TickCount()) >= deadline;
}

}  // namespace mdlTimer
