// Plain value types shared by the platform layer and the modules above it.
#pragma once

#include <cstdint>

namespace platform {

// A moment of local wall-clock time, as the system clock reports it.
struct LocalTime {
    int year = 2000;
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59
    int millisecond = 0;
};

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;   // exclusive
    int32_t bottom = 0;  // exclusive
    [[nodiscard]] bool Intersects(const Rect& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
};

// The mouse button behind a press or a release.
enum class MouseButton { kOther, kLeft, kRight, kMiddle };

}  // namespace platform
