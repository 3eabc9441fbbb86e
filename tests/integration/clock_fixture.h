// Shared steps of the integration tests: start the clock and find its window,
// click at a point of the window, read the settings the program wrote.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "desktop.h"

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
        ADD_FAILURE() << "the clock showed no window; exit "
                      << clock->process().WaitExit(0s).value_or(-1) << ", output:\n"
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

}  // namespace desktop
