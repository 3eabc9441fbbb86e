// 24-bit pictures held in memory, and the rectangle copy that combines them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

// Pixels are 0x00RRGGBB; the top byte is always zero.
//
// Sizes and places are in the program's own pixels: a 230 x 170 window is
// 230 x 170 whatever the screen.  On a high-density screen a picture holds
// Scale() x Scale() screen pixels for each of them, so it stays crisp there;
// Pixel() reads the top-left one of each block.
class Picture {
public:
    Picture() = default;
    // A picture at the screen's scale (DisplayScale()).
    Picture(int width, int height, uint32_t fill = 0x000000);
    Picture(int width, int height, uint32_t fill, int scale);

    [[nodiscard]] int Width() const { return width_; }
    [[nodiscard]] int Height() const { return height_; }
    [[nodiscard]] int Scale() const { return scale_; }
    [[nodiscard]] bool Empty() const { return width_ == 0 || height_ == 0; }
    [[nodiscard]] uint32_t Pixel(int x, int y) const { return pixels_[Index(x * scale_, y * scale_)]; }
    // Sets the whole block of screen pixels behind (x, y).
    void SetPixel(int x, int y, uint32_t rgb);
    // The screen pixels: DeviceWidth() x DeviceHeight().
    [[nodiscard]] int DeviceWidth() const { return width_ * scale_; }
    [[nodiscard]] int DeviceHeight() const { return height_ * scale_; }
    [[nodiscard]] uint32_t* DeviceRow(int y) { return pixels_.data() + static_cast<std::size_t>(y) * DeviceWidth(); }
    [[nodiscard]] const uint32_t* DeviceRow(int y) const {
        return pixels_.data() + static_cast<std::size_t>(y) * DeviceWidth();
    }
    // Makes the picture width x height at the screen's scale, keeping
    // nothing of what it held.
    void Resize(int width, int height, uint32_t fill = 0x000000);
    // A copy of a rectangle of this picture (parts outside it come out black).
    [[nodiscard]] Picture Crop(int x, int y, int width, int height) const;

    bool operator==(const Picture& o) const = default;

private:
    [[nodiscard]] std::size_t Index(int deviceX, int deviceY) const {
        return static_cast<std::size_t>(deviceY) * DeviceWidth() + deviceX;
    }
    void Allocate(int width, int height, uint32_t fill, int scale);
    int width_ = 0;
    int height_ = 0;
    int scale_ = 1;
    std::vector<uint32_t> pixels_;
};

// Screen pixels per program pixel on the screens the program shows on: 2
// on a high-density screen, else 1.
int DisplayScale();

enum class RasterOp {
    kSrcCopy,    // dest = src
    kSrcErase,   // dest = src AND NOT dest
    kSrcInvert,  // dest = src XOR dest
};

// Combines the width x height rectangle of src at (sx, sy) into dest at
// (x, y).  Only pixels that lie inside both pictures are touched.  Pictures
// of one scale combine screen pixel by screen pixel; a source of another
// scale is sampled at the nearest pixel.
void BitBlt(Picture& dest, int x, int y, int width, int height, const Picture& src, int sx, int sy, RasterOp op);

// A picture built into the program, by name ("face", "hour_units" ...), at
// the screen's scale: from the 2x rendering of the art where the screen has
// two pixels for one.  An unknown name gives an empty picture.
Picture LoadPicture(std::string_view name);
// The same at a given scale (1 or 2).
Picture LoadPictureAt(std::string_view name, int scale);
// The same when the caller relies on its size: a missing picture, or one of
// another size, gives a width x height picture of `fill` instead, so every
// copy from it stays in bounds.
Picture LoadPicture(std::string_view name, int width, int height, uint32_t fill = 0x000000);

}  // namespace platform
