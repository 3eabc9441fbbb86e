// The rectangle copy and its three ways of combining pixels.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Picture.h"

namespace {

using platform::BitBlt;
using platform::Picture;
using platform::RasterOp;

TEST(BitBlt, MaskThenSpriteIsTransparentWhereTheMaskIsWhite) {
    // Background: a white pixel and two coloured ones.  Mask: white, black,
    // white.  Sprite: white where the mask is white, a colour where black.
    Picture bg(3, 1);
    bg.SetPixel(0, 0, 0xFFFFFF);
    bg.SetPixel(1, 0, 0x123456);
    bg.SetPixel(2, 0, 0x00FF00);
    Picture mask(3, 1, 0xFFFFFF);
    mask.SetPixel(1, 0, 0x000000);
    Picture sprite(3, 1, 0xFFFFFF);
    sprite.SetPixel(1, 0, 0xC08040);

    Picture out = bg;
    BitBlt(out, 0, 0, 3, 1, mask, 0, 0, RasterOp::kSrcErase);
    BitBlt(out, 0, 0, 3, 1, sprite, 0, 0, RasterOp::kSrcInvert);
    EXPECT_EQ(out.Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(out.Pixel(1, 0), 0xC08040u);
    EXPECT_EQ(out.Pixel(2, 0), 0x00FF00u);
}

struct ClipCase {
    const char* name;
    int x, y, w, h, sx, sy;
    int changedLeft, changedRight;  // columns of dest that take the source, [left, right)
};

TEST(BitBlt, ClipsToBothPicturesAtEitherScale) {
    // dest 10 x 1 of zeros; src 4 x 1, each screen pixel holding its own
    // number + 1, so a fine picture must arrive screen pixel by pixel.
    const ClipCase cases[] = {
        {"inside", 2, 0, 4, 1, 0, 0, 2, 6},        {"left of dest", -2, 0, 4, 1, 0, 0, 0, 2},
        {"wholly left", -4, 0, 4, 1, 0, 0, 0, 0},  {"right of dest", 8, 0, 4, 1, 0, 0, 8, 10},
        {"beyond source", 0, 0, 8, 1, 2, 0, 0, 2}, {"negative source", 0, 0, 4, 1, -1, 0, 1, 4},
        {"wrong row", 0, 1, 4, 1, 0, 0, 0, 0},
    };
    for (int scale : {1, 2}) {
        Picture src(4, 1, 0, scale);
        for (int y = 0; y < src.DeviceHeight(); ++y)
            for (int x = 0; x < src.DeviceWidth(); ++x) src.DeviceRow(y)[x] = static_cast<uint32_t>(100 * y + x + 1);
        for (const ClipCase& c : cases) {
            Picture dest(10, 1, 0, scale);
            BitBlt(dest, c.x, c.y, c.w, c.h, src, c.sx, c.sy, RasterOp::kSrcCopy);
            for (int y = 0; y < dest.DeviceHeight(); ++y) {
                for (int x = 0; x < dest.DeviceWidth(); ++x) {
                    const int col = x / scale;
                    const bool changed = col >= c.changedLeft && col < c.changedRight;
                    const int srcX = x + (c.sx - c.x) * scale;
                    const uint32_t expected = changed ? static_cast<uint32_t>(100 * y + srcX + 1) : 0u;
                    EXPECT_EQ(dest.DeviceRow(y)[x], expected)
                        << c.name << " at scale " << scale << ", screen pixel " << x << "," << y;
                }
            }
        }
    }
}

TEST(BitBlt, AnotherScaleIsSampledAtTheNearestPixel) {
    Picture coarse(2, 1, 0, 1);
    coarse.SetPixel(0, 0, 0x111111);
    coarse.SetPixel(1, 0, 0x222222);
    Picture fine(2, 1, 0, 2);
    BitBlt(fine, 0, 0, 2, 1, coarse, 0, 0, RasterOp::kSrcCopy);
    for (int y = 0; y < 2; ++y)
        EXPECT_EQ(std::vector<uint32_t>(fine.DeviceRow(y), fine.DeviceRow(y) + 4),
                  (std::vector<uint32_t>{0x111111, 0x111111, 0x222222, 0x222222}));

    fine.DeviceRow(0)[1] = 0x333333;  // not the top-left of its block
    Picture back(2, 1, 0xFFFFFF, 1);
    BitBlt(back, 0, 0, 2, 1, fine, 0, 0, RasterOp::kSrcCopy);
    EXPECT_EQ(back, coarse);
}

TEST(LoadPicture, TheFineScaleComesFromTheFineRendering) {
    const Picture plain = platform::LoadPictureAt("face", 1);
    const Picture fine = platform::LoadPictureAt("face", 2);
    ASSERT_EQ(fine.Scale(), 2);
    EXPECT_EQ(fine.Width(), plain.Width());
    EXPECT_EQ(fine.Height(), plain.Height());
    // Each program pixel of the plain picture blown up to a block would be
    // blocky: the fine one has blocks whose screen pixels differ.
    int detailed = 0;
    for (int y = 0; y < fine.DeviceHeight(); y += 2)
        for (int x = 0; x < fine.DeviceWidth(); x += 2)
            if (fine.DeviceRow(y)[x] != fine.DeviceRow(y + 1)[x + 1]) ++detailed;
    EXPECT_GT(detailed, 100);
    EXPECT_TRUE(platform::LoadPictureAt("no such picture", 2).Empty());
}

TEST(Picture, CropOutsideComesOutBlack) {
    Picture p(2, 2, 0xABCDEF);
    Picture c = p.Crop(1, 1, 2, 2);
    EXPECT_EQ(c.Pixel(0, 0), 0xABCDEFu);
    EXPECT_EQ(c.Pixel(1, 0), 0u);
    EXPECT_EQ(c.Pixel(1, 1), 0u);
}

}  // namespace
