// The time on the face, read back from the screen at fixed (faked) times and
// compared pixel for pixel with the program's own digit pictures.
#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include <QFile>
#include <QPainter>

#include "clock_fixture.h"

namespace desktop {
namespace {

constexpr int kLeft = 100;  // where these tests place the window
constexpr int kTop = 100;
const QRect kDigitArea(67, 12, 92, 26);  // window coordinates
const QRect kSignArea(36, 12, 31, 26);

QImage Picture(const char* name) {
    const QString path = QStringLiteral(":/pictures/") + QLatin1String(name);
    QImage image(path);
    if (image.isNull()) ADD_FAILURE() << "missing picture " << path.toStdString();
    return image.convertToFormat(QImage::Format_RGB32);
}

struct Face {
    int hour, minute;  // as shown, 0..12
    bool pm;
    bool colon;
};

// The digit area as the program should draw it.
QImage ExpectedDigits(const Face& f) {
    QImage out(kDigitArea.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    auto cell = [&](const char* strip, int digit, int x) {
        p.drawImage(QPoint(x, 0), Picture(strip), QRect(20 * digit, 0, 20, 26));
    };
    cell("hour_tens.png", f.hour / 10, 0);
    cell("hour_units.png", f.hour % 10, 20);
    p.drawImage(QPoint(40, 0), Picture(f.colon ? "colon_on.png" : "colon_off.png"));
    cell("min_tens.png", f.minute / 10, 52);
    cell("min_units.png", f.minute % 10, 72);
    return out;
}

QImage ExpectedSign(const Face& f) { return Picture(f.pm ? "ampm_pm.png" : "ampm_am.png"); }

std::string Describe(const Face& f) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d%s%02d %s", f.hour, f.colon ? ":" : " ", f.minute, f.pm ? "PM" : "AM");
    return text;
}

struct FaceCase {
    const char* name;
    const char* start;          // faked local time at start
    std::vector<Face> frames;   // what the face shows, in this order
    bool blank_first = false;   // nothing is drawn before the first frame
};
void PrintTo(const FaceCase& c, std::ostream* os) { *os << c.name; }

class ClockFace : public ::testing::TestWithParam<FaceCase> {};

// The clock runs at a quarter of real speed, so each faked second lasts four
// real ones: plenty of time to catch every frame on the screen.
constexpr double kRate = 0.25;

TEST_P(ClockFace, ShowsTheTimeInTwelveHourDigits) {
    const FaceCase& c = GetParam();
    for (const char* name : {"hour_tens.png", "hour_units.png", "min_tens.png", "min_units.png", "colon_on.png",
                             "colon_off.png", "ampm_am.png", "ampm_pm.png"})
        ASSERT_FALSE(Picture(name).isNull());
    ProgramFolder folder;
    folder.WriteIni("[Setting]\nLeft=" + std::to_string(kLeft) + "\nTop=" + std::to_string(kTop) + "\n");
    ClockOptions options;
    options.fake_start = c.start;
    options.fake_rate = kRate;
    auto clock = StartClock(folder, options);
    ASSERT_TRUE(clock);
    const Geometry g = WaitForPlace(*clock, kLeft, kTop);
    ASSERT_EQ(g.x, kLeft);
    const QRect window(g.x, g.y, g.width, g.height);

    QImage screen;
    auto shows = [&](const QRect& area, const QImage& expected) {
        return screen.copy(area.translated(window.topLeft())) == expected;
    };
    if (c.blank_first) {
        // A few clock ticks into the first second: no sign and no digits yet.
        std::this_thread::sleep_for(std::chrono::duration<double>(0.4 / kRate));
        screen = GrabScreen();
        const Face first = c.frames.front();
        EXPECT_FALSE(shows(kSignArea, ExpectedSign(first)) || shows(kSignArea, ExpectedSign({0, 0, !first.pm, false})))
            << "the AM/PM sign is already lit; screenshot: "
            << SaveForInspection(screen.copy(window), std::string("face_") + c.name + "_early");
        EXPECT_FALSE(shows(kDigitArea, ExpectedDigits(first)));
    }
    for (const Face& f : c.frames) {
        const QImage digits = ExpectedDigits(f);
        const QImage sign = ExpectedSign(f);
        const bool seen = PollUntil(
            [&] {
                screen = GrabScreen();
                return shows(kDigitArea, digits) && shows(kSignArea, sign);
            },
            Seconds(2.5 / kRate), 100ms);
        EXPECT_TRUE(seen) << "the face never showed " << Describe(f) << "; last screenshot: "
                          << SaveForInspection(screen.copy(window), std::string("face_") + c.name)
                          << ", expected digits: "
                          << SaveForInspection(digits, std::string("face_") + c.name + "_expected");
        if (!seen) break;
    }
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
