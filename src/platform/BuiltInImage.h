// Reading the pictures built into the program, for the platform layer only.
#pragma once

#include <QImage>
#include <QImageReader>
#include <QString>

namespace platform {

// A built-in PNG by resource path (":/pictures/face.png"); null when there
// is none.  Read as PNG and nothing else: left to guess, Qt's reader first
// loads every image plugin there is to ask it, which cost the start-up
// milliseconds before the first frame.
inline QImage ReadBuiltInPng(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

}  // namespace platform
