#include "face/ClockFace.h"

#include "platform/Form.h"

using platform::BitBlt;
using platform::LoadPicture;
using platform::Picture;
using platform::RasterOp;

Sign RestingSign(bool alarmArmed, bool countdownRunning) {
    if (countdownRunning) return Sign::kCountdown;
    return alarmArmed ? Sign::kAlarm : Sign::kIdle;
}

FacePictures FacePictures::BuiltIn() {
    FacePictures p;
    p.hourTens = LoadPicture("hour_tens", 40, 26);
    p.hourUnits = LoadPicture("hour_units", 200, 26);
    p.minuteTens = LoadPicture("min_tens", 120, 26);
    p.minuteUnits = LoadPicture("min_units", 200, 26);
    p.colonOn = LoadPicture("colon_on", 12, 26);
    p.colonOff = LoadPicture("colon_off", 12, 26);
    p.am = LoadPicture("ampm_am", 31, 26);
    p.pm = LoadPicture("ampm_pm", 31, 26);
    p.signs = {LoadPicture("sign_idle", 22, 22), LoadPicture("sign_alarm", 22, 22),
               LoadPicture("sign_countdown", 22, 22)};
    return p;
}

ClockFace::ClockFace(platform::SystemClock& clock, Areas areas, FacePictures pictures)
    : clock_(clock), areas_(areas), pictures_(std::move(pictures)) {
    // The AM/PM area stays see-through until the first redraw.
    areas_.sign.SetPicture(pictures_.SignPicture(Sign::kIdle));
}

void ClockFace::UpdateClockDisplay() {
    const platform::LocalTime now = clock_.Now();
    if (now.second == lastSecondDrawn_) return;
    lastSecondDrawn_ = now.second;

    const int shownHour = now.hour > 12 ? now.hour - 12 : now.hour;
    DrawTimeDigits(shownHour, now.minute, now.second);
    areas_.amPm.SetPicture(now.hour <= 11 ? pictures_.am : pictures_.pm);
}

void ClockFace::DrawTimeDigits(int hour, int minute, int second) {
    Picture& image = areas_.digits.Image();
    struct Cell {
        int x;
        const Picture& strip;
        int digit;
    };
    const Cell cells[] = {
        {0, pictures_.hourTens, hour / 10},
        {20, pictures_.hourUnits, hour % 10},
        {52, pictures_.minuteTens, minute / 10},
        {72, pictures_.minuteUnits, minute % 10},
    };
    for (const Cell& c : cells) BitBlt(image, c.x, 0, 20, 26, c.strip, 20 * c.digit, 0, RasterOp::kSrcCopy);

    const Picture& colon = (second % 2 != 0) ? pictures_.colonOn : pictures_.colonOff;
    BitBlt(image, 40, 0, 12, 26, colon, 0, 0, RasterOp::kSrcCopy);
    areas_.digits.Refresh();
}

void ClockFace::ShowSign(Sign sign) {
    shownSign_ = sign;
    areas_.sign.SetPicture(pictures_.SignPicture(sign));
}
