// The alarm and countdown handlers of the clock window.
#include <cstdint>
#include <string>

#include "alarm/mdlTimer.h"
#include "app/Application.h"
#include "app/frmClock.h"
#include "callout/frmChar.h"

namespace {

// The alarm's hour on the 24-hour clock: 12 AM is midnight, 12 PM noon.
// An hour that is not a number never matches.
int AlarmHour24(const std::string& am, const std::string& hour) {
    const int16_t h = settings_text::ToInt16(hour, -100);
    if (h == -100) return -1;
    if (am == "True") return h == 12 ? 0 : h;
    return h == 12 ? 12 : h + 12;
}

using settings_text::TwoDigits;

// The alarm's minute of the day (0..1439); -1 when it can never match: the
// minute is compared as two-digit text, so "5" matches no minute.
int AlarmMinuteOfDay(int hour24, const std::string& minute) {
    if (hour24 < 0 || hour24 > 23 || minute.size() != 2) return -1;
    const std::optional<int16_t> m = settings_text::ParseInt16(minute);
    if (!m || *m < 0 || *m > 59 || TwoDigits(*m) != minute) return -1;
    return hour24 * 60 + *m;
}

// A forward step of the wall clock larger than this is a change of the
// clock by hand, not one the alarm should make up for.
constexpr int64_t kLongestCatchUpMs = 2 * 3600 * 1000;

int64_t MsOfDay(const platform::LocalTime& t) {
    return ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.millisecond;
}

// True when the wall clock stepped forward over the alarm's minute since the
// last check, within the same day and by less than kLongestCatchUpMs: the
// hour skipped when daylight saving time begins.  Minutes the clock passed
// through while the thread was held are not steps: the tick count moved as
// far.
bool SteppedOver(const frmClock::AlarmCheck& before, const platform::LocalTime& now, uint64_t tick, int alarmMinute) {
    if (!before.made || alarmMinute < 0 || tick < before.tick) return false;
    if (before.at.year != now.year || before.at.month != now.month || before.at.day != now.day) return false;
    const int64_t step = (MsOfDay(now) - MsOfDay(before.at)) - static_cast<int64_t>(tick - before.tick);
    if (step < 1000 || step >= kLongestCatchUpMs) return false;
    const int from = before.at.hour * 60 + before.at.minute;
    const int to = now.hour * 60 + now.minute;
    return from < alarmMinute && alarmMinute <= to;
}

}  // namespace

void frmClock::LoadAlarm() {
    Clock& clock = app_.clock;
    mdlSetting& setting = app_.setting;
    clock.AlarmAM = setting.ReadSetting("Alerm", "AMPM", "True");
    clock.AlarmHour = setting.ReadSetting("Alerm", "Hour", "12");
    clock.AlarmMinute = setting.ReadSetting("Alerm", "Minute", "0");
    clock.AlarmEnabled = setting.ReadSetting("Alerm", "Enabled", "0");
    clock.AlarmEveryDay = settings_text::ToBoolean(setting.ReadSetting("Alerm", "Eve", "False"), false);
    // A check made before this load says nothing about this alarm.
    lastAlarmCheck_ = {};
    if (clock.AlarmEnabled == "1") {
        tmrAlerm->SetEnabled(true);
        imgAlarmTimer(0).SetPicture(imgAlarmTimerPicture[2]);
    }
}

void frmClock::tmrAlerm_Timer() {
    Clock& clock = app_.clock;
    if (clock.AlarmEnabled != "1") return;
    const platform::LocalTime now = app_.platform.clock.Now();
    const uint64_t tick = app_.platform.clock.TickCount();
    const AlarmCheck before = lastAlarmCheck_;
    lastAlarmCheck_ = {true, now, tick};
    const int hour24 = AlarmHour24(clock.AlarmAM, clock.AlarmHour);
    const bool atItsMinute = hour24 == now.hour && TwoDigits(now.minute) == clock.AlarmMinute;
    // An alarm in the hour that daylight saving time skips fires at the
    // first check after the skip, so it is not lost for the day.
    if (!atItsMinute && !SteppedOver(before, now, tick, AlarmMinuteOfDay(hour24, clock.AlarmMinute))) return;
    // The day it fires on, taken now: a call-out that runs past midnight
    // must not mark tomorrow as done.
    const std::string today = std::to_string(now.day);
    if (today == clock.AlarmFiredDay) return;

    tmrAlerm->SetEnabled(false);
    clock.UpdateClockDisplay();
    app_.anime.AnimateStage();
    frmChar::Load(app_);
    clock.AlarmFiredDay = today;
    if (clock.AlarmEveryDay) {
        tmrAlerm->SetEnabled(true);
        return;
    }
    clock.AlarmEnabled = "0";
    app_.setting.WriteSetting("Alerm", "Enabled", "0");
    tmrAlerm->SetEnabled(false);
    ShowRestingSign();
}

void frmClock::tmrTimer_Timer() {
    Clock& clock = app_.clock;
    if (clock.TimerDeadline == -1) return;
    if (!mdlTimer::TickReached(app_.platform.clock, clock.TimerDeadline - Clock::kEarlyStartMs)) return;

    tmrTimer->SetEnabled(false);
    mdlClockVoice& voice = app_.voice;
    voice.MciOpenAndPlay(voice.WavPath + mdlClockVoice::ClipName(196 + app_.setting.CallOutCharacter), &window);
    // The line plays while the face and the stage go on.
    while (voice.MciIsPlaying(&window).value_or(false)) {
        clock.UpdateClockDisplay();
        app_.anime.AnimateStage();
        app_.platform.pump.Sleep(kLinePollMs);
    }
    tmrTimer->SetEnabled(false);
    frmChar::Load(app_);
    ShowRestingSign();
}

void frmClock::ShowRestingSign() {
    // An alarm and a countdown can both be set (the alarm set while the
    // countdown runs); when one of them is over the sign shows the other.
    int sign = 3;
    if (app_.clock.AlarmEnabled == "1") sign = 2;
    if (tmrTimer->Enabled() && app_.clock.TimerDeadline != -1) sign = 1;
    imgAlarmTimer(0).SetPicture(imgAlarmTimerPicture[sign]);
}
