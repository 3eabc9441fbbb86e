// The time on the face, read back from the screen at fixed (faked) times and
// compared pixel for pixel with the program's own digit pictures.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <thread>

#include <QImage>

#include "clock_fixture.h"
#if __has_include("tessuri/assets.h")
#include "tessuri/assets.h"
#endif

namespace desktop {
namespace {

constexpr int kLeft = 100;  // where these tests place the window
constexpr int kTop = 100;
const QRect kDigitArea(67, 12, 92, 26);  // window coordinates
const QRect kSignArea(36, 12, 31, 26);

QImage Picture(const char* name) {
#if __has_include("tessuri/assets.h")
    static const bool registered = (tessuri::assets::init(), true);
    (void)registered;
#endif
    const QString path = QStringLiteral(":/pictures/") + QLatin1String(name);
    QImage image(path);
    if (image.isNull()) ADD_FAILURE() << "missing picture " << path.toStdString();
    return image.convertToFormat(QImage::Format_RGB32);
}

struct Face {
    int hour, minute;  // as shown, 0..12
    bool pm;
    bool colon;
    bool operator==(const Face&) const = default;
};

std::string Describe(const Face& f) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d%s%02d %s", f.hour, f.colon ? ":" : " ", f.minute, f.pm ? "PM" : "AM");
    return text;
}

// Pixels of `image` at `at` that differ from `expected` in `source` (colour only).
int DifferingPixels(const QImage& image, const QPoint& at, const QImage& expected, const QRect& source) {
    int differ = 0;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            if (!image.valid(at.x() + x, at.y() + y) ||
                (image.pixel(at.x() + x, at.y() + y) & 0xFFFFFF) !=
                    (expected.pixel(source.x() + x, source.y() + y) & 0xFFFFFF))
                ++differ;
    return differ;
}

// Reads the time off the face of a window whose top-left corner is at
// `origin` on `screen`, by matching every place against the program's own
// pictures. Nothing when some place matches none of them (not drawn yet).
class FaceReader {
public:
    FaceReader()
        : strips_{Picture("hour_tens.png"), Picture("hour_units.png"), Picture("min_tens.png"),
                  Picture("min_units.png")},
          colon_on_(Picture("colon_on.png")),
          colon_off_(Picture("colon_off.png")),
          am_(Picture("ampm_am.png")),
          pm_(Picture("ampm_pm.png")) {}

    bool Complete() const {
        for (const QImage& i : {strips_[0], strips_[1], strips_[2], strips_[3], colon_on_, colon_off_, am_, pm_})
            if (i.isNull()) return false;
        return true;
    }

    std::optional<Face> Read(const QImage& screen, const QPoint& origin) const {
        const QPoint digits = origin + kDigitArea.topLeft();
        const int cell_x[] = {0, 20, 52, 72};
        int value[4];
        for (int place = 0; place < 4; ++place) {
            value[place] = -1;
            for (int d = 0; d < strips_[place].width() / 20 && value[place] < 0; ++d)
                if (DifferingPixels(screen, digits + QPoint(cell_x[place], 0), strips_[place], {20 * d, 0, 20, 26}) == 0)
                    value[place] = d;
            if (value[place] < 0) return std::nullopt;
        }
        const bool colon_on = Shows(screen, digits + QPoint(40, 0), colon_on_);
        if (!colon_on && !Shows(screen, digits + QPoint(40, 0), colon_off_)) return std::nullopt;
        const QPoint sign = origin + kSignArea.topLeft();
        const bool pm = Shows(screen, sign, pm_);
        if (!pm && !Shows(screen, sign, am_)) return std::nullopt;
        return Face{value[0] * 10 + value[1], value[2] * 10 + value[3], pm, colon_on};
    }

    // Whether anything of the time is drawn: a lit sign or any digit.
    bool AnythingShown(const QImage& screen, const QPoint& origin) const {
        const QPoint sign = origin + kSignArea.topLeft();
        return Shows(screen, sign, am_) || Shows(screen, sign, pm_) || Read(screen, origin).has_value();
    }

private:
    static bool Shows(const QImage& screen, const QPoint& at, const QImage& picture) {
        return DifferingPixels(screen, at, picture, picture.rect()) == 0;
    }
    QImage strips_[4];
    QImage colon_on_, colon_off_, am_, pm_;
};

struct FaceCase {
    const char* name;
    const char* start;          // faked local time at start
    std::vector<Face> frames;   // the first faces shown, in this order
    bool blank_first = false;   // nothing is drawn for a while after the start
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
