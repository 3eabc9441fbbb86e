#include "platform/Form.h"

#include "platform/BuiltInImage.h"

#include <time.h>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPolygon>
#include <QRegion>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace platform {
namespace {

MouseButton ButtonOf(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton: return MouseButton::kLeft;
        case Qt::RightButton: return MouseButton::kRight;
        case Qt::MiddleButton: return MouseButton::kMiddle;
        default: return MouseButton::kOther;
    }
}

QRegion RegionOf(const std::vector<Point>& polygon) {
    QPolygon poly;
    for (const Point& p : polygon) poly << QPoint(p.x, p.y);
    return QRegion(poly, Qt::OddEvenFill);
}

// Copies the part r (in program pixels) of a picture into a Qt image of
// the same screen pixels, which then paints r crisp at the picture's scale.
void Convert(const Picture& pic, QImage& image, const QRect& r) {
    const int scale = pic.Scale();
    if (image.width() != pic.DeviceWidth() || image.height() != pic.DeviceHeight()) {
        image = QImage(pic.DeviceWidth(), pic.DeviceHeight(), QImage::Format_RGB32);
        image.setDevicePixelRatio(scale);
    }
    const QRect logical = r.intersected(QRect(0, 0, pic.Width(), pic.Height()));
    const QRect area(logical.topLeft() * scale, logical.size() * scale);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
        const uint32_t* row = pic.DeviceRow(y);
        for (int x = area.left(); x <= area.right(); ++x) line[x] = row[x] | 0xFF000000u;
    }
}

// Paints the part r of a converted image at r.
void PaintPart(QWidget* widget, const QImage& image, const QRect& r) {
    const qreal scale = image.devicePixelRatio();
    QPainter painter(widget);
    painter.drawImage(QRectF(r), image, QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale));
}

class AreaWidget final : public QWidget {
public:
    AreaWidget(QWidget* parent, PictureBox*& owner) : QWidget(parent), owner_(owner) {}
    Picture picture;
    Picture image;
    // An area with something to show covers the window beneath it, which
    // then need not be painted first; an empty one is see-through.
    void ImageChanged() { setAttribute(Qt::WA_OpaquePaintEvent, !image.Empty()); }

protected:
    void paintEvent(QPaintEvent* e) override {
        if (image.Empty()) return;
        Convert(image, scratch_, e->rect());
        PaintPart(this, scratch_, e->rect());
    }
    void mousePressEvent(QMouseEvent* e) override {
        e->accept();
        pressed_ = true;
        if (owner_ && owner_->onMouseDown) owner_->onMouseDown(ButtonOf(e->button()));
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        e->accept();
        const QPoint at = e->position().toPoint();
        if (owner_ && owner_->onMouseUp) owner_->onMouseUp(ButtonOf(e->button()));
        const bool inside = rect().contains(at) && (mask().isEmpty() || mask().contains(at));
        if (pressed_ && inside && e->button() == Qt::LeftButton && e->buttons() == Qt::NoButton && owner_ &&
            owner_->onClick) {
            pressed_ = false;
            owner_->onClick();
        }
        if (e->buttons() == Qt::NoButton) pressed_ = false;
    }

private:
    PictureBox*& owner_;
    QImage scratch_;
    bool pressed_ = false;
};

}  // namespace

struct PictureBox::Impl {
    PictureBox* owner = nullptr;
    AreaWidget* widget = nullptr;
};

PictureBox::PictureBox(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) { impl_->owner = this; }
PictureBox::~PictureBox() = default;

void PictureBox::SetPicture(const Picture& picture) {
    AreaWidget* w = impl_->widget;
    if (w->picture == picture && w->image == picture) return;
    w->picture = picture;
    w->image = picture;
    w->ImageChanged();
    w->repaint();
}

