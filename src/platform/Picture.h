// 24-bit pictures held in memory, and the rectangle copy that combines them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

// Pixels are 0x00RRGGBB; the top byte is always zero.
class Picture {
public:
    Picture() = default;
    Picture(int width, int height, uint32_t fill = 0x000000);

    [[nodiscard]] int Width() const { return width_; }
    [[nodiscard]] int Height() const { return height_; }
    [[nodiscard]] bool Empty() const { return width_ == 0 || height_ == 0; }
    [[nodiscard]] uint32_t Pixel(int x, int y) const { return pixels_[Index(x, y)]; }
    void SetPixel(int x, int y, uint32_t rgb) { pixels_[Index(x, y)] = rgb & 0xFFFFFF; }
    [[nodiscard]] uint32_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    [[nodiscard]] const uint32_t* Row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    [[nodiscard]] const uint32_t* Bits() const { return pixels_.data(); }
    // Makes the picture width x height, keeping nothing of what it held.
    void Resize(int width, int height, uint32_t fill = 0x000000);
    // A copy of a rectangle of this picture (parts outside it come out black).
    [[nodiscard]] Picture Crop(int x, int y, int width, int height) const;

    bool operator==(const Picture& o) const = default;

private:
    [[nodiscard]] std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * width_ + x;
    }
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

enum class RasterOp {
    kSrcCopy,    // dest = src
    kSrcErase,   // dest = src AND NOT dest
    kSrcInvert,  // dest = src XOR dest
};

// Combines the width x height rectangle of src at (sx, sy) into dest at
// (x, y).  Only pixels that lie inside both pictures are touched.
void BitBlt(Picture& dest, int x, int y, int width, int height, const Picture& src, int sx, int sy,
            RasterOp op);

// A picture built into the program, by name ("face", "hour_units" ...).  An
// unknown name gives an empty picture.
Picture LoadPicture(std::string_view name);
// The same when the caller relies on its size: a missing picture, or one of
// another size, gives a width x height picture of `fill` instead, so every
// copy from it stays in bounds.
Picture LoadPicture(std::string_view name, int width, int height, uint32_t fill = 0x000000);

}  // namespace platform
