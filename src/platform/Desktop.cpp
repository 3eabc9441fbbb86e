// The desktop around the windows: the pointer over every window, the
// pop-up menu and the screens (declared with the windows in Form.h).
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include <algorithm>

#include "platform/Form.h"

namespace platform {

void SetScreenCursor(Cursor cursor) {
    if (cursor == Cursor::kHourglass) {
        if (!QGuiApplication::overrideCursor()) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
    }
    // The caller is about to hold the thread; the X server must see it now.
    QGuiApplication::sync();
}

int PopupMenu(const std::vector<MenuItem>& items) {
    QMenu menu;
    // Qt's own measure of a menu comes out short for Japanese captions and
    // cuts the longest one, so the menu is made wide enough for it here.
    const QFontMetrics metrics(menu.font());
    int widest = 0;
    for (const MenuItem& item : items)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(item.caption).remove('&')));
    menu.setMinimumWidth(widest + 4 * metrics.height());
    std::vector<QAction*> actions;
    for (const MenuItem& item : items) {
        if (item.caption.empty()) {
            actions.push_back(menu.addSeparator());
            continue;
        }
        QAction* a = menu.addAction(QString::fromStdString(item.caption));
        a->setCheckable(item.checkable);
        a->setChecked(item.checked);
        actions.push_back(a);
    }
    QAction* chosen = menu.exec(QCursor::pos());
    for (std::size_t i = 0; i < actions.size(); ++i)
        if (chosen && actions[i] == chosen) return static_cast<int>(i);
    return -1;
}

std::vector<Rect> ScreenRects() {
    std::vector<Rect> out;
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        out.push_back({g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
    }
    return out;
}

}  // namespace platform
