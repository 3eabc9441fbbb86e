// Pointer input on the real window: the cut corners let clicks through, a
// left press on the face drags, other buttons on the face do nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "clock_fixture.h"

namespace desktop {
namespace {

constexpr int kLeft = 200;  // where these tests place the window
constexpr int kTop = 150;

std::unique_ptr<Clock> StartPlacedClock(const ProgramFolder& folder, Geometry& g) {
    // Event 7 keeps the stage bare: a walk holds the window for a second and
    // would swallow the gestures these tests make.
    folder.WriteIni("[Setting]\nEvent=7\nLeft=" + std::to_string(kLeft) + "\nTop=" + std::to_string(kTop) + "\n");
    auto clock = StartClock(folder);
    if (clock) g = WaitForPlace(*clock, kLeft, kTop);
    return clock;
}

struct Pixel {
    int x, y;
};

TEST(WindowShape, ClicksOnTheCutCornersReachTheWindowBeneath) {
    // A plain window under the whole clock, with a margin of 10 pixels.
    constexpr int kMargin = 10;
    ClickTarget beneath(kLeft - kMargin, kTop - kMargin, kWindowWidth + 2 * kMargin, kWindowHeight + 2 * kMargin);
    ProgramFolder folder;
    Geometry g;
    auto clock = StartPlacedClock(folder, g);
    ASSERT_TRUE(clock);
    ASSERT_EQ(g.x, kLeft);
    ASSERT_EQ(g.y, kTop);

    // Cut away: the clicks must land on the window beneath.
    const std::vector<Pixel> cut{{0, 0},   {1, 0},   {0, 1},     {229, 0},  {0, 168},
                                 {0, 169}, {1, 169}, {229, 168}, {229, 169}};
    // Part of the clock: right-button presses there, which the clock ignores.
    // (Clear of the CLOSE triangle, where any button quits.)
    const std::vector<Pixel> kept{{2, 0}, {1, 1}, {0, 167}, {2, 169}};
    for (const Pixel& p : kept) PressMoveRelease(3, g.x + p.x, g.y + p.y, g.x + p.x, g.y + p.y);
    for (const Pixel& p : cut) PressMoveRelease(1, g.x + p.x, g.y + p.y, g.x + p.x, g.y + p.y);
    // Beside the clock: proves the target hears clicks, and marks the end.
    PressMoveRelease(2, kLeft - kMargin + 2, kTop - kMargin + 2, kLeft - kMargin + 2, kTop - kMargin + 2);
    ASSERT_TRUE(PollUntil([&] { return !beneath.Presses().empty() && beneath.Presses().back().button == 2; }, 5s))
        << "the window beneath got no click at all";

    std::vector<std::string> expected, got;
    for (const Pixel& p : cut)
        expected.push_back("1@" + std::to_string(p.x + kMargin) + "," + std::to_string(p.y + kMargin));
    expected.push_back("2@2,2");
    for (const auto& press : beneath.Presses())
        got.push_back(std::to_string(press.button) + "@" + std::to_string(press.x) + "," + std::to_string(press.y));
    EXPECT_EQ(got, expected) << "presses are button@x,y relative to the window beneath (clock at +10,+10)";
    EXPECT_TRUE(clock->process().Running());
}

struct Press {
    const char* name;
    int button;
    int x, y;  // window coordinates of the press
    bool drags;
};
void PrintTo(const Press& c, std::ostream* os) { *os << c.name; }

class FacePress : public ::testing::TestWithParam<Press> {};

// The pointer is pressed, moved by (+40, +30) and released: a drag moves the
// window along; anything else leaves it in place. The clock keeps running.
TEST_P(FacePress, DragsOnlyWithTheLeftButton) {
    const Press& press = GetParam();
    ProgramFolder folder;
    Geometry g;
    auto clock = StartPlacedClock(folder, g);
    ASSERT_TRUE(clock);
    ASSERT_EQ(g.x, kLeft);

    PressMoveRelease(press.button, g.x + press.x, g.y + press.y, g.x + press.x + 40, g.y + press.y + 30);
    const Geometry after = SettledGeometry(*clock);
    EXPECT_TRUE(clock->process().Running()) << folder.Log();
    if (press.drags) {
        EXPECT_EQ(after, (Geometry{kLeft + 40, kTop + 30, kWindowWidth, kWindowHeight}));
    } else {
        EXPECT_EQ(after, g);
    }
}

INSTANTIATE_TEST_SUITE_P(Presses, FacePress,
                         ::testing::Values(Press{"LeftOnLowerHalfOfCloseSquare", 1, 181, 48, true},
                                           Press{"LeftOnFaceBelowDigits", 1, 100, 48, true},
                                           Press{"LeftOnLeftEdge", 1, 4, 100, true},
                                           Press{"RightOnFace", 3, 100, 48, false},
                                           Press{"MiddleOnFace", 2, 4, 100, false},
                                           Press{"RightOnLowerHalfOfCloseSquare", 3, 181, 48, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Dragging, QuitAfterADragSavesTheNewPlaceAndTheNextStartShowsIt) {
    ProgramFolder folder;
    Geometry g;
    auto clock = StartPlacedClock(folder, g);
    ASSERT_TRUE(clock);
    PressMoveRelease(1, g.x + 100, g.y + 48, g.x + 100 - 120, g.y + 48 + 70);
    const Geometry moved = SettledGeometry(*clock);
    ASSERT_EQ(moved.x, kLeft - 120);
    ASSERT_EQ(moved.y, kTop + 70);
    ASSERT_EQ(CloseByButton(*clock, moved), 0) << folder.Log();

    const auto keys = SettingKeys(folder.ReadIni().value_or(""));
    EXPECT_EQ(keys.at("Left"), std::to_string(moved.x));
    EXPECT_EQ(keys.at("Top"), std::to_string(moved.y));
    auto again = StartClock(folder);
    ASSERT_TRUE(again);
    EXPECT_EQ(WaitForPlace(*again, moved.x, moved.y), moved);
}

}  // namespace
}  // namespace desktop
