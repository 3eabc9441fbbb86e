// The alarm and countdown handlers of the clock window.
#include <string>

#include "alarm/mdlTimer.h"
#include "app/Application.h"
#include "app/frmClock.h"
#include "callout/frmChar.h"

void frmClock::LoadAlarm() {
    Clock& clock = app_.clock;
    mdlSetting& setting = app_.setting;
    clock.AlarmAM = setting.ReadSetting("Alerm", "AMPM", "True");
    clock.AlarmHour = setting.ReadSetting("Alerm", "Hour", "12");
    clock.AlarmMinute = setting.ReadSetting("Alerm", "Minute", "0");
    clock.AlarmEnabled = setting.ReadSetting("Alerm", "Enabled", "0");
    clock.AlarmEveryDay = settings_text::ToBoolean(setting.ReadSetting("Alerm", "Eve", "False"), false);
    if (clock.AlarmEnabled == "1") {
        tmrAlerm->SetEnabled(true);
        imgAlarmTimer(0).SetPicture(imgAlarmTimerPicture[2]);
    }
}

namespace {

// The alarm's hour on the 24-hour clock: 12 AM is midnight, 12 PM noon.
// An hour that is not a number never matches.
int AlarmHour24(const std::string& am, const std::string& hour) {
    const int16_t h = settings_text::ToInt16(hour, -100);
    if (h == -100) return -1;
    if (am == "True") return h == 12 ? 0 : h;
    return h == 12 ? 12 : h + 12;
}

std::string TwoDigits(int n) {
    const char text[3] = {static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10), '\0'};
    return text;
}

}  // namespace

void frmClock::tmrAlerm_Timer() {
    Clock& clock = app_.clock;
    if (clock.AlarmEnabled != "1") return;
    const platform::LocalTime now = app_.platform.clock.Now();
    if (AlarmHour24(clock.AlarmAM, clock.AlarmHour) != now.hour) return;
    if (TwoDigits(now.minute) != clock.AlarmMinute) return;
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
