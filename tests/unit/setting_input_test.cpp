// What the settings dialog's boxes, spin controls and lists make of typed,
// pasted and stored input: the echo between a box and its spin control, the
// refused characters and numbers, and stored values that do not fit.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "support/SettingDialogRig.h"

namespace {

using namespace testing_support;

TEST(SettingRefusedNumber, IsKeptInItsBoxAndRefusedAgainAtOk) {
    struct Case {
        const char* name;
        bool alarm;
        const char* pasted;
        Message message;
        bool thenCountdown = false;  // switched to the countdown before OK
    };
    const Case cases[] = {
        {"hour", true, "13", kHourRange},
        {"minute", true, "75", kMinuteRange},
        {"countdown", false, "1000", kTimerRange},
        // The countdown's OK writes the minute box too.
        {"minute", true, "75", kMinuteRange, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogRig r;
        r.Start(c.alarm ? "[Alerm]\nEnabled=1\n" : "");
        SettingsDialog& d = r.Open();
        const std::string which = c.name;
        platform::TextBox& box = which == "hour" ? d.HourBox() : which == "minute" ? d.MinuteBox() : d.CountdownBox();
        platform::SpinControl& spin = which == "hour"     ? d.HourSpin()
                                      : which == "minute" ? d.MinuteSpin()
                                                          : d.CountdownSpin();
        const int spinBefore = spin.Value();
        QApplication::clipboard()->setText(c.pasted);
        QTest::keyClick(box.Widget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box.Widget(), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(r.Shown(), std::vector<Message>{c.message});
        EXPECT_EQ(box.Text(), c.pasted);
        EXPECT_EQ(spin.Value(), spinBefore);
        if (c.thenCountdown) Click(d.AlarmSwitch());

        r.vp.profile.calls.clear();
        Click(d.OkButton());
        EXPECT_EQ(r.Shown(), (std::vector<Message>{c.message, c.message}));
        EXPECT_TRUE(d.Window().Visible());
        // Only what OK writes before it looks at the alarm or the countdown.
        EXPECT_EQ(r.Written(), (std::vector<std::string>{"Event=3", "Char0=True", "Char1=True", "Char2=True",
                                                         "Char3=True", "Char4=True"}));
    }
}

// Typing, arrows and track clicks, each from a given spin value: the text
// the box ends with, where its spin control ends, and whether the typed
// character was refused.

TEST_F(SettingDialog, NumberBoxesAndSpinControlsEchoEachOther) {
    Start(kAlarmIni);
    SettingsDialog& d = Open();
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
    platform::TextBox &hour = d.HourBox(), &minute = d.MinuteBox(), &countdown = d.CountdownBox();
    platform::SpinControl &hourSpin = d.HourSpin(), &minuteSpin = d.MinuteSpin(), &countdownSpin = d.CountdownSpin();
    const Case cases[] = {
        {"5 over 00", minute, minuteSpin, 0, type(minute, "5"), "05", 5},
        {"5 over 05", minute, minuteSpin, 5, type(minute, "5"), "5", 5},
        {"minute 0 down", minute, minuteSpin, 0, arrow(minuteSpin, false), "00", 0},
        {"minute 59 up", minute, minuteSpin, 59, arrow(minuteSpin, true), "59", 59},
        {"minute 8 up", minute, minuteSpin, 8, arrow(minuteSpin, true), "09", 9},
        {"minute 30 a", minute, minuteSpin, 30, append(minute, "a"), "00", 0, true},
        {"hour 1 down", hour, hourSpin, 1, arrow(hourSpin, false), "01", 0},
        {"hour 0 up", hour, hourSpin, 0, arrow(hourSpin, true), "01", 1},
        {"hour 12 up", hour, hourSpin, 12, arrow(hourSpin, true), "12", 12},
        {"hour typed 12", hour, hourSpin, 3, type(hour, "12"), "12", 12},
        {"hour 5 a", hour, hourSpin, 5, append(hour, "a"), "", 5, true},  // the hour box is not refilled
        // The countdown's controls, in countdown mode.
        {"countdown 0 a", countdown, countdownSpin, 0, append(countdown, "a"), "0", 0, true},
        {"countdown 12 a", countdown, countdownSpin, 12, append(countdown, "a"), "00", 0, true},
        {"countdown typed", countdown, countdownSpin, 0, type(countdown, "120"), "120", 120},
        {"countdown track above", countdown, countdownSpin, 5, track(countdownSpin, QAbstractSlider::SliderPageStepSub),
         "06", 6},
        {"countdown track below", countdown, countdownSpin, 5, track(countdownSpin, QAbstractSlider::SliderPageStepAdd),
         "04", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (&c.box == &countdown && d.AlarmSwitch().Value()) Click(d.AlarmSwitch());
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
    SettingsDialog& d = Open();
    QTest::keyClicks(d.SpeakerList().Widget(), "SYPMs");
    EXPECT_EQ(d.SpeakerList().ListIndex(), 0);
    Key(d.SpeakerList(), Qt::Key_Down);  // the arrow keys still choose
    EXPECT_EQ(d.SpeakerList().ListIndex(), 1);
}

// With the list dropped down the keys go to the list's popup: a typed
// letter must not pick an entry there either.

TEST_F(SettingDialog, TypingIntoTheOpenCharacterListChangesNothing) {
    Start();
    SettingsDialog& d = Open();
    auto* list = static_cast<QComboBox*>(d.SpeakerList().Widget());
    list->showPopup();
    ASSERT_TRUE(list->view()->isVisible());
    QTest::keyClicks(list->view(), "S");
    QTest::keyClick(list->view(), Qt::Key_Return);
    EXPECT_EQ(d.SpeakerList().Text(), "Rumika");
}

TEST(SettingOpening, AStoredValueThatDoesNotFitSkipsOnlyItsStep) {
    struct Case {
        const char *event, *hour, *minute;
        const char *cycle, *hourText, *minuteText;
        std::vector<Message> shown;
    };
    const Case cases[] = {
        {"1", "05", "30", "１０分毎", "05", "30", {}}, {"1", "abc", "30", "１０分毎", "12", "30", {}},
        {"1", "15", "30", "１０分毎", "12", "30", {}}, {"1", "17", "30", "１０分毎", "12", "30", {}},
        {"1", "-1", "30", "１０分毎", "12", "30", {}}, {"1", "05", "61", "１０分毎", "05", "59", {}},
        {"1", "05", "64", "１０分毎", "05", "00", {}}, {"1", "05", "x", "１０分毎", "05", "00", {}},
        {"9", "05", "30", "", "05", "30", {}},         {"1", "0", "30", "１０分毎", "00", "30", {kHourRange}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.event) + " " + c.hour + " " + c.minute);
        DialogRig r;
        r.Start(std::string("[Setting]\nChar2=True\nEvent=") + c.event + "\n[Alerm]\nAMPM=False\nHour=" + c.hour +
                "\nMinute=" + c.minute + "\nEve=True\nEnabled=1\n");
        r.vp.messages.shown.clear();
        SettingsDialog& d = r.Open();
        EXPECT_EQ(d.CycleList().Text(), c.cycle);
        EXPECT_EQ(d.HourBox().Text(), c.hourText);
        EXPECT_EQ(d.MinuteBox().Text(), c.minuteText);
        EXPECT_EQ(r.Shown(), c.shown);
        // The steps after the one skipped still ran.
        EXPECT_TRUE(d.OnStage(Character::kYatsuha).Value() && !d.OnStage(Character::kRumika).Value() &&
                    d.PmOption().Value() && d.EveryDay().Value());
        EXPECT_TRUE(d.AlarmSwitch().Value() && d.HourBox().Enabled() && !d.CountdownBox().Enabled());
    }
}

}  // namespace
