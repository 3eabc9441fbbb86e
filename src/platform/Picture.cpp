#include "platform/Picture.h"

#include <QImage>
#include <QString>
#include <algorithm>

namespace platform {

Picture::Picture(int width, int height, uint32_t fill) { Resize(width, height, fill); }

void Picture::Resize(int width, int height, uint32_t fill) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    pixels_.assign(static_cast<std::size_t>(width_) * height_, fill & 0xFFFFFF);
}

Picture Picture::Crop(int x, int y, int width, int height) const {
    Picture out(width, height);
    BitBlt(out, 0, 0, width, height, *this, x, y, RasterOp::kSrcCopy);
    return out;
}

void BitBlt(Picture& dest, int x, int y, int width, int height, const Picture& src, int sx, int sy,
            RasterOp op) {
    // Clip the rectangle against the destination, then against the source,
    // moving both origins together.
    auto clip = [&](int& d, int& s, int& len, int limitD, int limitS) {
        if (d < 0) { s -= d; len += d; d = 0; }
        if (s < 0) { d -= s; len += s; s = 0; }
        len = std::min({len, limitD - d, limitS - s});
    };
    clip(x, sx, width, dest.Width(), src.Width());
    clip(y, sy, height, dest.Height(), src.Height());
    if (width <= 0 || height <= 0) return;

    for (int row = 0; row < height; ++row) {
        uint32_t* d = dest.Row(y + row) + x;
        const uint32_t* s = src.Row(sy + row) + sx;
        switch (op) {
            case RasterOp::kSrcCopy:
                std::copy(s, s + width, d);
                break;
            case RasterOp::kSrcErase:
                for (int i = 0; i < width; ++i) d[i] = s[i] & ~d[i] & 0xFFFFFF;
                break;
            case RasterOp::kSrcInvert:
                for (int i = 0; i < width; ++i) d[i] = (s[i] ^ d[i]) & 0xFFFFFF;
                break;
        }
    }
}

Picture LoadPicture(std::string_view name) {
    QImage image(QStringLiteral(":/pictures/") + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) +
                 QStringLiteral(".png"));
    if (image.isNull()) return {};
    image = image.convertToFormat(QImage::Format_RGB32);
    Picture pic(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        uint32_t* row = pic.Row(y);
        for (int x = 0; x < image.width(); ++x) row[x] = line[x] & 0xFFFFFF;
    }
    return pic;
}

Picture LoadPicture(std::string_view name, int width, int height, uint32_t fill) {
    Picture pic = LoadPicture(name);
    if (pic.Width() != width || pic.Height() != height) return Picture(width, height, fill);
    return pic;
}

}  // namespace platform
