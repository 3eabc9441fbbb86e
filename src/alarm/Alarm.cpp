#include "alarm/Alarm.h"

namespace {

// A forward step of the wall clock larger than this is a change of the
// clock by hand, not one the alarm should make up for.
constexpr int64_t kLongestCatchUpMs = 2 * 3600 * 1000;

int64_t MsOfDay(const platform::LocalTime& t) {
    return ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.millisecond;
}

bool SameDay(const platform::LocalTime& a, const platform::LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

// True when the wall clock stepped forward over minute `alarmMinute` of the
// day since the last check, within the same day and by less than
// kLongestCatchUpMs: the hour skipped when daylight saving time begins.
// Minutes the clock passed through while the thread was held are not steps:
// the tick count moved as far.
bool SteppedOver(const Alarm::LastCheck& before, const platform::LocalTime& now, uint64_t tick, int alarmMinute) {
    if (!before.made || alarmMinute < 0 || tick < before.tick || !SameDay(before.at, now)) return false;
    const int64_t step = (MsOfDay(now) - MsOfDay(before.at)) - static_cast<int64_t>(tick - before.tick);
    if (step < 1000 || step >= kLongestCatchUpMs) return false;
    const int from = before.at.hour * 60 + before.at.minute;
    const int to = now.hour * 60 + now.minute;
    return from < alarmMinute && alarmMinute <= to;
}

}  // namespace

Alarm::Alarm(platform::SystemClock& clock, platform::EventPump& pump, Settings& settings, Clock onClock,
             CallOut& callOut, CallOutChoice& choice)
    : clock_(clock),
      settings_(settings),
      onClock_(std::move(onClock)),
      callOut_(callOut),
      choice_(choice),
      timer_(pump.CreateTimer(kCheckMs, [this] { Check(); })) {}

void Alarm::Load() {
    am_ = settings_.AlarmIsAm();
    hour_ = settings_.AlarmHourAtStart();
    minute_ = settings_.AlarmMinuteAtStart();
    armed_ = settings_.AlarmArmed();
    everyDay_ = settings_.AlarmEveryDay().value_or(false);
    // A check made before this load says nothing about this alarm.
    lastCheck_ = {};
    if (armed_) {
        timer_->SetEnabled(true);
        onClock_.sign.ShowSign(Sign::kAlarm);
    }
}

int Alarm::Hour24() const {
    // 12 AM is midnight, 12 PM noon.
    if (!hour_) return -1;
    const int h = *hour_;
    if (am_) return h == 12 ? 0 : h;
    return h == 12 ? 12 : h + 12;
}

bool Alarm::Due(const LastCheck& before, const platform::LocalTime& now, uint64_t tick) const {
    const int hour24 = Hour24();
    if (hour24 == now.hour && minute_ == now.minute) return true;
    // An alarm in the hour that daylight saving time skips fires at the
    // first check after the skip, so it is not lost for the day.
    const int minuteOfDay = (hour24 >= 0 && hour24 <= 23 && minute_) ? hour24 * 60 + *minute_ : -1;
    return SteppedOver(before, now, tick, minuteOfDay);
}

void Alarm::Check() {
    if (!armed_) return;
    const platform::LocalTime now = clock_.Now();
    const uint64_t tick = clock_.TickCount();
    const LastCheck before = lastCheck_;
    lastCheck_ = {true, now, tick};
    if (!Due(before, now, tick)) return;
    // The day it fires on, taken now: a call-out that runs past midnight
    // must not mark tomorrow as done.
    if (firedOnDay_ == now.day) return;
    Fire(now);
}

void Alarm::Fire(const platform::LocalTime& now) {
    timer_->SetEnabled(false);
    onClock_.face.UpdateClockDisplay();
    onClock_.stage.AnimateStage();
    callOut_.Present(choice_);
    firedOnDay_ = now.day;
    if (everyDay_) {
        timer_->SetEnabled(true);
        return;
    }
    armed_ = false;
    settings_.WriteAlarmArmed(false);
    timer_->SetEnabled(false);
    onClock_.showRestingSign();
}

void Alarm::SetHour(int hour) {
    hour_ = static_cast<int16_t>(hour);
    settings_.WriteAlarmHour(hour);
    onClock_.sign.ShowSign(Sign::kAlarm);
}

void Alarm::Set(const AlarmEntry& entry) {
    settings_.WriteAlarmArmed(entry.armed);
    am_ = entry.am;
    settings_.WriteAlarmIsAm(am_);
    minute_ = entry.minute;
    settings_.WriteAlarmMinute(entry.minute);
    settings_.WriteAlarmArmed(entry.armed);
    armed_ = entry.armed;
    timer_->SetEnabled(entry.armed);
    firedOnDay_.reset();
    everyDay_ = entry.everyDay;
    settings_.WriteAlarmEveryDay(everyDay_);
}
