// The time on the face, on virtual time: which digits, which AM/PM sign,
// when the colon shows, and when the face is redrawn at all.
#include <gtest/gtest.h>

#include "app/Application.h"
#include "app/frmClock.h"
#include "support/VirtualPlatform.h"

namespace {

using platform::Picture;
using testing_support::VirtualPlatform;

// A strip whose digit cells are filled with distinct colours, so that any
// cell copied to the face can be told apart from every other.
Picture Strip(int digits, uint32_t base) {
    Picture p(20 * digits, 26);
    for (int d = 0; d < digits; ++d)
        for (int y = 0; y < 26; ++y)
            for (int x = 0; x < 20; ++x) p.SetPixel(20 * d + x, y, base + static_cast<uint32_t>(d));
    return p;
}

class Face : public ::testing::Test {
protected:
    void Start(int h, int m, int s, int ms = 0) {
        vp.clock.SetTime(h, m, s, ms);
        app.clock.Main();
        app.anime.StageInterval = 7;  // a bare stage: walks would hold the clock
        frmClock& f = *app.clockWindow;
        f.picHour00 = Strip(2, 0x100000);
        f.picHour0 = Strip(10, 0x200000);
        f.picMin00 = Strip(6, 0x300000);
        f.picMin0 = Strip(10, 0x400000);
        f.picKoron[0] = Picture(12, 26, 0x500001);
        f.picKoron[1] = Picture(12, 26, 0x500000);
        f.imgAMPMPicture[1] = Picture(31, 26, 0x600001);
        f.imgAMPMPicture[2] = Picture(31, 26, 0x600002);
        background = f.picTimr().Image();
    }
    // "hh:mm" and whether the colon shows, as the digit area has them now.
    std::string Shown() {
        const Picture& img = app.clockWindow->picTimr().Image();
        if (img == background) return "blank";
        auto digit = [&](int x, uint32_t base) { return static_cast<char>('0' + (img.Pixel(x + 5, 5) - base)); };
        std::string s{digit(0, 0x100000), digit(20, 0x200000), img.Pixel(45, 5) == 0x500001 ? ':' : ' ',
                      digit(52, 0x300000), digit(72, 0x400000)};
        return s;
    }
    std::string Sign() {
        const Picture& p = app.clockWindow->imgAMPM(0).GetPicture();
        if (p.Empty()) return "none";
        return p.Pixel(0, 0) == 0x600001 ? "AM" : "PM";
    }

    VirtualPlatform vp;
    Application app{vp.view};
    Picture background;
};

struct TimeCase {
    int h, m, s;
    const char* shown;
    const char* sign;
};

TEST_F(Face, ShowsTwelveHourTimeAndBlinksTheColon) {
    const TimeCase cases[] = {
        {0, 0, 1, "00:00", "AM"},    {0, 59, 58, "00 59", "AM"}, {11, 59, 59, "11:59", "AM"},
        {12, 0, 0, "12 00", "PM"},   {12, 30, 15, "12:30", "PM"}, {13, 5, 20, "01 05", "PM"},
        {23, 59, 58, "11 59", "PM"}, {9, 7, 3, "09:07", "AM"},
    };
    Start(0, 0, 0, 500);
    for (const TimeCase& c : cases) {
        vp.clock.SetTime(c.h, c.m, c.s, 50);
        app.clock.UpdateClockDisplay();
        EXPECT_EQ(Shown(), c.shown) << c.h << ":" << c.m << ":" << c.s;
        EXPECT_EQ(Sign(), c.sign) << c.h << ":" << c.m << ":" << c.s;
    }
}

TEST_F(Face, NoonComesOneSecondAfterElevenFiftyNine) {
    Start(11, 59, 58, 950);
    vp.pump.RunFor(200);
    EXPECT_EQ(Shown(), "11:59");
    EXPECT_EQ(Sign(), "AM");
    vp.pump.RunFor(1000);
    EXPECT_EQ(Shown(), "12 00");
    EXPECT_EQ(Sign(), "PM");
}

TEST_F(Face, StartedDuringSecondZeroStaysBlankUntilSecondOne) {
    Start(10, 20, 0, 0);
    vp.pump.RunFor(950);
    EXPECT_EQ(Shown(), "blank");
    EXPECT_EQ(Sign(), "none");
    vp.pump.RunFor(100);
    EXPECT_EQ(Shown(), "10:20");
    EXPECT_EQ(Sign(), "AM");
}

TEST_F(Face, RedrawsOncePerSecondAndFollowsClockJumpsAtTheNextSecond) {
    Start(10, 0, 5, 100);
    vp.pump.RunFor(100);
    EXPECT_EQ(Shown(), "10:00");
    // A mark in the digit area survives every call within the same second.
    app.clockWindow->picTimr().Image().SetPixel(5, 5, 0x777777);
    for (int i = 0; i < 5; ++i) app.clock.UpdateClockDisplay();
    vp.pump.RunFor(500);
    EXPECT_EQ(app.clockWindow->picTimr().Image().Pixel(5, 5), 0x777777u);
    // The clock is set back an hour, keeping the second: nothing until it
    // changes, and then within a second.
    vp.clock.SetTime(9, 0, 5, 800);
    vp.pump.RunFor(150);
    EXPECT_EQ(app.clockWindow->picTimr().Image().Pixel(5, 5), 0x777777u);
    vp.pump.RunFor(1000);
    EXPECT_EQ(Shown(), "09 00");
}

TEST_F(Face, RestingClockWakesJustAfterEachSecond) {
    // One wake-up a second, a few milliseconds after the second changes.
    Start(8, 0, 0, 400);
    vp.pump.fired = 0;
    int redraws = 0;
    platform::Picture last = app.clockWindow->picTimr().Image();
    for (int step = 0; step < 100; ++step) {  // 10 s in 100 ms steps
        vp.pump.RunFor(100);
        const platform::LocalTime t = vp.clock.Now();
        const platform::Picture& now = app.clockWindow->picTimr().Image();
        if (now != last) {
            ++redraws;
            EXPECT_LE(t.millisecond, 100) << "redrawn late in second " << t.second;
        }
        last = now;
    }
    EXPECT_EQ(redraws, 10);
    EXPECT_LE(vp.pump.fired, 11);
}

}  // namespace
