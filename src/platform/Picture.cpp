#include "platform/Picture.h"

#include "platform/BuiltInImage.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QString>
#include <algorithm>

namespace platform {

Picture::Picture(int width, int height, uint32_t fill) { Resize(width, height, fill); }
Picture::Picture(int width, int height, uint32_t fill, int scale) { Allocate(width, height, fill, scale); }

void Picture::Allocate(int width, int height, uint32_t fill, int scale) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    scale_ = std::clamp(scale, 1, 2);
    pixels_.assign(static_cast<std::size_t>(DeviceWidth()) * DeviceHeight(), fill & 0xFFFFFF);
}

void Picture::Resize(int width, int height, uint32_t fill) { Allocate(width, height, fill, DisplayScale()); }

void Picture::SetPixel(int x, int y, uint32_t rgb) {
    for (int dy = 0; dy < scale_; ++dy)
        for (int dx = 0; dx < scale_; ++dx) pixels_[Index(x * scale_ + dx, y * scale_ + dy)] = rgb & 0xFFFFFF;
}

Picture Picture::Crop(int x, int y, int width, int height) const {
    Picture out(width, height, 0, scale_);
    BitBlt(out, 0, 0, width, height, *this, x, y, RasterOp::kSrcCopy);
    return out;
}

int DisplayScale() {
    const auto* gui = qobject_cast<const QGuiApplication*>(QCoreApplication::instance());
    return gui && gui->devicePixelRatio() >= 1.5 ? 2 : 1;
}

namespace {

void Combine(uint32_t* d, const uint32_t* s, int count, RasterOp op) {
    switch (op) {
        case RasterOp::kSrcCopy: std::copy(s, s + count, d); break;
        case RasterOp::kSrcErase:
            for (int i = 0; i < count; ++i) d[i] = s[i] & ~d[i] & 0xFFFFFF;
            break;
        case RasterOp::kSrcInvert:
            for (int i = 0; i < count; ++i) d[i] = (s[i] ^ d[i]) & 0xFFFFFF;
            break;
    }
}

}  // namespace

void BitBlt(Picture& dest, int x, int y, int width, int height, const Picture& src, int sx, int sy, RasterOp op) {
    // Clip the rectangle against the destination, then against the source,
    // moving both origins together.
    auto clip = [&](int& d, int& s, int& len, int limitD, int limitS) {
        if (d < 0) {
            s -= d;
            len += d;
            d = 0;
        }
        if (s < 0) {
            d -= s;
            len += s;
            s = 0;
        }
        len = std::min({len, limitD - d, limitS - s});
    };
    clip(x, sx, width, dest.Width(), src.Width());
    clip(y, sy, height, dest.Height(), src.Height());
    if (width <= 0 || height <= 0) return;

    const int ds = dest.Scale();
    const int ss = src.Scale();
    const int count = width * ds;
    if (ds == ss) {
        for (int row = 0; row < height * ds; ++row)
            Combine(dest.DeviceRow(y * ds + row) + x * ds, src.DeviceRow(sy * ds + row) + sx * ds, count, op);
        return;
    }
    // Another scale: each screen pixel of dest takes the source pixel it
    // lies on.
    std::vector<uint32_t> line(static_cast<std::size_t>(count));
    for (int row = 0; row < height * ds; ++row) {
        const uint32_t* s = src.DeviceRow(sy * ss + row * ss / ds) + sx * ss;
        for (int i = 0; i < count; ++i) line[i] = s[i * ss / ds];
        Combine(dest.DeviceRow(y * ds + row) + x * ds, line.data(), count, op);
    }
}

namespace {

QImage ReadBuiltIn(std::string_view name, const char* suffix) {
    const QImage image = ReadBuiltInPng(QStringLiteral(":/pictures/") +
                                        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) +
                                        QLatin1String(suffix) + QStringLiteral(".png"));
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

// An image of (width x scale) x (height x scale) screen pixels.
Picture FromImage(const QImage& image, int scale) {
    Picture pic(image.width() / scale, image.height() / scale, 0, scale);
    for (int y = 0; y < pic.DeviceHeight(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        uint32_t* row = pic.DeviceRow(y);
        for (int x = 0; x < pic.DeviceWidth(); ++x) row[x] = line[x] & 0xFFFFFF;
    }
    return pic;
}

}  // namespace

Picture LoadPicture(std::string_view name) { return LoadPictureAt(name, DisplayScale()); }

Picture LoadPictureAt(std::string_view name, int scale) {
    if (scale == 2) {
        const QImage fine = ReadBuiltIn(name, "@2x");
        if (!fine.isNull() && fine.width() % 2 == 0 && fine.height() % 2 == 0) return FromImage(fine, 2);
    }
    const QImage image = ReadBuiltIn(name, "");
    if (image.isNull()) return {};
    Picture pic = FromImage(image, 1);
    if (scale == 1) return pic;
    // No finer rendering: the plain one, each pixel made a block.
    Picture scaled(pic.Width(), pic.Height(), 0, scale);
    BitBlt(scaled, 0, 0, pic.Width(), pic.Height(), pic, 0, 0, RasterOp::kSrcCopy);
    return scaled;
}

Picture LoadPicture(std::string_view name, int width, int height, uint32_t fill) {
    Picture pic = LoadPicture(name);
    if (pic.Width() != width || pic.Height() != height) return Picture(width, height, fill);
    return pic;
}

}  // namespace platform
