// What the settings dialog's boxes, spin controls and lists make of typed,
// pasted and stored input: the echo between a box and its spin control, the
// refused characters and numbers, and stored values that do not fit.
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

TEST(SettingRefusedNumber, IsKeptInItsBoxAndRefusedAgainAtOk) {
    struct Case {
        const char* name;
        bool alarm;
        const char* pasted;
        Message message;
        bool thenTimer = false;  // switched to the countdown before OK
    };
    const Case cases[] = {
        {"hour", true, "13", kHourRange},
        {"minute", true, "75", kMinuteRange},
        {"timer", false, "1000", kTimerRange},
        // The countdown's OK writes the minute box too.
        {"minute", true, "75", kMinuteRange, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.Start(c.alarm ? "[Alerm]\nEnabled=1\n" : "");
        frmSetting& d = r.Open();
        const std::string which = c.name;
        platform::TextBox& box = which == "hour" ? d.txtHour : which == "minute" ? d.TxtMinute : d.txtTimer;
        platform::SpinControl& spin = which == "hour" ? d.VSHour : which == "minute" ? d.VSMinute : d.VSTimer;
        const int spinBefore = spin.Value();
        QApplication::clipboard()->setText(c.pasted);
        QTest::keyClick(box.Widget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box.Widget(), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(r.Shown(), std::vector<Message>{c.message});
        EXPECT_EQ(box.Text(), c.pasted);
        EXPECT_EQ(spin.Value(), spinBefore);
        if (c.thenTimer) Click(d.chkAlerm);

        r.vp.profile.calls.clear();
        Click(d.cmdOK);
        EXPECT_EQ(r.Shown(), (std::vector<Message>{c.message, c.message}));
        EXPECT_TRUE(d.dialog.Visible());
        // Only what OK writes before it looks at the alarm or the countdown.
        std::vector<std::string> written;
        for (const auto& call : r.vp.profile.calls)
            if (call.write) written.push_back(call.key + "=" + call.value);
        EXPECT_EQ(written, (std::vector<std::string>{"Event=3", "Char0=True", "Char1=True", "Char2=True",
                                                      "Char3=True", "Char4=True"}));
    }
}

// Typing, arrows and track clicks, each from a given spin value: the text
// the box ends with, where its spin control ends, and whether the typed
// character was refused.

TEST_F(SettingDialog, NumberBoxesAndSpinControlsEchoEachOther) {
    Start(kAlarmIni);
    frmSetting& d = Open();
    struct Case {
        const char* name;
        platform::TextBox& box;
        platform::SpinControl& spin;
        int spinBefore;
        std::function<void()> act;
        const char* text;
        int spinAfter;
        bool refused = false;
    };
    auto type = [](platform::TextBox& b, const char* t) { return [&b, t] { TypeOver(b, t); }; };
    auto append = [](platform::TextBox& b, const char* t) { return [&b, t] { TypeAtEnd(b, t); }; };
    auto arrow = [](platform::SpinControl& s, bool up) { return [&s, up] { Arrow(s, up); }; };
    auto track = [](platform::SpinControl& s, QAbstractSlider::SliderAction a) {  // as a click on the track
        return [&s, a] { static_cast<QAbstractSlider*>(s.Widget())->triggerAction(a); };
    };
    platform::TextBox &hour = d.txtHour, &minute = d.TxtMinute, &timer = d.txtTimer;
    platform::SpinControl &vsHour = d.VSHour, &vsMinute = d.VSMinute, &vsTimer = d.VSTimer;
    const Case cases[] = {
        {"5 over 00", minute, vsMinute, 0, type(minute, "5"), "05", 5},
        {"5 over 05", minute, vsMinute, 5, type(minute, "5"), "5", 5},
        {"minute 0 down", minute, vsMinute, 0, arrow(vsMinute, false), "00", 0},
        {"minute 59 up", minute, vsMinute, 59, arrow(vsMinute, true), "59", 59},
        {"minute 8 up", minute, vsMinute, 8, arrow(vsMinute, true), "09", 9},
        {"minute 30 a", minute, vsMinute, 30, append(minute, "a"), "00", 0, true},
        {"hour 1 down", hour, vsHour, 1, arrow(vsHour, false), "01", 0},
        {"hour 0 up", hour, vsHour, 0, arrow(vsHour, true), "01", 1},
        {"hour 12 up", hour, vsHour, 12, arrow(vsHour, true), "12", 12},
        {"hour typed 12", hour, vsHour, 3, type(hour, "12"), "12", 12},
        {"hour 5 a", hour, vsHour, 5, append(hour, "a"), "", 5, true},  // the hour box is not refilled
        // The timer's controls, in timer mode.
        {"timer 0 a", timer, vsTimer, 0, append(timer, "a"), "0", 0, true},
        {"timer 12 a", timer, vsTimer, 12, append(timer, "a"), "00", 0, true},
        {"timer typed", timer, vsTimer, 0, type(timer, "120"), "120", 120},
        {"timer track above", timer, vsTimer, 5, track(vsTimer, QAbstractSlider::SliderPageStepSub), "06", 6},
        {"timer track below", timer, vsTimer, 5, track(vsTimer, QAbstractSlider::SliderPageStepAdd), "04", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (&c.box == &timer && d.chkAlerm.Value()) Click(d.chkAlerm);
        vp.messages.shown.clear();
        c.spin.SetValue(c.spinBefore);
        c.act();
        EXPECT_EQ(c.box.Text(), c.text);
        EXPECT_EQ(c.spin.Value(), c.spinAfter);
        EXPECT_EQ(Shown(), c.refused ? std::vector<Message>{kDigitsOnly} : std::vector<Message>{});
    }
}

TEST_F(SettingDialog, TypingIntoTheCharacterListChangesNothing) {
    Start();
    frmSetting& d = Open();
    QTest::keyClicks(d.Combo1.Widget(), "SYPMs");
    EXPECT_EQ(d.Combo1.ListIndex(), 0);
    Key(d.Combo1, Qt::Key_Down);  // the arrow keys still choose
    EXPECT_EQ(d.Combo1.ListIndex(), 1);
}

// With the list dropped down the keys go to the list's popup: a typed
// letter must not pick an entry there either.

TEST_F(SettingDialog, TypingIntoTheOpenCharacterListChangesNothing) {
    Start();
    frmSetting& d = Open();
    auto* list = static_cast<QComboBox*>(d.Combo1.Widget());
    list->showPopup();
    ASSERT_TRUE(list->view()->isVisible());
    QTest::keyClicks(list->view(), "S");
    QTest::keyClick(list->view(), Qt::Key_Return);
    EXPECT_EQ(d.Combo1.Text(), "Rumika");
}

TEST(SettingOpening, AStoredValueThatDoesNotFitSkipsOnlyItsStep) {
    struct Case {
        const char *event, *hour, *minute;
        const char *cycle, *hourText, *minuteText;
        std::vector<Message> shown;
    };
    const Case cases[] = {
        {"1", "05", "30", "１０分毎", "05", "30", {}},
        {"1", "abc", "30", "１０分毎", "12", "30", {}},
        {"1", "15", "30", "１０分毎", "12", "30", {}},
        {"1", "17", "30", "１０分毎", "12", "30", {}},
        {"1", "-1", "30", "１０分毎", "12", "30", {}},
        {"1", "05", "61", "１０分毎", "05", "59", {}},
        {"1", "05", "64", "１０分毎", "05", "00", {}},
        {"1", "05", "x", "１０分毎", "05", "00", {}},
        {"9", "05", "30", "", "05", "30", {}},
        {"1", "0", "30", "１０分毎", "00", "30", {kHourRange}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.event) + " " + c.hour + " " + c.minute);
        Rig r;
        r.Start(std::string("[Setting]\nChar2=True\nEvent=") + c.event + "\n[Alerm]\nAMPM=False\nHour=" + c.hour +
                "\nMinute=" + c.minute + "\nEve=True\nEnabled=1\n");
        r.vp.messages.shown.clear();
        frmSetting& d = r.Open();
        EXPECT_EQ(d.cmbCharTime.Text(), c.cycle);
        EXPECT_EQ(d.txtHour.Text(), c.hourText);
        EXPECT_EQ(d.TxtMinute.Text(), c.minuteText);
        EXPECT_EQ(r.Shown(), c.shown);
        // The steps after the one skipped still ran.
        EXPECT_TRUE(d.chkChar[2]->Value() && !d.chkChar[0]->Value() && d.OptPM.Value() && d.optEve[1]->Value());
        EXPECT_TRUE(d.chkAlerm.Value() && d.txtHour.Enabled() && !d.txtTimer.Enabled());
    }
}

TEST(SettingDigits, OnlyHalfWidthDigitsPass) {
    VirtualPlatform vp;
    Application app{vp.view};
    platform::Dialog host("host", 50, 30);
    platform::TextBox& box = host.AddTextBox(nullptr, {0, 0, 40, 20}, "");
    const std::pair<const char*, bool> cases[] = {
        {"", true},    {"0123", true}, {"7", true},    {"a", false},   {"1a", false}, {" 1", false},
        {"1 ", false}, {"-1", false},  {"+1", false}, {"1.5", false}, {"１", false}, {"1２", false},
    };
    for (const auto& [text, passes] : cases) {
        SCOPED_TRACE(text);
        vp.messages.shown.clear();
        box.SetText(text);
        EXPECT_EQ(app.clock.DigitsOnlyText(box), passes ? text : "");
        EXPECT_EQ(vp.messages.shown, passes ? std::vector<Message>{} : std::vector<Message>{kDigitsOnly});
        EXPECT_EQ(box.Text(), text);  // the box itself is left alone
    }
}

}  // namespace
