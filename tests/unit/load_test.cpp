// Start-up: what the load sequence reads and writes, in which order, and
// where the window ends up.
#include <gtest/gtest.h>

#include "app/Application.h"
#include "app/frmClock.h"
#include "support/VirtualPlatform.h"

namespace {

using testing_support::ProcessEnded;
using testing_support::RecordingProfile;
using testing_support::VirtualPlatform;
using Call = RecordingProfile::Call;

Call R(const char* s, const char* k, const char* d) { return {false, s, k, d}; }
Call W(const char* s, const char* k, const char* v) { return {true, s, k, v}; }

std::vector<Call> ReadsUpToCharacters() {
    return {R("Alerm", "AMPM", "True"),    R("Alerm", "Hour", "12"),     R("Alerm", "Minute", "0"),
            R("Alerm", "Enabled", "0"),    R("Alerm", "Eve", "False"),   R("Setting", "Event", "3"),
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
    VirtualPlatform vp;
    if (c.file) vp.folder.Write("Tessuri.ini", *c.file);
    Application app(vp.view);
    app.clock.Main();

    EXPECT_EQ(vp.profile.calls, c.calls);
    const platform::Rect r = app.clockWindow->window.GetWindowRect();
    EXPECT_EQ(r.left, c.left);
    EXPECT_EQ(r.top, c.top);
    EXPECT_EQ(r.right - r.left, 230);
    EXPECT_EQ(r.bottom - r.top, 170);
    for (bool on : app.anime.CharEnabled) EXPECT_TRUE(on);
    EXPECT_TRUE(app.clockWindow->tmrClock->Enabled());
    EXPECT_FALSE(app.clockWindow->tmrAlerm->Enabled());
    EXPECT_EQ(vp.folder.Read("Tessuri.ini"), c.fileAfter);
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
                 Then(ReadsUpToCharacters(), kStackingAndPlace), 0, 0,
                 kFirstStartFile + "Left=30000\nTop=20000\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadSequence, ArmedAlarmStartsItsCheckAndShowsItsSign) {
    VirtualPlatform vp;
    vp.folder.Write("Tessuri.ini", "[Alerm]\nEnabled=1\nHour=07\n[Setting]\nChar2=True\nZOrder=True\nEvent=1\n");
    Application app(vp.view);
    app.clock.Main();
    frmClock& f = *app.clockWindow;
    EXPECT_TRUE(f.tmrAlerm->Enabled());
    EXPECT_EQ(f.imgAlarmTimer(0).GetPicture(), f.imgAlarmTimerPicture[2]);
    EXPECT_EQ(app.clock.AlarmHour, "07");
    EXPECT_EQ(app.clock.AlarmMinute, "0");
    EXPECT_EQ(app.anime.StageInterval, 1);
    EXPECT_EQ(app.anime.StageChar, 2);  // the only one enabled
    EXPECT_TRUE(app.form.TopMost);
    EXPECT_TRUE(f.window.StaysOnTop());
}

TEST(LoadSequence, EnabledMeansExactlyTheTextOne) {
    VirtualPlatform vp;
    vp.folder.Write("Tessuri.ini", "[Alerm]\nEnabled=01\n");
    Application app(vp.view);
    app.clock.Main();
    EXPECT_FALSE(app.clockWindow->tmrAlerm->Enabled());
    EXPECT_EQ(app.clockWindow->imgAlarmTimer(0).GetPicture(), app.clockWindow->imgAlarmTimerPicture[3]);
}

TEST(Exit, QuittingSavesThePlaceAndEndsTheProcess) {
    VirtualPlatform vp;
    Application app(vp.view);
    app.clock.Main();
    frmClock& f = *app.clockWindow;
    f.window.Move(-12, 345, 230, 170);
    f.picExitButton_MouseDown(platform::kRightButton, 0, 40, 5);
    EXPECT_EQ(f.picExitButton().GetPicture(), f.picExitButtonBuffer);
    EXPECT_THROW(f.picExitButton_MouseUp(platform::kRightButton, 0, -500, 900), ProcessEnded);
    EXPECT_EQ(vp.folder.Read("Tessuri.ini"), kFirstStartFile + "Left=-12\nTop=345\n");
}

TEST(Stacking, SetTopMostSavesOnlyWhenAsked) {
    VirtualPlatform vp;
    Application app(vp.view);
    platform::Form window("test");
    app.form.SetTopMost(window, true, true);
    EXPECT_TRUE(window.StaysOnTop());
    EXPECT_FALSE(vp.folder.Exists("Tessuri.ini"));
    app.form.SetTopMost(window, true, false);
    EXPECT_EQ(vp.folder.Read("Tessuri.ini"), "[Setting]\nZOrder=True\n");
    EXPECT_FALSE(app.form.TopMost);  // the flag is the caller's to change
}

TEST(StageCharacter, NeverRepeatsWithTwoOrMoreEnabled) {
    VirtualPlatform vp;
    Application app(vp.view);
    app.anime.CharEnabled = {true, false, true, false, true};
    app.anime.StageChar = 2;
    app.anime.PhaseShown[3] = true;
    vp.random.script = {0.5, 0.5, 0.99};  // picks 2, 2, then 4
    app.anime.PickStageCharacter(true);
    EXPECT_EQ(app.anime.StageChar, 4);
    EXPECT_EQ(vp.random.randomizeCalls, 1);
    EXPECT_FALSE(app.anime.PhaseShown[3]);

    app.anime.CharEnabled = {false, true, false, false, false};
    app.anime.StageChar = 1;
    app.anime.PhaseShown[3] = true;
    app.anime.PickStageCharacter(true);
    EXPECT_EQ(app.anime.StageChar, 1);
    EXPECT_TRUE(app.anime.PhaseShown[3]);  // same character: the phase goes on
}

}  // namespace
