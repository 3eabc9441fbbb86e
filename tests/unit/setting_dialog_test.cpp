// The settings dialog driven with real input on a running clock: how it is
// laid out, what it shows, what OK writes and starts or refuses, and that
// closing it any other way leaves everything alone.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dialog/DialogLayout.h"
#include "support/SettingDialogRig.h"
#include "voice/ClipCatalogue.h"

namespace {

using namespace testing_support;
using C = DialogControl;

// --- Layout -----------------------------------------------------------------

QRect Box(const platform::Rect& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

QRect ContainerArea(DialogControl container) {
    if (container == C::kDialog) return {0, 0, dialog_layout::kWidth, dialog_layout::kHeight};
    return {QPoint(0, 0), Box(dialog_layout::PlaceOf(container).rect).size()};
}

std::string Figures(const QRect& r) {
    std::ostringstream out;
    out << "(" << r.x() << ", " << r.y() << ") " << r.width() << " x " << r.height();
    return out.str();
}

TEST(SettingDialogLayout, EveryControlLiesInsideItsContainer) {
    for (const ControlPlace& p : dialog_layout::kPlaces) {
        const QRect box = Box(p.rect), area = ContainerArea(p.container);
        EXPECT_TRUE(box.isValid()) << p.name << " " << Figures(box);
        EXPECT_TRUE(area.contains(box)) << p.name << " at " << Figures(box) << " outside " << Figures(area);
    }
}

// The alarm switch sits on the alarm frame's border, but the frame is its
// container: only controls in one container are compared.
TEST(SettingDialogLayout, NoTwoControlsInOneContainerOverlap) {
    const auto& places = dialog_layout::kPlaces;
    for (std::size_t i = 0; i < places.size(); ++i)
        for (std::size_t j = i + 1; j < places.size(); ++j) {
            const ControlPlace &a = places[i], &b = places[j];
            if (a.container != b.container) continue;
            EXPECT_FALSE(Box(a.rect).intersects(Box(b.rect)))
                << a.name << " " << Figures(Box(a.rect)) << " overlaps " << b.name << " " << Figures(Box(b.rect));
        }
}

class SettingDialogBuilt : public ::testing::Test, protected DialogRig {
protected:
    // No clock needed: only the layout is looked at.
    SettingsDialog& d = Open();
    QWidget* WidgetOf(DialogControl c) { return c == C::kDialog ? d.Window().Widget() : d.ControlAt(c).Widget(); }
};

TEST_F(SettingDialogBuilt, EveryControlSitsWhereTheTableSays) {
    const QWidget* w = d.Window().Widget();
    EXPECT_EQ(w->windowTitle().toStdString(), "設定");
    EXPECT_EQ(w->size(), QSize(dialog_layout::kWidth, dialog_layout::kHeight));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    for (const ControlPlace& p : dialog_layout::kPlaces) {
        const QWidget* control = WidgetOf(p.control);
        EXPECT_EQ(Figures(control->geometry()), Figures(Box(p.rect))) << p.name;
        EXPECT_EQ(control->parentWidget(), WidgetOf(p.container)) << p.name;
        EXPECT_TRUE(control->isVisible()) << p.name;
    }
}

// The width and height a caption needs in the control's font; check boxes
// and option buttons put their mark and a space before it, buttons their
// margins around it.
struct Need {
    int width = 0, height = 0;
};

Need CaptionNeed(const QWidget* w, const QString& caption) {
    const QStyle* style = w->style();
    auto metric = [&](QStyle::PixelMetric m) { return style->pixelMetric(m, nullptr, w); };
    Need need;
    if (!caption.isEmpty()) need = {QFontMetrics(w->font()).horizontalAdvance(caption), w->font().pixelSize()};
    const int space = caption.isEmpty() ? 0 : 1;
    if (qobject_cast<const QCheckBox*>(w))
        need.width += metric(QStyle::PM_IndicatorWidth) + space * metric(QStyle::PM_CheckBoxLabelSpacing);
    else if (qobject_cast<const QRadioButton*>(w))
        need.width += metric(QStyle::PM_ExclusiveIndicatorWidth) + space * metric(QStyle::PM_RadioButtonLabelSpacing);
    else if (qobject_cast<const QPushButton*>(w))
        need.width += 2 * metric(QStyle::PM_ButtonMargin);
    return need;
}

// A label wraps its caption to its width, one line per font size plus one
// pixel: every line must fit the width, and all of them the height.
std::optional<std::string> LabelClipped(const QLabel* label) {
    QTextLayout layout(label->text(), label->font());
    layout.beginLayout();
    int lines = 0;
    qreal widest = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label->width());
        widest = std::max(widest, line.naturalTextWidth());
        ++lines;
    }
    layout.endLayout();
    const int height = lines * (label->font().pixelSize() + 1);
    if (widest <= label->width() && height <= label->height()) return std::nullopt;
    std::ostringstream out;
    out << lines << " lines, " << widest << " x " << height << " in " << label->width() << " x " << label->height();
    return out.str();
}

