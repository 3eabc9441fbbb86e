#include "app/frmClock.h"

#include <algorithm>
#include <string>

#include "app/Application.h"
#include "settings/frmSetting.h"

using platform::LoadPicture;
using platform::Picture;

frmClock::frmClock(Application& app) : window("Tessuri"), app_(app) {
    const Picture face = LoadPicture("face", kWidth, kHeight);
    window.SetBackground(face);
    window.SetIcon("icon");

    imgAlarmTimerPicture[1] = LoadPicture("sign_countdown", 22, 22);
    imgAlarmTimerPicture[2] = LoadPicture("sign_alarm", 22, 22);
    imgAlarmTimerPicture[3] = LoadPicture("sign_idle", 22, 22);
    imgAlarmTimerPicture[0] = imgAlarmTimerPicture[3];
    imgAMPMPicture[1] = LoadPicture("ampm_am", 31, 26);
    imgAMPMPicture[2] = LoadPicture("ampm_pm", 31, 26);
    picHour00 = LoadPicture("hour_tens", 40, 26);
    picHour0 = LoadPicture("hour_units", 200, 26);
    picMin00 = LoadPicture("min_tens", 120, 26);
    picMin0 = LoadPicture("min_units", 200, 26);
    picKoron[0] = LoadPicture("colon_on", 12, 26);
    picKoron[1] = LoadPicture("colon_off", 12, 26);
    picExitButtonBuffer = LoadPicture("close_pressed", 52, 52);

    imgAlarmTimer_[0] = &window.AddPictureBox(14, 12, 22, 22);
    imgAlarmTimer_[0]->SetPicture(imgAlarmTimerPicture[0]);
    imgAMPM_[0] = &window.AddPictureBox(36, 12, 31, 26);  // no picture until the first redraw
    picTimr_ = &window.AddPictureBox(67, 12, 92, 26);
    picTimr_->SetPicture(face.Crop(67, 12, 92, 26));
    picAnimeStage_ = &window.AddPictureBox(9, 59, 212, 100);
    picAnimeStage_->SetPicture(face.Crop(9, 59, 212, 100));
    picExitButton_ = &window.AddPictureBox(179, 0, 52, 52);
    picExitButton_->SetPicture(LoadPicture("close_normal", 52, 52));

    window.onMouseDown = [this](int16_t b, int16_t s, int x, int y) { Form_MouseDown(b, s, x, y); };
    window.onQueryUnload = [this] { Form_QueryUnload(); };
    picExitButton_->onMouseDown = [this](int16_t b, int16_t s, int x, int y) { picExitButton_MouseDown(b, s, x, y); };
    picAnimeStage_->onClick = [this] { picAnimeStage_Click(); };
    imgAlarmTimer_[0]->onClick = [this] { imgAlarmTimer_Click(0); };
    picAnimeStage_->onMouseDown = [this](int16_t b, int16_t s, int x, int y) { picAnimeStage_MouseDown(b, s, x, y); };
    picExitButton_->onMouseUp = [this](int16_t b, int16_t s, int x, int y) { picExitButton_MouseUp(b, s, x, y); };

    platform::EventPump& pump = app_.platform.pump;
    tmrClock = pump.CreateTimer(kTickMs, [this] { tmrClock_Timer(); });
    tmrAlerm = pump.CreateTimer(kCheckMs, [this] { tmrAlerm_Timer(); });
    tmrTimer = pump.CreateTimer(kCheckMs, [this] { tmrTimer_Timer(); });
}

frmClock::~frmClock() = default;

void frmClock::Form_Load() {
    Clock& clock = app_.clock;
    mdlSetting& setting = app_.setting;
    mdlAnime& anime = app_.anime;

    // 1. No countdown runs.
    clock.TimerDeadline = -1;

    // 2-3. The alarm.
    LoadAlarm();

    // 4-5. The stage cycle and the characters that may appear; at least one.
    anime.StageInterval = settings_text::ToInt16(setting.ReadSetting("Setting", "Event", "3"), 3);
    bool anyEnabled = false;
    for (int i = 0; i < mdlAnime::kCharacters; ++i) {
        const std::string key = "Char" + std::to_string(i);
        anime.CharEnabled[i] = settings_text::ToBoolean(setting.ReadSetting("Setting", key, "False"), false);
        anyEnabled = anyEnabled || anime.CharEnabled[i];
    }
    if (!anyEnabled) {
        for (int i = 0; i < mdlAnime::kCharacters; ++i) {
            setting.WriteSetting("Setting", "Char" + std::to_string(i), "True");
            anime.CharEnabled[i] = true;
        }
    }

    // 6. The first stage character.
    anime.PickStageCharacter(false);

    // 7-8. Shape, size and place; stacking, written back.
    app_.form.ShapeClockWindow(window);
    app_.form.TopMost = settings_text::ToBoolean(setting.ReadSetting("Setting", "ZOrder", "False"), false);
    app_.form.SetTopMost(window, app_.form.TopMost, false);
    // Muting is the menu's own choice; a file that never had it plays sound.
    app_.voice.Mute = settings_text::ToBoolean(setting.ReadSetting("Setting", "Mute", "False"), false);

    // 9-11. Voice tables, the CLOSE button, the saved place.
    app_.voice.BuildVoiceTables();
    app_.form.ShapeExitButton(picExitButton());
    FormPosition(1);
}

