// The clock window: a borderless, shaped 230 x 170 face with the time, the
// alarm/timer sign, the stage and the CLOSE corner.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/Form.h"
#include "platform/Picture.h"
#include "platform/Services.h"

class Application;

class frmClock {
public:
    static constexpr int kWidth = 230;
    static constexpr int kHeight = 170;
    // The clock tick while the stage has work on every tick.
    static constexpr int kTickMs = 100;
    // How long after a change of the second a resting clock wakes up.
    static constexpr int kSecondMarginMs = 3;
    // The alarm and countdown checks.
    static constexpr int kCheckMs = 200;
    // Between two queries of the countdown's line: the face stays current
    // without spinning the processor.
    static constexpr uint32_t kLinePollMs = 20;

    explicit frmClock(Application& app);
    ~frmClock();

    // The load sequence: sets every part of the program up, in a fixed
    // order, before the window is first shown.
    void Form_Load();
    // The alarm's part of the load sequence: reads the alarm and, when it is
    // armed, starts its check and shows its sign.
    void LoadAlarm();
    // Every 200 ms while the alarm is armed: at its minute, once a day, the
    // call-out.
    void tmrAlerm_Timer();
    // Every 200 ms while a countdown runs: ten seconds before its end the
    // character's line, with the face and the stage moving, then the
    // call-out.
    void tmrTimer_Timer();
    // After an alarm or a countdown is over: the sign of the one still set,
    // or the idle sign.
    void ShowRestingSign();
    // A click on the sign opens the settings, the clock off the top level.
    void imgAlarmTimer_Click(int16_t index);
    void Show();
    // Every request to close the window: saves its place, ends the process.
    void Form_QueryUnload();
    void Form_MouseDown(int16_t button, int16_t shift, int x, int y);
    void picExitButton_MouseDown(int16_t button, int16_t shift, int x, int y);
    void picExitButton_MouseUp(int16_t button, int16_t shift, int x, int y);
    void tmrClock_Timer();
    // A left click on the stage speaks the time; the right button offers
    // the menu.
    void picAnimeStage_Click();
    void picAnimeStage_MouseDown(int16_t button, int16_t shift, int x, int y);
    // The stage's menu and its items.
    void PopupStageMenu();
    void mnuSpeakTime_Click();
    void mnuTopMost_Click();
    // Silences the stage and the spoken time, and stores the choice.
    void mnuMute_Click();
    void mnuExit_Click();
    // mode 1 restores the saved place, mode 0 saves it; others do nothing.
    void FormPosition(int16_t mode);

    platform::Form window;

    // Areas on the face.
    platform::PictureBox& imgAlarmTimer(int index) { return *imgAlarmTimer_[index]; }
    platform::PictureBox& imgAMPM(int index) { return *imgAMPM_[index]; }
    platform::PictureBox& picTimr() { return *picTimr_; }
    platform::PictureBox& picAnimeStage() { return *picAnimeStage_; }
    platform::PictureBox& picExitButton() { return *picExitButton_; }

    // Pictures kept only for copying.
    platform::Picture picHour00, picHour0, picMin00, picMin0;  // digit strips
    std::array<platform::Picture, 2> picKoron;                  // colon, no colon
    std::array<platform::Picture, 3> imgAMPMPicture;            // [1] AM lit, [2] PM lit
    platform::Picture picExitButtonBuffer;                      // CLOSE corner, pressed
    std::array<platform::Picture, 4> imgAlarmTimerPicture;      // [1] waves, [2] alarm clock, [3] idle

    std::unique_ptr<platform::Timer> tmrClock;
    std::unique_ptr<platform::Timer> tmrAlerm;
    std::unique_ptr<platform::Timer> tmrTimer;

    // The previous alarm check: where the wall clock and the tick count stood.
    struct AlarmCheck {
        bool made = false;
        platform::LocalTime at;
        uint64_t tick = 0;
    };

private:
    AlarmCheck lastAlarmCheck_;
    Application& app_;
    platform::PictureBox* imgAlarmTimer_[1]{};
    platform::PictureBox* imgAMPM_[1]{};
    platform::PictureBox* picTimr_ = nullptr;
    platform::PictureBox* picAnimeStage_ = nullptr;
    platform::PictureBox* picExitButton_ = nullptr;
};