TEST_F(SettingDialogBuilt, EveryCaptionFitsItsBox) {
    for (const ControlPlace& p : dialog_layout::kPlaces) {
        const QWidget* w = WidgetOf(p.control);
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            const std::optional<std::string> clipped = LabelClipped(label);
            EXPECT_FALSE(clipped) << p.name << ": " << clipped.value_or("");
            continue;
        }
        if (const auto* list = qobject_cast<const QComboBox*>(w)) {
            QStyleOptionComboBox option;
            option.initFrom(list);
            option.editable = false;
            option.frame = true;
            const QRect field =
                list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
            for (int i = 0; i < list->count(); ++i) {
                const int width = QFontMetrics(list->font()).horizontalAdvance(list->itemText(i));
                EXPECT_LE(width, field.width()) << p.name << ": " << list->itemText(i).toStdString();
            }
            continue;
        }
        const Need need = CaptionNeed(w, QString::fromStdString(d.ControlAt(p.control).Caption()));
        EXPECT_TRUE(need.width <= w->width() && need.height <= w->height())
            << p.name << ": needs " << need.width << " x " << need.height << ", has " << w->width() << " x "
            << w->height();
    }
}

TEST_F(SettingDialogBuilt, ShowsItsCaptionsAndEntries) {
    const std::pair<DialogControl, const char*> captions[] = {
        {C::kOk, "OK"},
        {C::kCancel, "ﾍﾍ｡! "},
        {C::kAlarmFrame, "アラーム\u3000\u3000\u3000"},
        {C::kAm, "AM"},
        {C::kPm, "PM"},
        {C::kHourCaption, "時"},
        {C::kMinuteCaption, "分"},
        {C::kCountdownFrame, "タイマー"},
        {C::kCountdownCaption, "分"},
        {C::kAlarmSwitch, ""},
        {C::kRepeatGroup, ""},
        {C::kOnceOnly, "１回だけ"},
        {C::kEveryDay, "毎日"},
        {C::kStageFrame, "登場キャラクター"},
        {C::kOnStage0, "Rumika"},
        {C::kOnStage1, "Shiore"},
        {C::kOnStage2, "Yatsuha"},
        {C::kOnStage3, "Pelulu"},
        {C::kOnStage4, "Mazeri"},
        {C::kCycleCaption, "アニメーションの繰り返し時"},
        {C::kSpeakerCaption, "アラーム、タイマーのキャラクター"},
        {C::kStaysOnTop, "常に手前に表示"},
    };
    for (const auto& [control, caption] : captions)
        EXPECT_EQ(d.ControlAt(control).Caption(), caption) << dialog_layout::PlaceOf(control).name;
    auto entries = [](const platform::ComboBox& c) {
        std::vector<std::string> out;
        auto* list = static_cast<QComboBox*>(c.Widget());
        for (int i = 0; i < list->count(); ++i) out.push_back(list->itemText(i).toStdString());
        return out;
    };
    EXPECT_EQ(entries(d.SpeakerList()), (std::vector<std::string>{"Rumika", "Shiore", "Yatsuha", "Pelulu", "Mazeri"}));
    EXPECT_EQ(entries(d.CycleList()), (std::vector<std::string>{"\u3000５分毎", "１０分毎", "２０分毎", "６０分毎"}));
}

// --- Opening, OK and closing ------------------------------------------------

