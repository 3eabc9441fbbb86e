#include "tessuri/assets.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initPicturesResource() { Q_INIT_RESOURCE(tessuri_pictures); }

namespace tessuri::assets {

void init() { initPicturesResource(); }

QString picturePath(QStringView name, bool twice) {
    QString path = QStringLiteral(":/pictures/");
    path.append(name);
    path.append(twice ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
    return path;
}

}  // namespace tessuri::assets