void frmClock::Show() {
    window.Show();
    tmrClock->SetEnabled(true);
}

void frmClock::Form_QueryUnload() {
    FormPosition(0);
    app_.platform.process.End();
}

void frmClock::Form_MouseDown(int16_t button, int16_t, int, int) {
    if (button == platform::kLeftButton) app_.clock.DragWindow(window);
}

void frmClock::picExitButton_MouseDown(int16_t, int16_t, int, int) { picExitButton().SetPicture(picExitButtonBuffer); }

void frmClock::picExitButton_MouseUp(int16_t, int16_t, int, int) { Form_QueryUnload(); }

void frmClock::tmrClock_Timer() {
    app_.clock.UpdateClockDisplay();
    app_.anime.AnimateStage();
    // While the stage rests nothing can change before the next second (the
    // face changes with the second, the stage's phases with the minute), so
    // the next tick comes just after it instead of ten times a second.
    // That keeps an idle clock to one wake-up a second.
    // Otherwise a change of the second before the next tick is still shown
    // when it comes: a pose ends 100 ms before the next one starts.
    const int toNextSecond = 1000 - app_.platform.clock.Now().millisecond;
    int next = std::min(kTickMs, toNextSecond + kSecondMarginMs);
    if (app_.anime.StageIsResting())
        next = std::clamp(toNextSecond + kSecondMarginMs, kTickMs, 1000 + kSecondMarginMs);
    tmrClock->SetInterval(next);
}

void frmClock::picAnimeStage_Click() {
    if (app_.voice.Mute) return;  // nothing to wait for
    platform::SetScreenCursor(platform::Cursor::kHourglass);
    app_.voice.SpeakTime();
    platform::SetScreenCursor(platform::Cursor::kDefault);
}

void frmClock::picAnimeStage_MouseDown(int16_t button, int16_t, int, int) {
    if (button == platform::kRightButton) PopupStageMenu();
}

void frmClock::PopupStageMenu() {
    // The mark shows the window's stacking as it is now, however it was
    // last changed.
    const int chosen = platform::PopupMenu({{"時報(&T)"},
                                            {"常に手前に表示(&U)", true, app_.form.TopMost},
                                            {"消音(&M)", true, app_.voice.Mute},
                                            {""},
                                            {"終了(&E)"}});
    switch (chosen) {
        case 0: mnuSpeakTime_Click(); break;
        case 1: mnuTopMost_Click(); break;
        case 2: mnuMute_Click(); break;
        case 4: mnuExit_Click(); break;
        default: break;
    }
}

void frmClock::imgAlarmTimer_Click(int16_t) {
    app_.form.SetTopMost(window, false, true);
    frmSetting::ShowModal(app_);
}

void frmClock::mnuSpeakTime_Click() { picAnimeStage_Click(); }

void frmClock::mnuTopMost_Click() {
    app_.form.TopMost = !app_.form.TopMost;
    app_.form.SetTopMost(window, app_.form.TopMost, false);
}

void frmClock::mnuMute_Click() {
    app_.voice.Mute = !app_.voice.Mute;
    app_.setting.WriteSetting("Setting", "Mute", settings_text::FromBoolean(app_.voice.Mute));
}

void frmClock::mnuExit_Click() { Form_QueryUnload(); }

void frmClock::FormPosition(int16_t mode) {
    mdlSetting& setting = app_.setting;
    if (mode == 1) {
        auto read = [&](const char* key) -> std::optional<int32_t> {
            const std::string text = app_.platform.profile.GetString("Setting", key, "0", setting.IniPath());
            if (text.empty()) return 0;  // present but empty
            return settings_text::ToInt32(text);
        };
        const std::optional<int32_t> x = read("Left");
        if (!x) return;
        const std::optional<int32_t> y = read("Top");
        if (!y) return;
        // A place from which the window would lie wholly outside every screen
        // (a monitor was unplugged) falls back to the top-left corner.
        const std::vector<platform::Rect> screens = platform::ScreenRects();
        bool visible = screens.empty();
        for (const platform::Rect& s : screens) {
            const int64_t left = *x, top = *y;
            visible = visible || (left < s.right && s.left < left + kWidth && top < s.bottom && s.top < top + kHeight);
        }
        if (!visible) return;
        window.Move(*x, *y, kWidth, kHeight);
    } else if (mode == 0) {
        const platform::Rect r = window.GetWindowRect();
        setting.WriteSetting("Setting", "Left", std::to_string(r.left));
        setting.WriteSetting("Setting", "Top", std::to_string(r.top));
    }
}