TEST_F(SettingDialog, FirstOpeningAfterFirstStartShowsTheDefaults) {
    Start();
    SettingsDialog& d = Open();
    EXPECT_TRUE(d.Window().Visible());
    EXPECT_FALSE(d.StaysOnTop().Value());
    EXPECT_EQ(d.CycleList().Text(), "６０分毎");
    for (Character c : kAllCharacters) EXPECT_TRUE(d.OnStage(c).Value()) << NameOf(c);
    EXPECT_TRUE(d.AmOption().Value() && !d.PmOption().Value());
    EXPECT_EQ(d.HourBox().Text() + ":" + d.MinuteBox().Text() + " " + d.CountdownBox().Text(), "01:00 0");
    EXPECT_TRUE(d.OnceOnly().Value() && !d.EveryDay().Value());
    EXPECT_EQ(d.SpeakerList().Text(), "Rumika");
    EXPECT_TRUE(static_cast<QPushButton*>(d.OkButton().Widget())->isDefault());
    EXPECT_TRUE(Shown().empty());
    // Countdown mode: the alarm's controls are off, the countdown's on.
    EXPECT_FALSE(d.AlarmSwitch().Value());
    for (const platform::Control* c :
         std::vector<const platform::Control*>{&d.HourBox(), &d.MinuteBox(), &d.HourSpin(), &d.MinuteSpin(),
                                               &d.AmOption(), &d.PmOption(), &d.OnceOnly(), &d.EveryDay()})
        EXPECT_FALSE(c->Enabled()) << c->Caption();
    for (const platform::Control* c :
         std::vector<const platform::Control*>{&d.CountdownFrame(), &d.CountdownBox(), &d.CountdownSpin(),
                                               &d.ControlAt(C::kAlarmFrame), &d.AlarmSwitch()})
        EXPECT_TRUE(c->Enabled()) << c->Caption();
}

TEST_F(SettingDialog, OkWithoutCharacterWarnsAfterWritingTheCycle) {
    Start();
    SettingsDialog& d = Open();
    for (Character c : kAllCharacters) Click(d.OnStage(c));
    Key(d.CycleList(), Qt::Key_Home);  // "　５分毎"
    Click(d.OkButton());
    EXPECT_EQ(Shown(), std::vector<Message>{kNoCharacter});
    EXPECT_TRUE(d.Window().Visible());
    EXPECT_EQ(Stored("Setting", "Event"), "0");
    EXPECT_EQ(Stored("Setting", "Char0"), "True");  // the characters are not written
}

// OK in countdown mode, over an armed alarm; Enter in the countdown box
// presses OK.

