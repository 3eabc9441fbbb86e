// The settings dialog opened over a running clock on a virtual machine, the
// dialog's messages, and the input helpers that drive its controls.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/Application.h"
#include "app/frmClock.h"
#include "platform/IniFile.h"
#include "settings/frmSetting.h"
#include "support/VirtualPlatform.h"

namespace testing_support {

using platform::MessageIcon;
using Message = RecordingMessages::Message;

inline const Message kNoCharacter{"登場キャラクターを設定してください。", MessageIcon::kExclamation, "Marolin"};
inline const Message kNoHour{"時間を設定してください。", MessageIcon::kInformation, "Tessuri"};
inline const Message kHourRange{"入力できる値は 1 ～ 12 までです。", MessageIcon::kInformation, "Tessuri"};
inline const Message kMinuteRange{"入力できる値は 0 ～ 59 までです。", MessageIcon::kInformation, "Tessuri"};
inline const Message kTimerRange{"入力できる値は 1 ～ 999 までです。", MessageIcon::kInformation, "Tessuri"};
inline const Message kDigitsOnly{"入力できる値は 0 ～ 9 までの半角文字だけです。", MessageIcon::kExclamation, "Tessuri"};

// A running clock on a virtual machine, and the dialog opened over it the
// way the clock opens it, without the modal wait.
struct Rig {
    void Start(const std::string& ini = "") {
        if (!ini.empty()) vp.folder.Write("Tessuri.ini", ini);
        vp.clock.SetTime(10, 0, 0);
        app.clock.Main();
    }
    frmSetting& Open() {
        dlg.reset();
        dlg = std::make_unique<frmSetting>(app);
        dlg->Form_Load();
        dlg->dialog.Show();
        return *dlg;
    }
    frmClock& F() { return *app.clockWindow; }
    std::string File() const { return vp.folder.Read("Tessuri.ini"); }
    std::string Stored(const char* section, const char* key) const {
        return platform::IniFile().GetString(section, key, "<missing>", vp.folder.File("Tessuri.ini"));
    }
    // Which picture the sign shows: 1 waves, 2 alarm clock, 3 idle.
    int Sign() {
        for (int i = 1; i <= 3; ++i)
            if (F().imgAlarmTimer(0).GetPicture() == F().imgAlarmTimerPicture[i]) return i;
        return -1;
    }
    const std::vector<Message>& Shown() const { return vp.messages.shown; }

    VirtualPlatform vp;
    Application app{vp.view};
    std::unique_ptr<frmSetting> dlg;  // goes before the clock it works on
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

class SettingDialog : public ::testing::Test, protected Rig {};

}  // namespace testing_support
