// The rectangle copy and its three ways of combining pixels.
#include <gtest/gtest.h>

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

TEST(BitBlt, ClipsToBothPictures) {
    // dest 10 x 1 of zeros; src 4 x 1 holding its column number + 1.
    const ClipCase cases[] = {
        {"inside", 2, 0, 4, 1, 0, 0, 2, 6},
        {"left of dest", -2, 0, 4, 1, 0, 0, 0, 2},
        {"wholly left", -4, 0, 4, 1, 0, 0, 0, 0},
        {"right of dest", 8, 0, 4, 1, 0, 0, 8, 10},
        {"beyond source", 0, 0, 8, 1, 2, 0, 0, 2},
        {"negative source", 0, 0, 4, 1, -1, 0, 1, 4},
        {"wrong row", 0, 1, 4, 1, 0, 0, 0, 0},
    };
    Picture src(4, 1);
    for (int i = 0; i < 4; ++i) src.SetPixel(i, 0, static_cast<uint32_t>(i + 1));
    for (const ClipCase& c : cases) {
        Picture dest(10, 1);
        BitBlt(dest, c.x, c.y, c.w, c.h, src, c.sx, c.sy, RasterOp::kSrcCopy);
        for (int col = 0; col < 10; ++col) {
            const bool changed = col >= c.changedLeft && col < c.changedRight;
            const uint32_t expected = changed ? static_cast<uint32_t>(col - c.x + c.sx + 1) : 0u;
            EXPECT_EQ(dest.Pixel(col, 0), expected) << c.name << " column " << col;
        }
    }
}

TEST(Picture, CropOutsideComesOutBlack) {
    Picture p(2, 2, 0xABCDEF);
    Picture c = p.Crop(1, 1, 2, 2);
    EXPECT_EQ(c.Pixel(0, 0), 0xABCDEFu);
    EXPECT_EQ(c.Pixel(1, 0), 0u);
    EXPECT_EQ(c.Pixel(1, 1), 0u);
}

}  // namespace