TEST(SettingCountdownOk, DisarmsTheAlarmAndStartsOrEndsTheCountdown) {
    struct Case {
        const char* name;
        bool running;  // a countdown runs when the dialog opens
        const char* typed;
        std::optional<int64_t> runsFor;  // after the tick at OK
        Sign sign;
    };
    const Case cases[] = {
        {"0 over the alarm", false, "0", std::nullopt, Sign::kAlarm},  // the sign is left as it was
        {"0 over a countdown", true, "0", std::nullopt, Sign::kCountdown},
        {"5", false, "5", 300'000, Sign::kCountdown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogRig r;
        r.Start(kAlarmIni);
        if (c.running) r.program.CountdownTimer().Start(3);
        r.vp.clock.Advance(12'345);
        SettingsDialog& d = r.Open();
        Click(d.AlarmSwitch());
        TypeOver(d.CountdownBox(), c.typed);
        const auto tick = static_cast<int64_t>(r.vp.clock.tickMs);
        QTest::keyClick(d.CountdownBox().Widget(), Qt::Key_Return);
        EXPECT_FALSE(d.Window().Visible());
        EXPECT_TRUE(r.Shown().empty());
        const Countdown& countdown = r.program.CountdownTimer();
        EXPECT_EQ(countdown.Deadline(), c.runsFor ? std::optional<int64_t>(tick + *c.runsFor) : std::nullopt);
        EXPECT_EQ(countdown.Running(), c.runsFor.has_value());
        EXPECT_EQ(r.ShownSign(), c.sign);
        EXPECT_EQ(r.Stored("Alerm", "Enabled"), "0");
        EXPECT_FALSE(r.program.AlarmClock().Armed());
        EXPECT_FALSE(r.program.AlarmClock().Checking());
        EXPECT_EQ(r.program.NextCallOut().kind, CallOutKind::kCountdown);
    }
}

TEST_F(SettingDialog, AlarmIsWrittenKeyByKeyAndArmed) {
    Start();
    SettingsDialog& d = Open();
    Click(d.AlarmSwitch());
    TypeOver(d.HourBox(), "7");
    TypeOver(d.MinuteBox(), "30");
    Click(d.PmOption());
    Click(d.EveryDay());
    Click(d.StaysOnTop());
    Click(d.OnStage(Character::kShiore));
    Key(d.CycleList(), Qt::Key_Home);
    EXPECT_EQ(d.HourBox().Text(), "07");
    EXPECT_EQ(d.MinuteBox().Text(), "30");
    Click(d.OkButton());
    EXPECT_TRUE(Shown().empty());
    EXPECT_FALSE(d.Window().Visible());
    EXPECT_EQ(File(),
              "[Setting]\nChar0=True\nChar1=False\nChar2=True\nChar3=True\nChar4=True\nZOrder=True\nEvent=0\n"
              "[Alerm]\nHour=07\nEnabled=1\nAMPM=False\nMinute=30\nEve=True\n");
    const Stage& stage = program.StageSchedule();
    EXPECT_EQ(stage.Cycle(), 0);
    for (Character c : kAllCharacters) EXPECT_EQ(stage.Allowed(c), c != Character::kShiore) << NameOf(c);
    const Alarm& alarm = program.AlarmClock();
    EXPECT_EQ(alarm.Hour(), std::optional<int16_t>(7));
    EXPECT_EQ(alarm.Minute(), std::optional<int>(30));
    EXPECT_FALSE(alarm.IsAm());
    EXPECT_TRUE(alarm.Armed() && alarm.Checking() && alarm.EveryDay());
    EXPECT_EQ(ShownSign(), Sign::kAlarm);
    EXPECT_EQ(program.NextCallOut().kind, CallOutKind::kAlarm);
    EXPECT_TRUE(program.WindowStacking().ClockOnTop());
    EXPECT_TRUE(ClockWindowOnTop());
}

TEST_F(SettingDialog, OkLetsAnAlarmThatFiredTodayFireAgain) {
    Start("[Setting]\nChar0=True\n[Alerm]\nHour=10\nMinute=00\nAMPM=True\nEve=True\nEnabled=1\n");
    KeepStageBare();
    // How often the alarm's line has been said.
    char open[16];
    std::snprintf(open, sizeof open, "open %04d", clips::AlarmLine(Character::kRumika));
    auto said = [&] { return std::count(vp.sound.clipCalls.begin(), vp.sound.clipCalls.end(), open); };
    vp.pump.RunFor(Alarm::kCheckMs);
    ASSERT_EQ(said(), 1);
    ASSERT_EQ(program.AlarmClock().FiredOnDay(), std::optional<int>(10));
    SettingsDialog& d = Open();
    ASSERT_TRUE(d.AlarmSwitch().Value());
    TypeOver(d.MinuteBox(), "01");
    Click(d.OkButton());
    ASSERT_FALSE(d.Window().Visible());
    EXPECT_EQ(program.AlarmClock().FiredOnDay(), std::nullopt);
    vp.pump.RunFor(60'000);  // into 10:01
    EXPECT_EQ(said(), 2);
}

TEST_F(SettingDialog, AlarmOkWithoutAnHourStopsQuietlyOnlyForMinuteZero) {
    Start(kAlarmIni);
    SettingsDialog& d = Open();
    QTest::keyClick(d.HourBox().Widget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(d.HourBox().Widget(), Qt::Key_Backspace);
    ASSERT_EQ(d.HourBox().Text(), "");
    TypeOver(d.MinuteBox(), "00");
    Click(d.OkButton());
    EXPECT_EQ(Shown(), std::vector<Message>{});
    EXPECT_TRUE(d.Window().Visible());
    TypeOver(d.MinuteBox(), "5");
    Click(d.OkButton());
    EXPECT_EQ(Shown(), std::vector<Message>{kNoHour});
    EXPECT_TRUE(d.Window().Visible());
    EXPECT_EQ(Stored("Alerm", "Hour") + ":" + Stored("Alerm", "Minute"), "05:30");
}

TEST_F(SettingDialog, CancelEscAndCloseBoxWriteNothing) {
    Start("[Setting]\nZOrder=False\nEvent=2\nChar1=True\n[Alerm]\nHour=05\nMinute=30\nEnabled=0\n");
    const std::string before = File();
    const std::pair<const char*, std::function<void(SettingsDialog&)>> ways[] = {
        {"cancel button", [](SettingsDialog& d) { Click(d.CancelButton()); }},
        {"Esc", [](SettingsDialog& d) { QTest::keyClick(d.Window().Widget(), Qt::Key_Escape); }},
        {"close box", [](SettingsDialog& d) { d.Window().Widget()->close(); }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        SettingsDialog& d = Open();
        TypeOver(d.CountdownBox(), "5");
        Click(d.AlarmSwitch());
        TypeOver(d.HourBox(), "9");
        TypeOver(d.MinuteBox(), "45");
        Click(d.PmOption());
        Click(d.EveryDay());
        Click(d.StaysOnTop());
        for (Character c : kAllCharacters) Click(d.OnStage(c));
        Key(d.CycleList(), Qt::Key_Home);
        Key(d.SpeakerList(), Qt::Key_Down);
        ASSERT_TRUE(d.StaysOnTop().Value() && d.AlarmSwitch().Value() && d.PmOption().Value() && d.EveryDay().Value());
        ASSERT_EQ(d.HourBox().Text() + d.MinuteBox().Text() + d.CountdownBox().Text(), "094505");
        ASSERT_EQ(d.CycleList().ListIndex() * 10 + d.SpeakerList().ListIndex(), 1);
        ASSERT_TRUE(d.OnStage(Character::kRumika).Value() && !d.OnStage(Character::kShiore).Value());
        close(d);
        EXPECT_FALSE(d.Window().Visible());
        EXPECT_EQ(File(), before);
        const Stage& stage = program.StageSchedule();
        EXPECT_EQ(stage.Cycle(), 2);
        for (Character c : kAllCharacters) EXPECT_EQ(stage.Allowed(c), c == Character::kShiore) << NameOf(c);
        EXPECT_FALSE(program.CountdownTimer().Deadline());
        EXPECT_FALSE(program.AlarmClock().Armed() || program.AlarmClock().Checking());
        EXPECT_FALSE(program.WindowStacking().ClockOnTop() || ClockWindowOnTop());
        EXPECT_EQ(program.AlarmClock().Hour(), std::optional<int16_t>(5));
        EXPECT_EQ(program.NextCallOut().speaker, Character::kRumika);
    }
}

TEST_F(SettingDialog, ClickOnTheSignTakesTheClockOffTheTopLevelUntilOk) {
    Start("[Setting]\nZOrder=True\n");
    ASSERT_TRUE(ClockWindowOnTop());
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
    program.Window().Sign().onClick();
    EXPECT_EQ(focused, "OK");  // the focus starts on OK
    EXPECT_FALSE(ClockWindowOnTop());
    EXPECT_TRUE(program.WindowStacking().ClockOnTop());  // the user's choice stays
    EXPECT_EQ(File(), before);
    SettingsDialog& d = Open();
    ASSERT_TRUE(d.StaysOnTop().Value());
    Click(d.OkButton());
    EXPECT_TRUE(ClockWindowOnTop());
}

TEST_F(SettingDialog, ReopeningShowsTheFirstCharacterAgain) {
    Start();
    SettingsDialog& first = Open();
    for (int i = 0; i < 3; ++i) Key(first.SpeakerList(), Qt::Key_Down);
    ASSERT_EQ(first.SpeakerList().Text(), "Pelulu");
    Click(first.OkButton());
    ASSERT_FALSE(first.Window().Visible());
    EXPECT_EQ(program.NextCallOut().speaker, Character::kPelulu);
    SettingsDialog& second = Open();
    EXPECT_EQ(second.SpeakerList().Text(), "Rumika");
    EXPECT_EQ(program.NextCallOut().speaker, Character::kPelulu);
    Click(second.OkButton());
    EXPECT_EQ(program.NextCallOut().speaker, Character::kRumika);
}

TEST_F(SettingDialog, AlarmOkLeavesARunningCountdownAlone) {
    Start();
    SettingsDialog& first = Open();
    TypeOver(first.CountdownBox(), "5");
    Click(first.OkButton());
    const std::optional<int64_t> deadline = program.CountdownTimer().Deadline();
    ASSERT_TRUE(deadline);
    vp.clock.Advance(1'000);
    SettingsDialog& second = Open();
    Click(second.AlarmSwitch());
    Click(second.OkButton());
    EXPECT_FALSE(second.Window().Visible());
    EXPECT_EQ(program.CountdownTimer().Deadline(), deadline);
    EXPECT_TRUE(program.CountdownTimer().Running());
    EXPECT_TRUE(program.AlarmClock().Checking());
    EXPECT_EQ(program.NextCallOut().kind, CallOutKind::kAlarm);
}

}  // namespace
