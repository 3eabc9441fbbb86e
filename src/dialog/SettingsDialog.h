// The settings dialog "設定": the stacking, the characters on the stage and
// their cycle, the alarm or instead a countdown, and who speaks in the
// call-out.  Each opening builds it anew from the settings file; OK checks
// the entries, writes them key by key and applies them to the running clock
// through the alarm's, the countdown's, the stage's and the stacking's own
// operations.
#pragma once

#include <array>
#include <string>

#include "alarm/Alarm.h"
#include "callout/CallOut.h"
#include "countdown/Countdown.h"
#include "dialog/DialogLayout.h"
#include "platform/Dialog.h"
#include "platform/Services.h"
#include "settings/Settings.h"
#include "stage/Stage.h"
#include "window/Stacking.h"

class SettingsDialog {
public:
    // What OK changes.
    struct Homes {
        Settings& settings;
        Stage& stage;
        Alarm& alarm;
        Countdown& countdown;
        Stacking& stacking;
        CallOutChoice& callOut;
        platform::Messages& messages;
    };

    explicit SettingsDialog(Homes homes);
    ~SettingsDialog();
    SettingsDialog(const SettingsDialog&) = delete;
    SettingsDialog& operator=(const SettingsDialog&) = delete;

    // Builds the dialog, fills it and shows it modally; returns when it has
    // been closed.
    static void ShowModal(Homes homes);

    // Fills every control from the settings file.
    void Load();
    void Ok();
    void Cancel();

    platform::Dialog& Window() { return dialog_; }
    // The control at that place of the layout (not the dialog itself).
    [[nodiscard]] platform::Control& ControlAt(DialogControl control) const;

    platform::Button& OkButton() { return ok_; }
    platform::Button& CancelButton() { return cancel_; }
    platform::OptionButton& AmOption() { return am_; }
    platform::OptionButton& PmOption() { return pm_; }
    platform::TextBox& HourBox() { return hourBox_; }
    platform::SpinControl& HourSpin() { return hourSpin_; }
    platform::TextBox& MinuteBox() { return minuteBox_; }
    platform::SpinControl& MinuteSpin() { return minuteSpin_; }
    platform::Frame& CountdownFrame() { return countdownFrame_; }
    platform::TextBox& CountdownBox() { return countdownBox_; }
    platform::SpinControl& CountdownSpin() { return countdownSpin_; }
    platform::CheckBox& AlarmSwitch() { return alarmSwitch_; }
    platform::OptionButton& OnceOnly() { return onceOnly_; }
    platform::OptionButton& EveryDay() { return everyDay_; }
    platform::ComboBox& SpeakerList() { return speakerList_; }
    platform::CheckBox& OnStage(Character c) { return *onStage_[static_cast<std::size_t>(IndexOf(c))]; }
    platform::ComboBox& CycleList() { return cycleList_; }
    platform::CheckBox& StaysOnTop() { return staysOnTop_; }

private:
    // Enables the alarm's controls or the countdown's.
    void SetMode(bool alarm);
    // What a box takes: a number in lowest..highest, else the range message;
    // an emptied box reads 0 where the box says so.
    struct TypedRange {
        int lowest, highest;
        const char* message;
        bool emptyReadsZero;
    };
    // The box's text after an edit: digits only, the number in range, then
    // the spin control follows it.
    void NumberTyped(platform::TextBox& box, platform::SpinControl& spin, const TypedRange& range);
    void HourTyped();
    void MinuteTyped();
    void CountdownTyped();
    void HourSpun();
    void MinuteSpun();
    void CountdownSpun();
    // The box's text when it is empty or holds the digits 0 to 9 only;
    // otherwise the empty text, after a message.
    std::string DigitsOnlyText(const platform::TextBox& box);
    // Shows one of the dialog's messages, titled "Tessuri".
    void Message(const char* text, platform::MessageIcon icon);
    // An information message that stops OK: always false.
    bool Refuse(const char* text);
    // OK's part for the alarm or the countdown, and the call-out's speaker;
    // false where OK stops.
    bool ApplyAlarmOrCountdown();

    Homes homes_;
    platform::Dialog dialog_;
    // In the order of the layout table: every container before what it holds.
    platform::Button& ok_;
    platform::Button& cancel_;
    platform::Frame& alarmFrame_;
    platform::OptionButton& am_;
    platform::OptionButton& pm_;
    platform::Label& hourCaption_;
    platform::TextBox& hourBox_;
    platform::SpinControl& hourSpin_;
    platform::Label& minuteCaption_;
    platform::TextBox& minuteBox_;
    platform::SpinControl& minuteSpin_;
    platform::Frame& countdownFrame_;
    platform::TextBox& countdownBox_;
    platform::SpinControl& countdownSpin_;
    platform::Label& countdownCaption_;
    platform::CheckBox& alarmSwitch_;
    platform::Frame& repeatGroup_;
    platform::OptionButton& onceOnly_;
    platform::OptionButton& everyDay_;
    platform::ComboBox& speakerList_;
    platform::Frame& stageFrame_;
    platform::ComboBox& cycleList_;
    platform::Label& cycleCaption_;
    platform::Label& speakerCaption_;
    platform::CheckBox& staysOnTop_;
    std::array<platform::CheckBox*, kCharacterCount> onStage_{};
};