const Picture& PictureBox::GetPicture() const { return impl_->widget->picture; }
Picture& PictureBox::Image() {
    AreaWidget* w = impl_->widget;
    if (w->image.Empty()) {
        w->image.Resize(w->width(), w->height());
        w->ImageChanged();
    }
    return w->image;
}
void PictureBox::RestorePicture() {
    impl_->widget->image = impl_->widget->picture;
    impl_->widget->ImageChanged();
    impl_->widget->repaint();
}
void PictureBox::Refresh() { impl_->widget->repaint(); }
void PictureBox::Refresh(const Rect& part) {
    const QRect r =
        QRect(part.left, part.top, part.right - part.left, part.bottom - part.top).intersected(impl_->widget->rect());
    if (!r.isEmpty()) impl_->widget->repaint(r);
}
void PictureBox::SetRegion(const std::vector<Point>& polygon) { impl_->widget->setMask(RegionOf(polygon)); }
void PictureBox::SetVisible(bool visible) { impl_->widget->setVisible(visible); }
Rect PictureBox::Geometry() const {
    const QRect g = impl_->widget->geometry();
    return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

namespace {

class FormWidget final : public QWidget {
public:
    explicit FormWidget(Form& owner) : owner_(owner) {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    Picture image;
    // While set, the owner's handlers wait in `held` instead of being posted.
    bool holding = false;
    std::vector<std::function<void()> Form::*> held;
    bool manualDrag = false;
    QPoint dragOffset;
    QPoint lastPressGlobal;

protected:
    void paintEvent(QPaintEvent* e) override {
        if (!image.Empty()) {
            Convert(image, scratch_, e->rect());
            PaintPart(this, scratch_, e->rect());
        }
        if (painted_) return;
        painted_ = true;
        if (reportFirstPaint_) {
            // For the start-up benchmark: when the first frame was painted.
            timespec ts{};
            clock_gettime(CLOCK_MONOTONIC, &ts);
            std::fprintf(stderr, "first-paint %lld\n", static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec);
        }
        if (!iconBase_.isEmpty()) QTimer::singleShot(0, this, [this] { ApplyIcon(); });
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::WindowActivate) Later(&Form::onActivate);
        return QWidget::event(e);
    }
    void mousePressEvent(QMouseEvent* e) override {
        e->accept();
        lastPressGlobal = e->globalPosition().toPoint();
        if (owner_.onMouseDown) owner_.onMouseDown(ButtonOf(e->button()));
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (manualDrag && (e->buttons() & Qt::LeftButton)) move(e->globalPosition().toPoint() - dragOffset);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) manualDrag = false;
    }
    void closeEvent(QCloseEvent* e) override {
        // The owner decides; the window never closes by itself.
        e->ignore();
        Later(&Form::onCloseRequest);
    }

public:
    // The icon from the built-in files named `base` (".png" and "64.png").
    // Decoding them costs more than the whole first frame, and the
    // window's first expose comes after a round trip to the server, so a
    // window not yet painted takes its icon just after its first frame.
    void SetIconFiles(const QString& base) {
        iconBase_ = base;
        if (painted_) ApplyIcon();
    }

    // Runs the owner's handler from the event loop, outside this widget's
    // own event handling: the handler may destroy the Form and this widget.
    void Later(std::function<void()> Form::*handler) {
        if (holding) {
            held.push_back(handler);
            return;
        }
        QTimer::singleShot(0, qApp, [self = QPointer<FormWidget>(this), handler] {
            if (self && self->owner_.*handler) (self->owner_.*handler)();
        });
    }

private:
    void ApplyIcon() {
        // Icons keep their transparent corners, so they come straight from
        // the built-in files rather than through a 24-bit picture.
        QIcon icon;
        for (const QString& suffix : {QStringLiteral(".png"), QStringLiteral("64.png")}) {
            const QImage file = ReadBuiltInPng(iconBase_ + suffix);
            if (!file.isNull()) icon.addPixmap(QPixmap::fromImage(file));
        }
        if (!icon.isNull()) setWindowIcon(icon);
    }

    Form& owner_;
    QImage scratch_;
    QString iconBase_;
    bool painted_ = false;
    const bool reportFirstPaint_ = qEnvironmentVariableIntValue("TESSURI_BENCH_FIRST_PAINT") == 1;
};

}  // namespace

