// The clock's life on a real display: first start, quitting through the
// CLOSE corner, the saved place, and the single running instance.
#include <signal.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "clock_fixture.h"

namespace desktop {
namespace {

using ::testing::HasSubstr;
using ::testing::Pair;

TEST(ClockWindow, FirstStartShowsTheShapedWindowAtTheScreenCorner) {
    ProgramFolder folder;
    auto clock = StartClock(folder);
    ASSERT_TRUE(clock);
    EXPECT_EQ(WaitForPlace(*clock, 0, 0), (Geometry{0, 0, kWindowWidth, kWindowHeight}));
    EXPECT_THAT(WindowProperty(clock->window(), "WM_CLASS"), HasSubstr("\"tessuri\", \"tessuri\""));
    EXPECT_THAT(WindowProperty(clock->window(), "_NET_WM_NAME"), HasSubstr("\"Tessuri\""));
    // The icon follows just after the first frame. (Asked for its head only:
    // xprop leaves a property this long out entirely.)
    const auto icon = [&] {
        return desktop::Run({"xprop", "-id", std::to_string(clock->window()), "-len", "8", "_NET_WM_ICON"}).out;
    };
    EXPECT_TRUE(PollUntil([&] { return icon().find("Icon (256 x 256)") != std::string::npos; }, 5s)) << icon();
}

// Every way of letting go of the CLOSE triangle quits, and the first run
// leaves exactly the start-up keys and the place in the settings file.
struct CloseGesture {
    const char* name;
    int button;
    int press_x, press_y;      // window coordinates, inside the triangle
    int release_x, release_y;  // window coordinates
};
void PrintTo(const CloseGesture& c, std::ostream* os) { *os << c.name; }

class CloseButton : public ::testing::TestWithParam<CloseGesture> {};

TEST_P(CloseButton, QuitsAndWritesOnlyTheStartUpKeysAndThePlace) {
    const CloseGesture& gesture = GetParam();
    ProgramFolder folder;
    auto clock = StartClock(folder);
    ASSERT_TRUE(clock);
    const Geometry g = WaitForPlace(*clock, 0, 0);

    PressMoveRelease(gesture.button, g.x + gesture.press_x, g.y + gesture.press_y, g.x + gesture.release_x,
                     g.y + gesture.release_y);
    EXPECT_EQ(clock->process().WaitExit(5s), 0) << folder.Log();

    const auto ini = folder.ReadIni();
    ASSERT_TRUE(ini) << "no settings file written";
    const IniSections sections = ParseIni(*ini);
    EXPECT_EQ(sections.size(), 1u) << *ini;
    EXPECT_THAT(sections.at("Setting"),
                ::testing::UnorderedElementsAre(Pair("Char0", "True"), Pair("Char1", "True"), Pair("Char2", "True"),
                                                Pair("Char3", "True"), Pair("Char4", "True"), Pair("ZOrder", "False"),
                                                Pair("Left", "0"), Pair("Top", "0")))
        << *ini;
}

INSTANTIATE_TEST_SUITE_P(Gestures, CloseButton,
                         ::testing::Values(CloseGesture{"LeftClick", 1, kCloseX, kCloseY, kCloseX, kCloseY},
                                           CloseGesture{"RightClick", 3, 228, 40, 228, 40},
                                           CloseGesture{"NearTheDiagonal", 1, 179 + 30, 28, 179 + 30, 28},
                                           CloseGesture{"LeftPressReleasedFarAway", 1, kCloseX, kCloseY, 60, 120}),
                         [](const auto& info) { return std::string(info.param.name); });

// The place saved as Left/Top is where the next start shows the window, and
// the exit writes the place back.
struct SavedPlace {
    const char* name;
    const char* left;
    const char* top;
    int x, y;  // where the window is expected
};
void PrintTo(const SavedPlace& c, std::ostream* os) { *os << c.name; }

class RestoredPlace : public ::testing::TestWithParam<SavedPlace> {};

TEST_P(RestoredPlace, StartShowsTheWindowThereAndQuitSavesIt) {
    const SavedPlace& place = GetParam();
    ProgramFolder folder;
    folder.WriteIni(std::string("[Setting]\nLeft=") + place.left + "\nTop=" + place.top + "\n");
    auto clock = StartClock(folder);
    ASSERT_TRUE(clock);
    const Geometry g = WaitForPlace(*clock, place.x, place.y);
    EXPECT_EQ(g, (Geometry{place.x, place.y, kWindowWidth, kWindowHeight}));

    ASSERT_EQ(CloseByButton(*clock, g), 0) << folder.Log();
    const auto keys = SettingKeys(folder.ReadIni().value_or(""));
    EXPECT_EQ(keys.at("Left"), std::to_string(place.x));
    EXPECT_EQ(keys.at("Top"), std::to_string(place.y));
}

INSTANTIATE_TEST_SUITE_P(Places, RestoredPlace,
                         ::testing::Values(SavedPlace{"Plain", "300", "200", 300, 200},
                                           SavedPlace{"TopNotANumber", "300", "abc", 0, 0},
                                           SavedPlace{"LeftEmpty", "", "200", 0, 200}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- one instance

TEST(SingleInstance, SecondStartEndsAtOnceAndLeavesTheFileAlone) {
    ProgramFolder folder;
    folder.WriteIni("; kept as written\n[Setting]\nZOrder = False\nChar0=True\nLeft=40\nTop=30\n");
    auto first = StartClock(folder);
    ASSERT_TRUE(first);
    const auto before = folder.ReadIni();

    Clock second(folder);
    EXPECT_EQ(second.process().WaitExit(5s), 0) << folder.Log();
    EXPECT_EQ(folder.ReadIni(), before);
    EXPECT_TRUE(first->process().Running());
    EXPECT_TRUE(IsViewable(first->window()));
}

// Something in the lock's place that no one can lock: the program says so
// and ends, rather than run unguarded or end as if another clock ran.
TEST(SingleInstance, UnusableLockPlaceIsReportedAndNothingRuns) {
    namespace fs = std::filesystem;
    const struct {
        const char* name;
        void (*make)(const fs::path& lock);
    } cases[] = {
        {"a folder", [](const fs::path& lock) { fs::create_directory(lock); }},
        {"a link", [](const fs::path& lock) { fs::create_symlink("elsewhere", lock); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder;
        const fs::path lock = folder.runtime() / "tessuri.lock";
        c.make(lock);
        Clock clock(folder);
        EXPECT_EQ(clock.process().WaitExit(5s), 1) << folder.Log();
        EXPECT_THAT(folder.Log(), HasSubstr("tessuri: cannot open the lock " + lock.string()));
        EXPECT_FALSE(fs::exists(folder.dir() / "Tessuri.ini"));
        EXPECT_FALSE(fs::exists(folder.runtime() / "elsewhere"));
    }
}

TEST(SingleInstance, TwoStartedAtTheSameInstantLeaveOneRunning) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ProgramFolder folder;
        StartGate gate;
        ClockOptions options;
        options.gate = &gate;
        Clock a(folder, options);
        Clock b(folder, options);
        gate.Release();

        // One of them ends at once; the other keeps running with its window.
        PollUntil([&] { return !a.process().Running() || !b.process().Running(); }, 10s);
        Clock& loser = a.process().Running() ? b : a;
        Clock& winner = a.process().Running() ? a : b;
        EXPECT_EQ(loser.process().WaitExit(0s), 0) << folder.Log();
        EXPECT_NE(winner.WaitWindow(15s), 0u) << folder.Log();
        EXPECT_TRUE(winner.process().Running());
    }
}

TEST(SingleInstance, StartAfterTheHolderWasKilledRuns) {
    ProgramFolder folder;
    auto first = StartClock(folder);
    ASSERT_TRUE(first);
    first->process().Signal(SIGKILL);
    ASSERT_EQ(first->process().WaitExit(5s), 128 + SIGKILL);

    auto next = StartClock(folder);
    ASSERT_TRUE(next);
    EXPECT_TRUE(next->process().Running());
}

}  // namespace
}  // namespace desktop
