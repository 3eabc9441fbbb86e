// The time on the face, on virtual time: which digits, which AM/PM sign,
// when the colon shows, when the face is redrawn at all, and which picture
// the small sign shows.  The face draws into picture areas of a window of
// its own, from pictures whose every cell has a colour of its own.
#include <gtest/gtest.h>

#include <string>

#include "face/ClockFace.h"
#include "platform/Form.h"
#include "support/VirtualPlatform.h"

namespace {

using platform::Picture;
using testing_support::VirtualClock;

// A strip whose digit cells are filled with distinct colours, so that any
// cell copied to the face can be told apart from every other.
Picture Strip(int digits, uint32_t base) {
    Picture p(20 * digits, 26);
    for (int d = 0; d < digits; ++d)
        for (int y = 0; y < 26; ++y)
            for (int x = 0; x < 20; ++x) p.SetPixel(20 * d + x, y, base + static_cast<uint32_t>(d));
    return p;
}

FacePictures DistinctPictures() {
    FacePictures p;
    p.hourTens = Strip(2, 0x100000);
    p.hourUnits = Strip(10, 0x200000);
    p.minuteTens = Strip(6, 0x300000);
    p.minuteUnits = Strip(10, 0x400000);
    p.colonOn = Picture(12, 26, 0x500001);
    p.colonOff = Picture(12, 26, 0x500000);
    p.am = Picture(31, 26, 0x600001);
    p.pm = Picture(31, 26, 0x600002);
    p.signs = {Picture(22, 22, 0x700000), Picture(22, 22, 0x700001), Picture(22, 22, 0x700002)};
    return p;
}

constexpr uint32_t kDigitBackground = 0x0A0B0C;

class Face : public ::testing::Test {
protected:
    Face() { digits.SetPicture(Picture(92, 26, kDigitBackground)); }

    // "hh:mm" and whether the colon shows, as the digit area has them now.
    std::string Shown() {
        const Picture& img = digits.Image();
        if (img == digits.GetPicture()) return "blank";
        auto digit = [&](int x, uint32_t base) { return static_cast<char>('0' + (img.Pixel(x + 5, 5) - base)); };
        return {digit(0, 0x100000), digit(20, 0x200000), img.Pixel(45, 5) == 0x500001 ? ':' : ' ', digit(52, 0x300000),
                digit(72, 0x400000)};
    }
    std::string AmPm() {
        const Picture& p = amPm.GetPicture();
        if (p.Empty()) return "none";
        return p.Pixel(0, 0) == 0x600001 ? "AM" : p.Pixel(0, 0) == 0x600002 ? "PM" : "?";
    }

    VirtualClock clock;
    platform::Form window{"face"};
    platform::PictureBox& sign = window.AddPictureBox(14, 12, 22, 22);
    platform::PictureBox& amPm = window.AddPictureBox(36, 12, 31, 26);
    platform::PictureBox& digits = window.AddPictureBox(67, 12, 92, 26);
    ClockFace face{clock, {digits, amPm, sign}, DistinctPictures()};
};

struct TimeCase {
    int h, m, s;
    const char* shown;
    const char* sign;
};

TEST_F(Face, ShowsTwelveHourTimeAndBlinksTheColon) {
    const TimeCase cases[] = {
        {0, 0, 1, "00:00", "AM"},    {0, 59, 58, "00 59", "AM"}, {11, 59, 59, "11:59", "AM"}, {12, 0, 0, "12 00", "PM"},
        {12, 30, 15, "12:30", "PM"}, {13, 5, 20, "01 05", "PM"}, {23, 59, 58, "11 59", "PM"}, {9, 7, 3, "09:07", "AM"},
    };
    for (const TimeCase& c : cases) {
        clock.SetTime(c.h, c.m, c.s, 50);
        face.UpdateClockDisplay();
        EXPECT_EQ(Shown(), c.shown) << c.h << ":" << c.m << ":" << c.s;
        EXPECT_EQ(AmPm(), c.sign) << c.h << ":" << c.m << ":" << c.s;
    }
}

TEST_F(Face, DuringSecondZeroOfTheFirstRedrawNothingIsDrawn) {
    // The face has drawn nothing yet and counts second zero as drawn: the
    // digits stay as they are and the AM/PM area stays see-through.
    clock.SetTime(10, 20, 0, 900);
    face.UpdateClockDisplay();
    EXPECT_EQ(Shown(), "blank");
    EXPECT_EQ(AmPm(), "none");
    clock.SetTime(10, 20, 1, 2);
    face.UpdateClockDisplay();
    EXPECT_EQ(Shown(), "10:20");
    EXPECT_EQ(AmPm(), "AM");
}

TEST_F(Face, RedrawsOnlyWhenTheSecondHasChangedAndThenFollowsAClockSetBack) {
    clock.SetTime(10, 0, 5, 100);
    face.UpdateClockDisplay();
    EXPECT_EQ(Shown(), "10:00");
    // A mark in the digit area survives every call within the same second.
    digits.Image().SetPixel(5, 5, 0x777777);
    for (int ms : {200, 500, 999}) {
        clock.SetTime(10, 0, 5, ms);
        face.UpdateClockDisplay();
    }
    EXPECT_EQ(digits.Image().Pixel(5, 5), 0x777777u);
    // The clock is set back an hour, keeping the second: nothing until it
    // changes, and then the hour set.
    clock.SetTime(9, 0, 5, 800);
    face.UpdateClockDisplay();
    EXPECT_EQ(digits.Image().Pixel(5, 5), 0x777777u);
    clock.SetTime(9, 0, 6, 3);
    face.UpdateClockDisplay();
    EXPECT_EQ(Shown(), "09 00");
}

TEST_F(Face, TheSignAreaShowsThePictureOfTheSignAndStartsIdle) {
    EXPECT_EQ(face.ShownSign(), Sign::kIdle);
    EXPECT_EQ(sign.GetPicture().Pixel(0, 0), 0x700000u);
    struct Case {
        Sign sign;
        uint32_t colour;  // of its picture in DistinctPictures()
    };
    for (const Case c : {Case{Sign::kAlarm, 0x700001}, Case{Sign::kCountdown, 0x700002}, Case{Sign::kIdle, 0x700000},
                         Case{Sign::kCountdown, 0x700002}}) {
        face.ShowSign(c.sign);
        EXPECT_EQ(face.ShownSign(), c.sign);
        EXPECT_EQ(sign.GetPicture().Pixel(0, 0), c.colour) << static_cast<int>(c.sign);
    }
}

}  // namespace