struct Form::Impl {
    FormWidget* widget = nullptr;
    std::vector<std::unique_ptr<PictureBox>> areas;
    bool onTop = false;
};

Form::Form(std::string_view caption) : impl_(std::make_unique<Impl>()) {
    impl_->widget = new FormWidget(*this);
    impl_->widget->setWindowTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    impl_->widget->winId();  // the native window exists from now on, so its flags can be set
}

Form::~Form() { delete impl_->widget; }

void Form::SetBackground(const Picture& picture) {
    impl_->widget->image = picture;
    impl_->widget->update();
}

Picture& Form::Image() { return impl_->widget->image; }

void Form::SetIcon(std::string_view pictureName) {
    impl_->widget->SetIconFiles(QStringLiteral(":/pictures/") +
                                QString::fromUtf8(pictureName.data(), static_cast<qsizetype>(pictureName.size())));
}

void Form::Move(int x, int y, int width, int height) {
    impl_->widget->setFixedSize(width, height);
    impl_->widget->move(x, y);
}

Rect Form::GetWindowRect() const {
    const QRect g = impl_->widget->frameGeometry();
    return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void Form::SetRegion(const std::vector<Point>& polygon) { impl_->widget->setMask(RegionOf(polygon)); }

void Form::SetStaysOnTop(bool onTop) {
    impl_->onTop = onTop;
    // Through the native window, so the window is neither hidden nor made anew.
    if (QWindow* w = impl_->widget->windowHandle()) w->setFlag(Qt::WindowStaysOnTopHint, onTop);
}

bool Form::StaysOnTop() const { return impl_->onTop; }

void Form::StartDrag() {
    FormWidget* w = impl_->widget;
    QWindow* handle = w->windowHandle();
    if (handle && handle->startSystemMove()) return;
    // No window manager to do it: follow the mouse ourselves.
    w->manualDrag = true;
    w->dragOffset = w->lastPressGlobal - w->pos();
}

void Form::Show() {
    impl_->widget->show();
    impl_->widget->raise();
}

void Form::ShowOnScreen() {
    FormWidget* w = impl_->widget;
    Show();
    QWindow* handle = w->windowHandle();
    if (!handle) return;
    // The window manager maps the window in its own time; a second is far
    // more than it takes, and bounds the wait where it never does.
    constexpr auto kFlags =
        QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers | QEventLoop::X11ExcludeTimers;
    constexpr int kLimitMs = 1000;
    QElapsedTimer waited;
    waited.start();
    w->holding = true;
    while (!handle->isExposed() && waited.elapsed() < kLimitMs) {
        QCoreApplication::processEvents(kFlags, 5);
        if (!handle->isExposed()) QThread::msleep(1);
    }
    w->holding = false;
    w->repaint();
    std::vector<std::function<void()> Form::*> held;
    held.swap(w->held);
    for (auto handler : held) w->Later(handler);
}

void Form::Activate() {
    impl_->widget->raise();
    impl_->widget->activateWindow();
}

bool Form::Visible() const { return impl_->widget->isVisible(); }

void Form::SetCursor(Cursor cursor) {
    if (cursor == Cursor::kHourglass)
        impl_->widget->setCursor(Qt::WaitCursor);
    else
        impl_->widget->unsetCursor();
}

void Form::Refresh() { impl_->widget->repaint(); }

PictureBox& Form::AddPictureBox(int x, int y, int width, int height) {
    auto impl = std::make_unique<PictureBox::Impl>();
    PictureBox::Impl* raw = impl.get();
    PictureBox& box = *impl_->areas.emplace_back(new PictureBox(std::move(impl)));
    raw->widget = new AreaWidget(impl_->widget, raw->owner);
    raw->widget->setGeometry(x, y, width, height);
    raw->widget->show();
    return box;
}

uint64_t Form::NativeId() const { return static_cast<uint64_t>(impl_->widget->winId()); }

}  // namespace platform
