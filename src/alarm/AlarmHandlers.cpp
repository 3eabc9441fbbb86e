// The alarm and countdown handlers of the clock window.
#include "app/Application.h"
#include "app/frmClock.h"

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
