// The clock face's top row: the time as HH:MM in bitmap digits with a colon
// that blinks once a second, the AM/PM sign, and the small sign that tells
// whether an alarm is set or a countdown runs.
#pragma once

#include <array>
#include <cstdint>

#include "platform/Picture.h"
#include "platform/Services.h"

namespace platform {
class PictureBox;
}

// What the small sign at the top left shows.
enum class Sign { kIdle, kAlarm, kCountdown };

// The sign that rests once an alarm or a countdown is over: an alarm and a
// countdown can both be set (the alarm set while the countdown runs), and
// when one of them is over the sign shows the other.
Sign RestingSign(bool alarmArmed, bool countdownRunning);

// The pictures the face is drawn from.
struct FacePictures {
    // Strips of 20 x 26 digit cells side by side: 0-1, 0-9, 0-5, 0-9.
    platform::Picture hourTens, hourUnits, minuteTens, minuteUnits;
    platform::Picture colonOn, colonOff;     // 12 x 26
    platform::Picture am, pm;                // 31 x 26, the lit sign
    std::array<platform::Picture, 3> signs;  // 22 x 22, by Sign

    // The pictures built into the program.
    static FacePictures BuiltIn();
    [[nodiscard]] const platform::Picture& SignPicture(Sign s) const { return signs[static_cast<std::size_t>(s)]; }
};

// The part of the face the others keep current while they hold the thread.
class ClockDisplay {
public:
    virtual ~ClockDisplay() = default;
    // Redraws digits, colon and AM/PM sign when the second has changed since
    // the last redraw; otherwise does nothing.
    virtual void UpdateClockDisplay() = 0;
};

class SignDisplay {
public:
    virtual ~SignDisplay() = default;
    virtual void ShowSign(Sign sign) = 0;
};

class ClockFace final : public ClockDisplay, public SignDisplay {
public:
    // The areas on the clock window the face draws into: the four digits
    // with the colon (92 x 26), the AM/PM sign, the alarm/countdown sign.
    struct Areas {
        platform::PictureBox& digits;
        platform::PictureBox& amPm;
        platform::PictureBox& sign;
    };

    ClockFace(platform::SystemClock& clock, Areas areas, FacePictures pictures);

    void UpdateClockDisplay() override;
    // Draws HH:MM into the digit area; the colon shows in odd seconds.
    // hour 0..12, minute 0..59, second 0..59.
    void DrawTimeDigits(int hour, int minute, int second);
    void ShowSign(Sign sign) override;
    [[nodiscard]] Sign ShownSign() const { return shownSign_; }
    [[nodiscard]] const FacePictures& Pictures() const { return pictures_; }

private:
    platform::SystemClock& clock_;
    Areas areas_;
    FacePictures pictures_;
    int lastSecondDrawn_ = 0;
    Sign shownSign_ = Sign::kIdle;
};
