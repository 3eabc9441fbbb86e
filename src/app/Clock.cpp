#include "app/Clock.h"

#include "app/Application.h"
#include "app/frmClock.h"
#include "platform/Dialog.h"

void Clock::Main() {
    app_.clockWindow = std::make_unique<frmClock>(app_);
    frmClock& f = *app_.clockWindow;
    f.Form_Load();
    f.Show();
}

void Clock::UpdateClockDisplay() {
    const platform::LocalTime now = app_.platform.clock.Now();
    if (now.second == LastSecondDrawn) return;
    LastSecondDrawn = static_cast<int16_t>(now.second);

    const int shownHour = now.hour > 12 ? now.hour - 12 : now.hour;
    app_.anime.DrawTimeDigits(static_cast<int16_t>(shownHour), static_cast<int16_t>(now.minute),
                              static_cast<int16_t>(now.second));

    frmClock& f = *app_.clockWindow;
    f.imgAMPM(0).SetPicture(now.hour <= 11 ? f.imgAMPMPicture[1] : f.imgAMPMPicture[2]);
}

void Clock::DragWindow(platform::Form& window) { window.StartDrag(); }

void Clock::StartCountdown(int32_t minutes) {
    app_.setting.CallOutKind = 1;
    TimerDeadline = -1;
    if (minutes <= 0) return;
    frmClock& f = *app_.clockWindow;
    TimerDeadline = static_cast<int64_t>(app_.platform.clock.TickCount()) + int64_t{minutes} * 60 * 1000;
    f.tmrTimer->SetEnabled(true);
    f.imgAlarmTimer(0).SetPicture(f.imgAlarmTimerPicture[1]);
}

std::string Clock::DigitsOnlyText(const platform::TextBox& box) {
    std::string text = box.Text();
    for (char c : text)
        if (c < '0' || c > '9') {
            app_.platform.messages.MsgBox("入力できる値は 0 ～ 9 までの半角文字だけです。",
                                          platform::MessageIcon::kExclamation, "Tessuri");
            return {};
        }
    return text;
}
