#pragma once

#include <QString>
#include <QStringView>

// The program's pictures are built into the tessuri_assets library as Qt
// resources: ":/pictures/<name>.png" and, at twice the size,
// ":/pictures/<name>@2x.png" (opaque 24-bit colour).
namespace tessuri::assets {

// Registers the pictures resource. Linking the library normally does this
// already; calling it again is harmless.
void init();

// ":/pictures/<name>.png", or the @2x file when twice is true.
QString picturePath(QStringView name, bool twice = false);

}  // namespace tessuri::assets
