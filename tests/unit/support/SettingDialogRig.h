// The settings dialog opened over a running clock on a virtual machine, the
// dialog's messages, and the input helpers that drive its controls.
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "dialog/SettingsDialog.h"
#include "support/ClockRig.h"
#include "support/VirtualPlatform.h"

namespace testing_support {

using platform::MessageIcon;
using Message = RecordingMessages::Message;

inline const Message kNoCharacter{"登場キャラクターを設定してください。", MessageIcon::kExclamation, "Marolin"};
inline const Message kNoHour{"時間を設定してください。", MessageIcon::kInformation, "Tessuri"};
inline const Message kNoMinute{"分を設定してください。", MessageIcon::kInformation, "Tessuri"};
inline const Message kHourRange{"入力できる値は 1 ～ 12 までです。", MessageIcon::kInformation, "Tessuri"};
inline const Message kMinuteRange{"入力できる値は 0 ～ 59 までです。", MessageIcon::kInformation, "Tessuri"};
inline const Message kTimerRange{"入力できる値は 1 ～ 999 までです。", MessageIcon::kInformation, "Tessuri"};
inline const Message kDigitsOnly{"入力できる値は 0 ～ 9 までの半角文字だけです。", MessageIcon::kExclamation,
                                 "Tessuri"};

// A running clock on a virtual machine, and the dialog opened over it the
// way the clock opens it, without the modal wait.
struct DialogRig : ClockRig {
    // The clock started at 10:00:00 over a settings file of that text.
    void Start(const std::string& ini = "") { ClockRig::Start(10, 0, 0, ini); }
    SettingsDialog& Open() {
        dialog.reset();
        dialog = std::make_unique<SettingsDialog>(SettingsDialog::Homes{
            program.SettingsFile(), program.StageSchedule(), program.AlarmClock(), program.CountdownTimer(),
            program.WindowStacking(), program.NextCallOut(), vp.messages});
        dialog->Load();
        dialog->Window().Show();
        return *dialog;
    }
    [[nodiscard]] std::string File() const { return vp.folder.Read("Tessuri.ini"); }
    [[nodiscard]] const std::vector<Message>& Shown() const { return vp.messages.shown; }
    // Whether the clock window itself stays above the other windows now.
    [[nodiscard]] bool ClockWindowOnTop() { return program.Window().Window().StaysOnTop(); }
    // The writes to the settings file since the calls were last cleared, as
    // "Key=value" in their order.
    [[nodiscard]] std::vector<std::string> Written() const {
        std::vector<std::string> written;
        for (const auto& call : vp.profile.calls)
            if (call.write) written.push_back(call.key + "=" + call.value);
        return written;
    }

    std::unique_ptr<SettingsDialog> dialog;  // goes before the clock it works on
};

// Near the left edge: a check box or an option button takes clicks only on
// its mark and its caption, not on the empty rest of its box.
inline void Click(const platform::Control& c) {
    QTest::mouseClick(c.Widget(), Qt::LeftButton, {}, QPoint(6, c.Widget()->height() / 2));
}
// Replaces the whole text, as a user selecting it and typing over it.
inline void TypeOver(const platform::TextBox& box, const char* text) {
    QTest::keyClick(box.Widget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box.Widget(), QString::fromUtf8(text));
}
inline void TypeAtEnd(const platform::TextBox& box, const char* text) {
    QTest::keyClick(box.Widget(), Qt::Key_End);
    QTest::keyClicks(box.Widget(), QString::fromUtf8(text));
}
// The 14 x 24 bar has its upper arrow in rows 0-11 and its lower one in
// rows 12-23, and no room left for a track between them.
inline void Arrow(const platform::SpinControl& spin, bool up) {
    QTest::mouseClick(spin.Widget(), Qt::LeftButton, {}, QPoint(7, up ? 4 : 19));
}
inline void Key(const platform::Control& c, Qt::Key key) { QTest::keyClick(c.Widget(), key); }

inline const char* const kAlarmIni = "[Setting]\nChar0=True\n[Alerm]\nHour=05\nMinute=30\nEnabled=1\n";

class SettingDialog : public ::testing::Test, protected DialogRig {};

}  // namespace testing_support
