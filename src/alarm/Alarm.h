// The alarm: at its hour and minute, once a day, the call-out comes up.  A
// once-only alarm is then switched off; an every-day alarm waits for the
// next day.  Its setting lives in the settings file; the check runs every
// 200 ms while it is armed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "callout/CallOut.h"
#include "face/ClockFace.h"
#include "platform/Services.h"
#include "settings/Settings.h"
#include "stage/Stage.h"

// What the dialog's OK stores for the alarm.
struct AlarmEntry {
    bool armed = false;
    bool am = true;
    int minute = 0;  // 0..59
    bool everyDay = false;
};

class Alarm {
public:
    static constexpr int kCheckMs = 200;

    using Clock = ClockParts;
    Alarm(platform::SystemClock& clock, platform::EventPump& pump, Settings& settings, Clock onClock, CallOut& callOut,
          CallOutChoice& choice);

    // Reads the alarm from the settings file and, when it is armed, starts
    // its check and shows its sign.
    void Load();
    // The check: at the alarm's minute, once a day, the call-out.
    void Check();
    // The dialog's new hour (1..12), stored at once; the sign shows the
    // alarm clock.
    void SetHour(int hour);
    // The dialog's OK: stores the entry key by key, arms or disarms the
    // check, and lets the alarm fire again today.
    void Set(const AlarmEntry& entry);

    [[nodiscard]] bool Armed() const { return armed_; }
    [[nodiscard]] bool IsAm() const { return am_; }
    // The hour as stored; nothing when it was not a number.
    [[nodiscard]] std::optional<int16_t> Hour() const { return hour_; }
    // The minute as stored, or nothing when it can match no minute.
    [[nodiscard]] std::optional<int> Minute() const { return minute_; }
    [[nodiscard]] bool EveryDay() const { return everyDay_; }
    // The day of the month it last fired on.
    [[nodiscard]] std::optional<int> FiredOnDay() const { return firedOnDay_; }
    [[nodiscard]] bool Checking() const { return timer_->Enabled(); }

    // The previous check: where the wall clock and the tick count stood.
    struct LastCheck {
        bool made = false;
        platform::LocalTime at;
        uint64_t tick = 0;
    };

private:
    // The alarm's hour on the 24-hour clock; -1 when it can match no hour.
    [[nodiscard]] int Hour24() const;
    [[nodiscard]] bool Due(const LastCheck& before, const platform::LocalTime& now, uint64_t tick) const;
    void Fire(const platform::LocalTime& now);

    platform::SystemClock& clock_;
    Settings& settings_;
    Clock onClock_;
    CallOut& callOut_;
    CallOutChoice& choice_;
    std::unique_ptr<platform::Timer> timer_;

    bool armed_ = false;
    bool am_ = true;
    std::optional<int16_t> hour_;
    std::optional<int> minute_;
    bool everyDay_ = false;
    std::optional<int> firedOnDay_;
    LastCheck lastCheck_;
};
