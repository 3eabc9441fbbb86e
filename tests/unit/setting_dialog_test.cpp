// The settings dialog driven with real input on a running clock: what it
// shows, what OK writes and starts or refuses, and that closing it any other
// way leaves everything alone.
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
#include "support/SettingDialogRig.h"

namespace {

using namespace testing_support;

TEST_F(SettingDialog, FirstOpeningAfterFirstStartShowsTheDefaults) {
    Start();
    frmSetting& d = Open();
    EXPECT_TRUE(d.dialog.Visible());
    EXPECT_FALSE(d.chkTopMost.Value());
    EXPECT_EQ(d.cmbCharTime.Text(), "６０分毎");
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(d.chkChar[i]->Value()) << i;
    EXPECT_TRUE(d.OptAP.Value() && !d.OptPM.Value());
    EXPECT_EQ(d.txtHour.Text() + ":" + d.TxtMinute.Text() + " " + d.txtTimer.Text(), "01:00 0");
    EXPECT_TRUE(d.optEve[0]->Value() && !d.optEve[1]->Value());
    EXPECT_EQ(d.Combo1.Text(), "Rumika");
    EXPECT_TRUE(static_cast<QPushButton*>(d.cmdOK.Widget())->isDefault());
    EXPECT_TRUE(Shown().empty());
    // Timer mode: the alarm's controls are off, the countdown's on.
    EXPECT_FALSE(d.chkAlerm.Value());
    for (const platform::Control* c : std::vector<const platform::Control*>{
             &d.txtHour, &d.TxtMinute, &d.VSHour, &d.VSMinute, &d.OptAP, &d.OptPM, d.optEve[0], d.optEve[1]})
        EXPECT_FALSE(c->Enabled()) << c->Caption();
    for (const platform::Control* c :
         std::vector<const platform::Control*>{&d.Frame2, &d.txtTimer, &d.VSTimer, &d.Frame1, &d.chkAlerm})
        EXPECT_TRUE(c->Enabled()) << c->Caption();
}

TEST_F(SettingDialog, ControlsSitInTheirPlacesWithTheirCaptions) {
    frmSetting& d = Open();  // no clock needed: only the layout is looked at
    const QWidget* w = d.dialog.Widget();
    EXPECT_EQ(w->windowTitle().toStdString(), "設定");
    EXPECT_EQ(w->size(), QSize(343, 285));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    struct Place {
        const char* name;
        const platform::Control* control;
        int x, y, width, height;
        const char* caption;
    };
    const Place places[] = {
        {"cmdOK", &d.cmdOK, 249, 65, 89, 22, "OK"},
        {"cmdCancel", &d.cmdCancel, 249, 93, 89, 22, "ﾍﾍ｡! "},
        {"Frame1", &d.Frame1, 8, 4, 216, 68, "アラーム\u3000\u3000\u3000"},
        {"OptAP", &d.OptAP, 15, 13, 38, 12, "AM"},
        {"OptPM", &d.OptPM, 15, 30, 38, 12, "PM"},
        {"lblArame", &d.lblArame, 116, 26, 12, 14, "時"},
        {"txtHour", &d.txtHour, 63, 18, 33, 21, ""},
        {"VSHour", &d.VSHour, 96, 17, 14, 24, ""},
        {"Label1", &d.Label1, 188, 27, 12, 14, "分"},
        {"TxtMinute", &d.TxtMinute, 136, 18, 33, 21, ""},
        {"VSMinute", &d.VSMinute, 170, 17, 14, 24, ""},
        {"Frame2", &d.Frame2, 229, 4, 109, 51, "タイマー"},
        {"txtTimer", &d.txtTimer, 13, 19, 33, 21, ""},
        {"VSTimer", &d.VSTimer, 48, 18, 14, 24, ""},
        {"Label2", &d.Label2, 70, 28, 12, 14, "分"},
        {"chkAlerm", &d.chkAlerm, 61, 0, 17, 13, ""},
        {"Frame3", &d.Frame3, 15, 48, 140, 13, ""},
        {"optEve(1)", d.optEve[1], 73, 1, 63, 12, "毎日"},
        {"optEve(0)", d.optEve[0], 0, 1, 63, 12, "１回だけ"},
        {"Combo1", &d.Combo1, 125, 212, 99, 20, ""},
        {"Frame4", &d.Frame4, 8, 75, 215, 101, "登場キャラクター"},
        {"chkChar(0)", d.chkChar[0], 3, 16, 157, 13, "Rumika"},
        {"chkChar(1)", d.chkChar[1], 3, 32, 157, 13, "Shiore"},
        {"chkChar(2)", d.chkChar[2], 3, 48, 157, 13, "Yatsuha"},
        {"chkChar(3)", d.chkChar[3], 3, 64, 157, 13, "Pelulu"},
        {"chkChar(4)", d.chkChar[4], 3, 80, 157, 13, "Mazeri"},
        {"cmbCharTime", &d.cmbCharTime, 125, 181, 99, 20, ""},
        {"Label3", &d.Label3, 8, 182, 94, 25, "アニメーションの繰り返し時"},
        {"Label4", &d.Label4, 8, 211, 97, 35, "アラーム、タイマーのキャラクター"},
        {"chkTopMost", &d.chkTopMost, 9, 245, 215, 21, "常に手前に表示"},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        const platform::Rect g = p.control->Geometry();
        EXPECT_EQ(std::make_tuple(g.left, g.top, g.right - g.left, g.bottom - g.top),
                  std::make_tuple(p.x, p.y, p.width, p.height));
        EXPECT_EQ(p.control->Caption(), p.caption);
    }
    EXPECT_EQ(d.chkAlerm.Widget()->parentWidget(), d.Frame1.Widget());  // on the frame's title line
    auto entries = [](const platform::ComboBox& c) {
        std::vector<std::string> out;
        auto* list = static_cast<QComboBox*>(c.Widget());
        for (int i = 0; i < list->count(); ++i) out.push_back(list->itemText(i).toStdString());
        return out;
    };
    EXPECT_EQ(entries(d.Combo1), (std::vector<std::string>{"Rumika", "Shiore", "Yatsuha", "Pelulu", "Mazeri"}));
    EXPECT_EQ(entries(d.cmbCharTime), (std::vector<std::string>{"\u3000５分毎", "１０分毎", "２０分毎", "６０分毎"}));
}

TEST_F(SettingDialog, OkWithoutCharacterWarnsAfterWritingTheCycle) {
    Start();
    frmSetting& d = Open();
    for (platform::CheckBox* c : d.chkChar) Click(*c);
    Key(d.cmbCharTime, Qt::Key_Home);  // "　５分毎"
    Click(d.cmdOK);
    EXPECT_EQ(Shown(), std::vector<Message>{kNoCharacter});
    EXPECT_TRUE(d.dialog.Visible());
    EXPECT_EQ(Stored("Setting", "Event"), "0");
    EXPECT_EQ(Stored("Setting", "Char0"), "True");  // the characters are not written
}

// OK in timer mode, over an armed alarm; Enter in the timer box presses OK.

TEST(SettingTimerOk, DisarmsTheAlarmAndStartsOrEndsTheCountdown) {
    struct Case {
        const char* name;
        bool running;  // a countdown runs when the dialog opens
        const char* typed;
        int64_t deadline;  // after the tick at OK; -1 for none
        int sign;
    };
    const Case cases[] = {
        {"0 over the alarm", false, "0", -1, 2},  // the sign is left as it was
        {"0 over a countdown", true, "0", -1, 1},
        {"5", false, "5", 300'000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.Start(kAlarmIni);
        if (c.running) r.app.clock.StartCountdown(3);
        r.vp.clock.Advance(12'345);
        frmSetting& d = r.Open();
        Click(d.chkAlerm);
        TypeOver(d.txtTimer, c.typed);
        const int64_t tick = static_cast<int64_t>(r.vp.clock.tickMs);
        QTest::keyClick(d.txtTimer.Widget(), Qt::Key_Return);
        EXPECT_FALSE(d.dialog.Visible());
        EXPECT_TRUE(r.Shown().empty());
        EXPECT_EQ(r.app.clock.TimerDeadline, c.deadline == -1 ? -1 : tick + c.deadline);
        if (c.deadline != -1) EXPECT_TRUE(r.F().tmrTimer->Enabled());
        EXPECT_EQ(r.Sign(), c.sign);
        EXPECT_EQ(r.Stored("Alerm", "Enabled"), "0");
        EXPECT_EQ(r.app.clock.AlarmEnabled, "0");
        EXPECT_FALSE(r.F().tmrAlerm->Enabled());
        EXPECT_EQ(r.app.setting.CallOutKind, 1);
    }
}

TEST_F(SettingDialog, AlarmIsWrittenKeyByKeyAndArmed) {
    Start();
    frmSetting& d = Open();
    Click(d.chkAlerm);
    TypeOver(d.txtHour, "7");
    TypeOver(d.TxtMinute, "30");
    Click(d.OptPM);
    Click(*d.optEve[1]);
    Click(d.chkTopMost);
    Click(*d.chkChar[1]);
    Key(d.cmbCharTime, Qt::Key_Home);
    app.clock.AlarmFiredDay = "10";  // fired today already: may fire again
    EXPECT_EQ(d.txtHour.Text(), "07");
    EXPECT_EQ(d.TxtMinute.Text(), "30");
    Click(d.cmdOK);
    EXPECT_TRUE(Shown().empty());
    EXPECT_FALSE(d.dialog.Visible());
    EXPECT_EQ(File(),
              "[Setting]\nChar0=True\nChar1=False\nChar2=True\nChar3=True\nChar4=True\nZOrder=True\nEvent=0\n"
              "[Alerm]\nHour=07\nEnabled=1\nAMPM=False\nMinute=30\nEve=True\n");
    EXPECT_EQ(app.anime.StageInterval, 0);
    EXPECT_EQ(app.anime.CharEnabled, (std::array<bool, 5>{true, false, true, true, true}));
    const Clock& k = app.clock;
    EXPECT_EQ(k.AlarmHour + ":" + k.AlarmMinute + " " + k.AlarmAM + " " + k.AlarmEnabled, "07:30 False 1");
    EXPECT_TRUE(k.AlarmEveryDay && k.AlarmFiredDay.empty());
    EXPECT_TRUE(F().tmrAlerm->Enabled());
    EXPECT_EQ(Sign(), 2);
    EXPECT_EQ(app.setting.CallOutKind, 0);
    EXPECT_TRUE(app.form.TopMost);
    EXPECT_TRUE(F().window.StaysOnTop());
}

TEST_F(SettingDialog, AlarmOkWithoutAnHourStopsQuietlyOnlyForMinuteZero) {
    Start(kAlarmIni);
    frmSetting& d = Open();
    QTest::keyClick(d.txtHour.Widget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(d.txtHour.Widget(), Qt::Key_Backspace);
    ASSERT_EQ(d.txtHour.Text(), "");
    TypeOver(d.TxtMinute, "00");
    Click(d.cmdOK);
    EXPECT_EQ(Shown(), std::vector<Message>{});
    EXPECT_TRUE(d.dialog.Visible());
    TypeOver(d.TxtMinute, "5");
    Click(d.cmdOK);
    EXPECT_EQ(Shown(), std::vector<Message>{kNoHour});
    EXPECT_TRUE(d.dialog.Visible());
    EXPECT_EQ(Stored("Alerm", "Hour") + ":" + Stored("Alerm", "Minute"), "05:30");
}

TEST_F(SettingDialog, CancelEscAndCloseBoxWriteNothing) {
    Start("[Setting]\nZOrder=False\nEvent=2\nChar1=True\n[Alerm]\nHour=05\nMinute=30\nEnabled=0\n");
    const std::string before = File();
    const std::pair<const char*, std::function<void(frmSetting&)>> ways[] = {
        {"cancel button", [](frmSetting& d) { Click(d.cmdCancel); }},
        {"Esc", [](frmSetting& d) { QTest::keyClick(d.dialog.Widget(), Qt::Key_Escape); }},
        {"close box", [](frmSetting& d) { d.dialog.Widget()->close(); }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        frmSetting& d = Open();
        TypeOver(d.txtTimer, "5");
        Click(d.chkAlerm);
        TypeOver(d.txtHour, "9");
        TypeOver(d.TxtMinute, "45");
        Click(d.OptPM);
        Click(*d.optEve[1]);
        Click(d.chkTopMost);
        for (platform::CheckBox* c : d.chkChar) Click(*c);
        Key(d.cmbCharTime, Qt::Key_Home);
        Key(d.Combo1, Qt::Key_Down);
        ASSERT_TRUE(d.chkTopMost.Value() && d.chkAlerm.Value() && d.OptPM.Value() && d.optEve[1]->Value());
        ASSERT_EQ(d.txtHour.Text() + d.TxtMinute.Text() + d.txtTimer.Text(), "094505");
        ASSERT_EQ(d.cmbCharTime.ListIndex() * 10 + d.Combo1.ListIndex(), 1);
        ASSERT_TRUE(d.chkChar[0]->Value() && !d.chkChar[1]->Value());
        close(d);
        EXPECT_FALSE(d.dialog.Visible());
        EXPECT_EQ(File(), before);
        EXPECT_EQ(app.anime.StageInterval, 2);
        EXPECT_EQ(app.anime.CharEnabled, (std::array<bool, 5>{false, true, false, false, false}));
        EXPECT_TRUE(app.clock.TimerDeadline == -1 && !F().tmrAlerm->Enabled() && !app.form.TopMost);
        EXPECT_EQ(app.clock.AlarmHour, "05");
        EXPECT_EQ(app.setting.CallOutCharacter, 0);
    }
}

TEST_F(SettingDialog, ClickOnTheSignTakesTheClockOffTheTopLevelUntilOk) {
    Start("[Setting]\nZOrder=True\n");
    ASSERT_TRUE(F().window.StaysOnTop());
    const std::string before = File();
    // Looks at the dialog and cancels it as soon as its modal loop runs.
    std::string focused = "<no dialog>";
    QTimer::singleShot(0, [&focused] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QDialog*>(w) && w->isVisible()) {
                auto* button = qobject_cast<QPushButton*>(w->focusWidget());
                focused = button ? button->text().toStdString() : "<other>";
                QTest::keyClick(w, Qt::Key_Escape);
            }
    });
    F().imgAlarmTimer_Click(0);
    EXPECT_EQ(focused, "OK");  // the focus starts on OK
    EXPECT_FALSE(F().window.StaysOnTop());
    EXPECT_EQ(File(), before);
    frmSetting& d = Open();
    ASSERT_TRUE(d.chkTopMost.Value());
    Click(d.cmdOK);
    EXPECT_TRUE(F().window.StaysOnTop());
}

TEST_F(SettingDialog, ReopeningShowsTheFirstCharacterAgain) {
    Start();
    frmSetting& first = Open();
    for (int i = 0; i < 3; ++i) Key(first.Combo1, Qt::Key_Down);
    ASSERT_EQ(first.Combo1.Text(), "Pelulu");
    Click(first.cmdOK);
    ASSERT_FALSE(first.dialog.Visible());
    EXPECT_EQ(app.setting.CallOutCharacter, 3);
    frmSetting& second = Open();
    EXPECT_EQ(second.Combo1.Text(), "Rumika");
    EXPECT_EQ(app.setting.CallOutCharacter, 3);
    Click(second.cmdOK);
    EXPECT_EQ(app.setting.CallOutCharacter, 0);
}

TEST_F(SettingDialog, AlarmOkLeavesARunningCountdownAlone) {
    Start();
    frmSetting& first = Open();
    TypeOver(first.txtTimer, "5");
    Click(first.cmdOK);
    const int64_t deadline = app.clock.TimerDeadline;
    ASSERT_NE(deadline, -1);
    vp.clock.Advance(1'000);
    frmSetting& second = Open();
    Click(second.chkAlerm);
    Click(second.cmdOK);
    EXPECT_FALSE(second.dialog.Visible());
    EXPECT_EQ(app.clock.TimerDeadline, deadline);
    EXPECT_TRUE(F().tmrTimer->Enabled());
    EXPECT_TRUE(F().tmrAlerm->Enabled());
    EXPECT_EQ(app.setting.CallOutKind, 0);
}

}  // namespace
