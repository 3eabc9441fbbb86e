// The clock on a screen with two pixels for each of the program's: the
// window keeps its size and places in program pixels, and shows the fine
// rendering of the art, not the plain one blown up.
#include <gtest/gtest.h>

#include "clock_fixture.h"
#include "platform/Picture.h"

namespace desktop {
namespace {

constexpr int kScale = 2;

// A picture's screen pixels as a Qt image.
QImage ImageOf(const platform::Picture& pic) {
    QImage image(pic.DeviceWidth(), pic.DeviceHeight(), QImage::Format_RGB32);
    for (int y = 0; y < pic.DeviceHeight(); ++y)
        for (int x = 0; x < pic.DeviceWidth(); ++x) image.setPixel(x, y, pic.DeviceRow(y)[x] | 0xFF000000u);
    return image;
}

TEST(HighDensity, ClockIsTwiceAsLargeOnScreenAndShowsTheFineArt) {
    tessuri::assets::init();
    ProgramFolder folder;
    // A bare stage, so that everything below the display is the face itself.
    folder.WriteIni("[Setting]\nLeft=20\nTop=20\nEvent=7\n");
    ClockOptions options;
    options.env["QT_SCALE_FACTOR"] = "2";
    auto clock = StartClock(folder, options);
    ASSERT_TRUE(clock);
    const Geometry g = WaitForPlace(*clock, 20 * kScale, 20 * kScale);
    EXPECT_EQ(g.x, 20 * kScale);
    EXPECT_EQ(g.width, kWindowWidth * kScale);
    EXPECT_EQ(g.height, kWindowHeight * kScale);

    // The frame and the stage: program pixels (4, 40) to (226, 166).
    const QRect part(4 * kScale, 40 * kScale, 222 * kScale, 126 * kScale);
    const platform::Picture fine = platform::LoadPictureAt("face", kScale);
    platform::Picture blownUp(fine.Width(), fine.Height(), 0, kScale);
    const platform::Picture plain = platform::LoadPictureAt("face", 1);
    platform::BitBlt(blownUp, 0, 0, plain.Width(), plain.Height(), plain, 0, 0, platform::RasterOp::kSrcCopy);
    const QImage expected = ImageOf(fine).copy(part);
    ASSERT_FALSE(SamePixels(expected, ImageOf(blownUp).copy(part))) << "the fine rendering has no more detail";

    QImage shown;
    const bool same = PollUntil(
        [&] {
            shown = GrabRegion(g.x + part.x(), g.y + part.y(), part.width(), part.height());
            return SamePixels(shown, expected);
        },
        3s);
    EXPECT_TRUE(same) << "see " << SaveForInspection(shown, "hidpi_face") << " and "
                      << SaveForInspection(expected, "hidpi_face_expected");

    // The place is stored in program pixels.
    PressMoveRelease(1, g.x + kCloseX * kScale, g.y + kCloseY * kScale, g.x + kCloseX * kScale, g.y + kCloseY * kScale);
    EXPECT_EQ(clock->process().WaitExit(5s), 0);
    const auto keys = SettingKeys(folder.ReadIni().value_or(""));
    EXPECT_EQ(keys.at("Left"), "20");
    EXPECT_EQ(keys.at("Top"), "20");
}

}  // namespace
}  // namespace desktop
