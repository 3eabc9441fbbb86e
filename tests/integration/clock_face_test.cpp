// The time on the face, read back from the screen at fixed (faked) times and
// compared pixel for pixel with the program's own digit pictures.
#include <gtest/gtest.h>

#include <optional>
#include <thread>

#include <QImage>

#include "clock_fixture.h"

namespace desktop {
namespace {

constexpr int kLeft = 100;  // where these tests place the window
constexpr int kTop = 100;

struct FaceCase {
    const char* name;
    const char* start;         // faked local time at start
    std::vector<Face> frames;  // the first faces shown, in this order
    bool blank_first = false;  // nothing is drawn for a while after the start
};
void PrintTo(const FaceCase& c, std::ostream* os) { *os << c.name; }

class ClockFace : public ::testing::TestWithParam<FaceCase> {};

// The clock runs at a quarter of real speed, so each faked second lasts four
// real ones: ample time to see every face it shows.
constexpr double kRate = 0.25;

TEST_P(ClockFace, ShowsTheTimeInTwelveHourDigits) {
    const FaceCase& c = GetParam();
    const FaceReader reader;
    ASSERT_TRUE(reader.Complete());
    ProgramFolder folder;
    // A bare stage (Event 7): walks and the leaving clip would hold the face.
    folder.WriteIni("[Setting]\nEvent=7\nLeft=" + std::to_string(kLeft) + "\nTop=" + std::to_string(kTop) + "\n");
    ClockOptions options;
    options.fake_start = c.start;
    options.fake_rate = kRate;
    auto clock = StartClock(folder, options);
    ASSERT_TRUE(clock);
    const Geometry g = WaitForPlace(*clock, kLeft, kTop);
    ASSERT_EQ(g.x, kLeft);
    const QRect window(g.x, g.y, g.width, g.height);

    QImage screen;
    if (c.blank_first) {
        // A few clock ticks into the first second: no sign and no digits yet.
        std::this_thread::sleep_for(Seconds(0.4 / kRate));
        screen = GrabScreen();
        EXPECT_FALSE(reader.AnythingShown(screen, window.topLeft()))
            << "the time is drawn already; screenshot: "
            << SaveForInspection(screen.copy(window), std::string("face_") + c.name + "_early");
    }
    // Every change of the face, from the first drawn one on.
    std::vector<Face> seen;
    PollUntil(
        [&] {
            screen = GrabScreen();
            const auto face = reader.Read(screen, window.topLeft());
            if (face && (seen.empty() || seen.back() != *face)) seen.push_back(*face);
            return seen.size() >= c.frames.size();
        },
        Seconds((c.frames.size() + 1.5) / kRate), 100ms);

    std::vector<std::string> expected, got;
    for (const Face& f : c.frames) expected.push_back(Describe(f));
    for (const Face& f : seen) got.push_back(Describe(f));
    EXPECT_EQ(got, expected) << "last screenshot: "
                             << SaveForInspection(screen.copy(window), std::string("face_") + c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Times, ClockFace,
    ::testing::Values(FaceCase{"JustAfterMidnight", "2026-12-10 00:15:01", {{0, 15, false, true}}},
                      FaceCase{"NoonComes", "2026-12-10 11:59:59", {{11, 59, false, true}, {12, 0, true, false}}},
                      FaceCase{"HalfPastNoon", "2026-12-10 12:30:15", {{12, 30, true, true}}},
                      FaceCase{"Afternoon", "2026-12-10 13:05:20", {{1, 5, true, false}}},
                      FaceCase{"LastMinuteOfTheDay", "2026-12-10 23:59:58", {{11, 59, true, false}}},
                      FaceCase{"StartedInSecondZero", "2026-12-10 10:20:00", {{10, 20, false, true}}, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace desktop
