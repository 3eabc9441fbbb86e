// Start-up: what the load sequence reads and writes, in which order, and
// where the window ends up; how the clock's tick then keeps the face; the
// way out.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/Form.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "support/ClockRig.h"
#include "support/VirtualPlatform.h"
#include "window/Stacking.h"

namespace {

using platform::LoadPicture;
using platform::MouseButton;
using platform::Picture;
using testing_support::ClockRig;
using testing_support::ProcessEnded;
using testing_support::RecordingProfile;
using testing_support::VirtualPlatform;
using Call = RecordingProfile::Call;

Call R(const char* s, const char* k, const char* d) { return {false, s, k, d}; }
Call W(const char* s, const char* k, const char* v) { return {true, s, k, v}; }

std::vector<Call> ReadsUpToCharacters() {
    return {R("Alerm", "AMPM", "True"),     R("Alerm", "Hour", "12"),       R("Alerm", "Minute", "0"),
            R("Alerm", "Enabled", "0"),     R("Alerm", "Eve", "False"),     R("Setting", "Event", "3"),
            R("Setting", "Char0", "False"), R("Setting", "Char1", "False"), R("Setting", "Char2", "False"),
            R("Setting", "Char3", "False"), R("Setting", "Char4", "False")};
}

std::vector<Call> Then(std::vector<Call> a, const std::vector<Call>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<Call> kAllCharactersOn{W("Setting", "Char0", "True"), W("Setting", "Char1", "True"),
                                         W("Setting", "Char2", "True"), W("Setting", "Char3", "True"),
                                         W("Setting", "Char4", "True")};
// The mute choice is read but never written at start, so older files stay
// as they are.
const std::vector<Call> kStackingAndPlace{R("Setting", "ZOrder", "False"), W("Setting", "ZOrder", "False"),
                                          R("Setting", "Mute", "False"), R("Setting", "Left", "0"),
                                          R("Setting", "Top", "0")};

struct LoadCase {
    const char* name;
    std::optional<std::string> file;
    std::vector<Call> calls;
    int left, top;
    std::string fileAfter;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

class LoadSequence : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadSequence, ReadsWritesAndPlaces) {
    const LoadCase& c = GetParam();
    ClockRig rig;
    if (c.file) rig.vp.folder.Write("Tessuri.ini", *c.file);
    rig.program.Start();

    EXPECT_EQ(rig.vp.profile.calls, c.calls);
    const platform::Rect r = rig.program.Window().Window().GetWindowRect();
    EXPECT_EQ(r.left, c.left);
    EXPECT_EQ(r.top, c.top);
    EXPECT_EQ(r.right - r.left, 230);
    EXPECT_EQ(r.bottom - r.top, 170);
    for (Character ch : kAllCharacters) EXPECT_TRUE(rig.program.StageSchedule().Allowed(ch)) << NameOf(ch);
    EXPECT_TRUE(rig.program.TickTimer().Enabled());
    EXPECT_FALSE(rig.program.AlarmClock().Checking());
    EXPECT_EQ(rig.vp.folder.Read("Tessuri.ini"), c.fileAfter);
}

const std::string kFirstStartFile =
    "[Setting]\nChar0=True\nChar1=True\nChar2=True\nChar3=True\nChar4=True\nZOrder=False\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadSequence,
    ::testing::Values(
        LoadCase{"FirstStartWithoutFile", std::nullopt,
                 Then(Then(ReadsUpToCharacters(), kAllCharactersOn), kStackingAndPlace), 0, 0, kFirstStartFile},
        LoadCase{"AllCharactersOffAreSwitchedOn",
                 "[Setting]\nChar0=False\nChar1=False\nChar2=False\nChar3=False\nChar4=False\n",
                 Then(Then(ReadsUpToCharacters(), kAllCharactersOn), kStackingAndPlace), 0, 0,
                 "[Setting]\nChar0=True\nChar1=True\nChar2=True\nChar3=True\nChar4=True\nZOrder=False\n"},
        LoadCase{"TopNotANumberLeavesTheCorner", kFirstStartFile + "Left=300\nTop=abc\n",
                 Then(ReadsUpToCharacters(), kStackingAndPlace), 0, 0, kFirstStartFile + "Left=300\nTop=abc\n"},
        LoadCase{"EmptyLeftCountsAsZero", kFirstStartFile + "Left=\nTop=200\n",
                 Then(ReadsUpToCharacters(), kStackingAndPlace), 0, 200, kFirstStartFile + "Left=\nTop=200\n"},
        LoadCase{"PartlyOffScreenIsKept", kFirstStartFile + "Left=-100\nTop=-50\n",
                 Then(ReadsUpToCharacters(), kStackingAndPlace), -100, -50, kFirstStartFile + "Left=-100\nTop=-50\n"},
        LoadCase{"WhollyOffScreenFallsBackToCorner", kFirstStartFile + "Left=30000\nTop=20000\n",
                 Then(ReadsUpToCharacters(), kStackingAndPlace), 0, 0, kFirstStartFile + "Left=30000\nTop=20000\n"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(LoadSequence, ArmedAlarmStartsItsCheckAndShowsItsSign) {
    ClockRig rig;
    rig.Start(10, 0, 0, "[Alerm]\nEnabled=1\nHour=07\n[Setting]\nChar2=True\nZOrder=True\nEvent=1\n");
    Program& p = rig.program;
    EXPECT_TRUE(p.AlarmClock().Checking());
    EXPECT_EQ(rig.ShownSign(), Sign::kAlarm);
    EXPECT_EQ(p.Window().Sign().GetPicture(), LoadPicture("sign_alarm", 22, 22));
    EXPECT_EQ(p.AlarmClock().Hour(), 7);
    EXPECT_EQ(p.AlarmClock().Minute(), std::nullopt) << "the default minute \"0\" is no two-digit minute";
    EXPECT_EQ(p.StageSchedule().Cycle(), 1);
    EXPECT_EQ(p.StageSchedule().OnStage(), Character::kYatsuha);  // the only one allowed
    EXPECT_TRUE(p.WindowStacking().ClockOnTop());
    EXPECT_TRUE(p.Window().Window().StaysOnTop());
}

TEST(LoadSequence, EnabledMeansExactlyTheTextOne) {
    ClockRig rig;
    rig.Start(10, 0, 0, "[Alerm]\nEnabled=01\n");
    EXPECT_FALSE(rig.program.AlarmClock().Checking());
    EXPECT_EQ(rig.ShownSign(), Sign::kIdle);
    EXPECT_EQ(rig.program.Window().Sign().GetPicture(), LoadPicture("sign_idle", 22, 22));
}

// ---------------------------------------------------------------------------
// The clock's tick on the face: the face is redrawn just after each second,
// and only then.

// "hh:mm" with the colon as ':' or ' ', as the clock's digit area shows it
// now, read back cell by cell against the face's own pictures; "blank"
// before the first redraw.
std::string Shown(ClockRig& rig) {
    platform::PictureBox& area = rig.program.Window().Digits();
    const Picture& img = area.Image();
    if (img == area.GetPicture()) return "blank";
    const FacePictures& p = rig.program.Face().Pictures();
    auto digit = [&](int x, const Picture& strip) {
        const Picture cell = img.Crop(x, 0, 20, 26);
        char found = '?';
        for (int d = 0; d < strip.Width() / 20; ++d)
            if (strip.Crop(20 * d, 0, 20, 26) == cell) {
                if (found != '?') return '*';  // two digits look alike: no reading
                found = static_cast<char>('0' + d);
            }
        return found;
    };
    const Picture colon = img.Crop(40, 0, 12, 26);
    return {digit(0, p.hourTens), digit(20, p.hourUnits),
            colon == p.colonOn    ? ':'
            : colon == p.colonOff ? ' '
                                  : '?',
            digit(52, p.minuteTens), digit(72, p.minuteUnits)};
}

std::string AmPm(ClockRig& rig) {
    const Picture& shown = rig.program.Window().AmPm().GetPicture();
    const FacePictures& p = rig.program.Face().Pictures();
    return shown.Empty() ? "none" : shown == p.am ? "AM" : shown == p.pm ? "PM" : "?";
}

// The clock started at h:m:s.ms with a bare stage: a walk would hold it.
void StartAt(ClockRig& rig, int h, int m, int s, int ms) {
    rig.vp.clock.SetTime(h, m, s, ms);
    rig.program.Start();
    rig.KeepStageBare();
}

TEST(ClockTick, StartedDuringSecondZeroTheFaceStaysBlankUntilSecondOne) {
    ClockRig rig;
    StartAt(rig, 10, 20, 0, 0);
    rig.vp.pump.RunFor(950);
    EXPECT_EQ(Shown(rig), "blank");
    EXPECT_EQ(AmPm(rig), "none");
    rig.vp.pump.RunFor(100);
    EXPECT_EQ(Shown(rig), "10:20");
    EXPECT_EQ(AmPm(rig), "AM");
}

TEST(ClockTick, NoonComesOneSecondAfterElevenFiftyNine) {
    ClockRig rig;
    StartAt(rig, 11, 59, 58, 950);
    rig.vp.pump.RunFor(200);
    EXPECT_EQ(Shown(rig), "11:59");
    EXPECT_EQ(AmPm(rig), "AM");
    rig.vp.pump.RunFor(1000);
    EXPECT_EQ(Shown(rig), "12 00");
    EXPECT_EQ(AmPm(rig), "PM");
}

TEST(ClockTick, RedrawsOncePerSecondAndFollowsClockJumpsAtTheNextSecond) {
    ClockRig rig;
    StartAt(rig, 10, 0, 5, 100);
    rig.vp.pump.RunFor(100);
    EXPECT_EQ(Shown(rig), "10:00");
    // A mark in the digit area survives the rest of the second.
    Picture& digits = rig.program.Window().Digits().Image();
    digits.SetPixel(5, 5, 0x777777);
    rig.vp.pump.RunFor(500);
    EXPECT_EQ(digits.Pixel(5, 5), 0x777777u);
    // The clock is set back an hour, keeping the second: nothing until it
    // changes, and then within a second.
    rig.vp.clock.SetTime(9, 0, 5, 800);
    rig.vp.pump.RunFor(150);
    EXPECT_EQ(digits.Pixel(5, 5), 0x777777u);
    rig.vp.pump.RunFor(1000);
    EXPECT_EQ(Shown(rig), "09 00");
}

TEST(ClockTick, RestingClockWakesJustAfterEachSecond) {
    // One wake-up a second, a few milliseconds after the second changes.
    ClockRig rig;
    StartAt(rig, 8, 0, 0, 400);
    rig.vp.pump.fired = 0;
    int redraws = 0;
    Picture last = rig.program.Window().Digits().Image();
    for (int step = 0; step < 100; ++step) {  // 10 s in 100 ms steps
        rig.vp.pump.RunFor(100);
        const platform::LocalTime t = rig.vp.clock.Now();
        const Picture& now = rig.program.Window().Digits().Image();
        if (now != last) {
            ++redraws;
            EXPECT_LE(t.millisecond, 100) << "redrawn late in second " << t.second;
        }
        last = now;
    }
    EXPECT_EQ(redraws, 10);
    EXPECT_LE(rig.vp.pump.fired, 11);
}

// ---------------------------------------------------------------------------
// The way out, and the clock's stacking.

TEST(Exit, QuittingSavesThePlaceAndEndsTheProcess) {
    ClockRig rig;
    rig.Start(10, 0, 0);
    ClockWindow& w = rig.program.Window();
    w.Window().Move(-12, 345, 230, 170);
    w.CloseButton().onMouseDown(MouseButton::kRight);
    EXPECT_EQ(w.CloseButton().GetPicture(), LoadPicture("close_pressed", 52, 52));
    EXPECT_THROW(w.CloseButton().onMouseUp(MouseButton::kRight), ProcessEnded);
    EXPECT_EQ(rig.vp.folder.Read("Tessuri.ini"), kFirstStartFile + "Left=-12\nTop=345\n");
}

TEST(Stacking, OnlyTheClocksOwnChoiceIsStored) {
    VirtualPlatform vp;
    SettingsStore store(vp.profile, vp.folder.Path());
    Settings settings(store);
    platform::Form clock("clock");
    Stacking stacking(clock, settings);

    // Another window above the others: neither the file nor the choice.
    platform::Form other("other");
    Stacking::KeepAbove(other);
    EXPECT_TRUE(other.StaysOnTop());
    EXPECT_FALSE(clock.StaysOnTop());
    EXPECT_FALSE(stacking.ClockOnTop());
    EXPECT_FALSE(vp.folder.Exists("Tessuri.ini"));

    stacking.SetClockOnTop(true);
    EXPECT_TRUE(clock.StaysOnTop());
    EXPECT_EQ(vp.folder.Read("Tessuri.ini"), "[Setting]\nZOrder=True\n");

    // The settings dialog lowers the clock for a while: the choice and the
    // file stay.
    stacking.LowerClockForDialog();
    EXPECT_FALSE(clock.StaysOnTop());
    EXPECT_TRUE(stacking.ClockOnTop());
    EXPECT_EQ(vp.folder.Read("Tessuri.ini"), "[Setting]\nZOrder=True\n");

    stacking.ToggleClockOnTop();
    EXPECT_FALSE(clock.StaysOnTop());
    EXPECT_EQ(vp.folder.Read("Tessuri.ini"), "[Setting]\nZOrder=False\n");
}

}  // namespace
