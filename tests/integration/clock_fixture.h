// Shared steps of the integration tests: start the clock and find its window,
// click at a point of the window, read the settings the program wrote, read
// the time off its face.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include <QImage>

#include "desktop.h"
#if __has_include("tessuri/assets.h")
#include "tessuri/assets.h"
#endif

namespace desktop {

constexpr int kWindowWidth = 230;
constexpr int kWindowHeight = 170;
// A point well inside the CLOSE triangle (the button at window x 179).
constexpr int kCloseX = 215;
constexpr int kCloseY = 10;

// Starts the clock from `folder` and waits for its window. Returns null (and
// records a failure with the program's output) when no window appears.
inline std::unique_ptr<Clock> StartClock(const ProgramFolder& folder, const ClockOptions& options = {}) {
    auto clock = std::make_unique<Clock>(folder, options);
    if (clock->WaitWindow(15s) == 0) {
        ADD_FAILURE() << "the clock showed no window; exit " << clock->process().WaitExit(0s).value_or(-1)
                      << ", output:\n"
                      << folder.Log();
        return nullptr;
    }
    return clock;
}

// Waits until the window stands at (x, y); returns where it was last seen.
inline Geometry WaitForPlace(Clock& clock, int x, int y, Seconds timeout = 5s) {
    Geometry g;
    PollUntil(
        [&] {
            g = clock.WindowGeometry();
            return g.x == x && g.y == y;
        },
        timeout);
    return g;
}

// Waits until the window stands still (two equal readings 100 ms apart).
inline Geometry SettledGeometry(Clock& clock) {
    Geometry last = clock.WindowGeometry();
    PollUntil(
        [&] {
            const Geometry now = clock.WindowGeometry();
            const bool same = now == last;
            last = now;
            return same;
        },
        3s, 100ms);
    return last;
}

// Clicks the CLOSE triangle of a window standing at `g` and waits for the exit.
inline std::optional<int> CloseByButton(Clock& clock, const Geometry& g) {
    PressMoveRelease(1, g.x + kCloseX, g.y + kCloseY, g.x + kCloseX, g.y + kCloseY);
    return clock.process().WaitExit(5s);
}

// The "Setting" section's keys and values, sorted by key.
inline std::map<std::string, std::string> SettingKeys(const std::string& ini_text) {
    std::map<std::string, std::string> keys;
    IniSections sections = ParseIni(ini_text);
    for (const auto& [k, v] : sections["Setting"]) keys[k] = v;
    return keys;
}

// The face's digits and its AM/PM sign, in window coordinates.
inline const QRect kDigitArea(67, 12, 92, 26);
inline const QRect kSignArea(36, 12, 31, 26);

// One of the program's built-in pictures, as 32-bit RGB.
inline QImage Picture(const char* name) {
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

// "10:14 AM"; "10 14 AM" while the colon is off.
inline std::string Describe(const Face& f) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d%s%02d %s", f.hour, f.colon ? ":" : " ", f.minute, f.pm ? "PM" : "AM");
    return text;
}

// "10:14 AM" whatever the colon shows.
inline std::string TimeOf(Face f) {
    f.colon = true;
    return Describe(f);
}

// Pixels of `image` at `at` that differ from `expected` in `source` (colour only).
inline int DifferingPixels(const QImage& image, const QPoint& at, const QImage& expected, const QRect& source) {
    int differ = 0;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            if (!image.valid(at.x() + x, at.y() + y) || (image.pixel(at.x() + x, at.y() + y) & 0xFFFFFF) !=
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
                if (DifferingPixels(screen, digits + QPoint(cell_x[place], 0), strips_[place], {20 * d, 0, 20, 26}) ==
                    0)
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

    // The face of the window at `origin` on the screen now.
    std::optional<Face> ReadScreen(const QPoint& origin) const {
        return Read(GrabRegion(origin.x(), origin.y(), kDigitArea.right() + 1, kDigitArea.bottom() + 1), {0, 0});
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

}  // namespace desktop
