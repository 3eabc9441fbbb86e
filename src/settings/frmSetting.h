// The settings dialog "設定": the stacking, the characters on the stage and
// their cycle, the alarm or instead a countdown, and who speaks in the
// call-out.  Each opening builds it anew from the settings file; OK checks
// the entries, writes them key by key and applies them to the running clock.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/Dialog.h"

class Application;

class frmSetting {
public:
    static constexpr int kWidth = 343;
    static constexpr int kHeight = 285;

    explicit frmSetting(Application& app);
    ~frmSetting();
    frmSetting(const frmSetting&) = delete;
    frmSetting& operator=(const frmSetting&) = delete;

    // Builds the dialog, fills it and shows it modally; returns when it has
    // been closed.
    static void ShowModal(Application& app);

    void Form_Load();
    void Form_QueryUnload();
    void cmdOK_Click();
    void cmdCancel_Click();
    void chkAlerm_Click();
    void Combo1_KeyPress(int16_t& keyAscii);
    void txtHour_Change();
    void TxtMinute_Change();
    void txtTimer_Change();
    void VSHour_Change();
    void VSMinute_Change();
    void VSTimer_Change();

    platform::Dialog dialog;
    // In the order they are made: every container before what it holds.
    platform::Button& cmdOK;
    platform::Button& cmdCancel;
    platform::Frame& Frame1;
    platform::OptionButton& OptAP;
    platform::OptionButton& OptPM;
    platform::Label& lblArame;
    platform::TextBox& txtHour;
    platform::SpinControl& VSHour;
    platform::Label& Label1;
    platform::TextBox& TxtMinute;
    platform::SpinControl& VSMinute;
    platform::Frame& Frame2;
    platform::TextBox& txtTimer;
    platform::SpinControl& VSTimer;
    platform::Label& Label2;
    platform::CheckBox& chkAlerm;
    platform::Frame& Frame3;
    std::array<platform::OptionButton*, 2> optEve;  // [0] once only, [1] every day
    platform::ComboBox& Combo1;
    platform::Frame& Frame4;
    std::array<platform::CheckBox*, 5> chkChar;
    platform::ComboBox& cmbCharTime;
    platform::Label& Label3;
    platform::Label& Label4;
    platform::CheckBox& chkTopMost;

private:
    // Enables the alarm's controls or the countdown's.
    void SetMode(bool alarm);
    // Shows one of the dialog's messages, titled "Tessuri".
    void Message(const char* text, platform::MessageIcon icon);
    // An information message that stops OK: always false.
    bool Refuse(const char* text);
    // OK's part for the alarm or the countdown, and the call-out character;
    // false where OK stops.
    bool ApplyAlarmOrTimer();

    Application& app_;
};
