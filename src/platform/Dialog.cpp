#include "platform/Dialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextLayout>

namespace platform {
namespace {

constexpr int kFontPixels = 11;

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

class DialogWidget final : public QDialog {
public:
    std::function<void()> onClose;  // the close box, and every other way of rejecting
    QPointer<QPushButton> cancel;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier && cancel && cancel->isEnabled()) {
            cancel->click();
            return;
        }
        QDialog::keyPressEvent(e);
    }
    void reject() override {
        if (onClose) onClose();
    }
};

// Keeps typed characters from a list when its handler says so.
class KeyFilter final : public QObject {
public:
    explicit KeyFilter(ComboBox& owner, QObject* parent) : QObject(parent), owner_(owner) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || !owner_.onKeyPress) return false;
        const QString text = static_cast<QKeyEvent*>(e)->text();
        if (text.isEmpty() || !text.at(0).isPrint()) return false;
        auto key = static_cast<int16_t>(text.at(0).unicode());
        owner_.onKeyPress(key);
        return key == 0;
    }

private:
    ComboBox& owner_;
};

// A caption wrapped to its box with lines as tall as the font, so that two
// lines fit a box two lines high (the CJK fonts' own line spacing is half
// as tall again).
class LabelWidget final : public QLabel {
public:
    LabelWidget(const QString& caption, QWidget* parent) : QLabel(caption, parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        QTextLayout layout(text(), font());
        layout.beginLayout();
        qreal y = 0;
        const qreal step = kFontPixels + 1;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width());
            line.setPosition(QPointF(0, y - line.ascent() + step * 0.85));
            y += step;
        }
        layout.endLayout();
        layout.draw(&painter, QPointF(0, 0));
    }
};

// A frame whose caption sits on its border line, so that controls placed
// just below the frame's top stay clear of both.
class FrameWidget final : public QWidget {
public:
    FrameWidget(const QString& caption, QWidget* parent) : QWidget(parent) { setProperty("caption", caption); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int line = metrics.ascent() / 2 + 1;
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(0, line, width() - 1, height() - 1 - line);
        const QString caption = property("caption").toString();
        if (caption.isEmpty()) return;
        const QRect title(6, 0, metrics.horizontalAdvance(caption) + 4, metrics.height());
        painter.fillRect(title, palette().color(QPalette::Window));
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        painter.drawText(title.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, caption);
    }
};

}  // namespace

Control::~Control() = default;
void Control::SetEnabled(bool enabled) { widget_->setEnabled(enabled); }
bool Control::Enabled() const { return widget_->isEnabled(); }
void Control::SetFocus() { widget_->setFocus(Qt::OtherFocusReason); }
bool Control::HasFocus() const { return widget_->hasFocus(); }
Rect Control::Geometry() const {
    const QRect g = widget_->geometry();
    return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}
std::string Control::Caption() const {
    if (auto* b = qobject_cast<QAbstractButton*>(widget_)) return b->text().toStdString();
    if (auto* l = qobject_cast<QLabel*>(widget_)) return l->text().toStdString();
    return widget_->property("caption").toString().toStdString();
}

Button::Button(QWidget* widget) : Control(widget) {
    QObject::connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, [this] {
        if (onClick) onClick();
    });
}

CheckBox::CheckBox(QWidget* widget) : Control(widget) {
    QObject::connect(static_cast<QCheckBox*>(widget), &QCheckBox::toggled, [this] {
        if (onClick) onClick();
    });
}
bool CheckBox::Value() const { return static_cast<QCheckBox*>(widget_)->isChecked(); }
void CheckBox::SetValue(bool checked) { static_cast<QCheckBox*>(widget_)->setChecked(checked); }

OptionButton::OptionButton(QWidget* widget) : Control(widget) {}
bool OptionButton::Value() const { return static_cast<QRadioButton*>(widget_)->isChecked(); }
void OptionButton::SetValue(bool selected) { static_cast<QRadioButton*>(widget_)->setChecked(selected); }

TextBox::TextBox(QWidget* widget) : Control(widget) {
    QObject::connect(static_cast<QLineEdit*>(widget), &QLineEdit::textChanged, [this] {
        if (onChange) onChange();
    });
}
std::string TextBox::Text() const { return static_cast<QLineEdit*>(widget_)->text().toStdString(); }
void TextBox::SetText(std::string_view text) { static_cast<QLineEdit*>(widget_)->setText(Q(text)); }

// The scroll bar counts from its top, the control's value from its bottom:
// value = minimum + maximum - position.  The upper arrow then raises it.
SpinControl::SpinControl(QWidget* widget, int minimum, int maximum, int value) : Control(widget) {
    auto* bar = static_cast<QScrollBar*>(widget);
    bar->setFocusPolicy(Qt::StrongFocus);
    bar->setRange(minimum, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setValue(minimum + maximum - value);
    QObject::connect(bar, &QScrollBar::valueChanged, [this] {
        if (onChange) onChange();
    });
}
int SpinControl::Minimum() const { return static_cast<QScrollBar*>(widget_)->minimum(); }
int SpinControl::Maximum() const { return static_cast<QScrollBar*>(widget_)->maximum(); }
int SpinControl::Value() const { return Minimum() + Maximum() - static_cast<QScrollBar*>(widget_)->value(); }
bool SpinControl::SetValue(int value) {
    if (value < Minimum() || value > Maximum()) return false;
    static_cast<QScrollBar*>(widget_)->setValue(Minimum() + Maximum() - value);
    return true;
}

ComboBox::ComboBox(QWidget* widget, const std::vector<std::string>& entries) : Control(widget) {
    auto* list = static_cast<QComboBox*>(widget);
    for (const std::string& e : entries) list->addItem(Q(e));
    list->setCurrentIndex(-1);
    // Keys reach the list itself while it is closed, and its drop-down view
    // while it is open.
    list->installEventFilter(new KeyFilter(*this, list));
    list->view()->installEventFilter(new KeyFilter(*this, list));
}
int ComboBox::ListIndex() const { return static_cast<QComboBox*>(widget_)->currentIndex(); }
void ComboBox::SetListIndex(int index) { static_cast<QComboBox*>(widget_)->setCurrentIndex(index); }
std::string ComboBox::Text() const { return static_cast<QComboBox*>(widget_)->currentText().toStdString(); }
int ComboBox::ListCount() const { return static_cast<QComboBox*>(widget_)->count(); }

struct Dialog::Impl {
    DialogWidget* widget = nullptr;
    std::vector<std::unique_ptr<Control>> controls;
    QEventLoop* loop = nullptr;

    QWidget* Parent(Frame* in) const { return in ? in->Widget() : widget; }
    template <typename T, typename W, typename... Args>
    T& Add(W* w, const Rect& place, Args&&... args) {
        w->setGeometry(place.left, place.top, place.right - place.left, place.bottom - place.top);
        w->show();
        auto control = std::make_unique<T>(w, std::forward<Args>(args)...);
        T& ref = *control;
        controls.push_back(std::move(control));
        return ref;
    }
};

Dialog::Dialog(std::string_view caption, int width, int height) : impl_(std::make_unique<Impl>()) {
    auto* w = new DialogWidget;
    impl_->widget = w;
    w->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                      Qt::MSWindowsFixedSizeDialogHint);
    w->setWindowTitle(Q(caption));
    w->setFixedSize(width, height);
    // The controls are laid out in small fixed pixel boxes: an 11-pixel
    // font fits their captions, Japanese included.
    QFont font = QApplication::font();
    font.setPixelSize(kFontPixels);
    w->setFont(font);
    w->onClose = [this] { Unload(); };
}

Dialog::~Dialog() {
    // The widgets first: whatever they signal while they go still finds its
    // control.
    delete impl_->widget;
    impl_->controls.clear();
}

Label& Dialog::AddLabel(Frame* in, const Rect& place, std::string_view caption) {
    return impl_->Add<Label>(new LabelWidget(Q(caption), impl_->Parent(in)), place);
}

Frame& Dialog::AddFrame(Frame* in, const Rect& place, std::string_view caption, bool border) {
    QWidget* parent = impl_->Parent(in);
    if (!border) return impl_->Add<Frame>(new QWidget(parent), place);
    auto* box = new FrameWidget(Q(caption), parent);
    return impl_->Add<Frame>(box, place);
}

Button& Dialog::AddButton(Frame* in, const Rect& place, std::string_view caption) {
    // A button with the focus takes Enter itself; otherwise the default one.
    auto* w = new QPushButton(Q(caption), impl_->Parent(in));
    w->setAutoDefault(true);
    return impl_->Add<Button>(w, place);
}

CheckBox& Dialog::AddCheckBox(Frame* in, const Rect& place, std::string_view caption) {
    return impl_->Add<CheckBox>(new QCheckBox(Q(caption), impl_->Parent(in)), place);
}

OptionButton& Dialog::AddOptionButton(Frame* in, const Rect& place, std::string_view caption) {
    return impl_->Add<OptionButton>(new QRadioButton(Q(caption), impl_->Parent(in)), place);
}

TextBox& Dialog::AddTextBox(Frame* in, const Rect& place, std::string_view text) {
    return impl_->Add<TextBox>(new QLineEdit(Q(text), impl_->Parent(in)), place);
}

SpinControl& Dialog::AddSpinControl(Frame* in, const Rect& place, int minimum, int maximum, int value) {
    return impl_->Add<SpinControl>(new QScrollBar(Qt::Vertical, impl_->Parent(in)), place, minimum, maximum, value);
}

ComboBox& Dialog::AddComboBox(Frame* in, const Rect& place, const std::vector<std::string>& entries) {
    auto* w = new QComboBox(impl_->Parent(in));
    w->setEditable(false);
    return impl_->Add<ComboBox>(w, place, entries);
}

void Dialog::SetTabOrder(const std::vector<Control*>& order) {
    for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1]->Widget(), order[i]->Widget());
}

void Dialog::SetDefaultButton(Button& button) { static_cast<QPushButton*>(button.Widget())->setDefault(true); }
void Dialog::SetCancelButton(Button& cancel) { impl_->widget->cancel = static_cast<QPushButton*>(cancel.Widget()); }

void Dialog::ShowModal() {
    // The windows open now take no input until the dialog closes; windows
    // that come up meanwhile (a call-out) are not held back.
    std::vector<QPointer<QWidget>> held;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != impl_->widget && w->isVisible() && w->isEnabled()) {
            held.emplace_back(w);
            w->setEnabled(false);
        }
    QEventLoop loop;
    impl_->loop = &loop;
    Show();
    loop.exec(QEventLoop::DialogExec);
    impl_->loop = nullptr;
    for (const QPointer<QWidget>& w : held)
        if (w) w->setEnabled(true);
}

void Dialog::Show() {
    impl_->widget->show();
    impl_->widget->raise();
    impl_->widget->activateWindow();
}

void Dialog::Unload() {
    if (onCloseRequest) onCloseRequest();
    impl_->widget->hide();
    if (impl_->loop) impl_->loop->exit();
}

bool Dialog::Visible() const { return impl_->widget->isVisible(); }
QWidget* Dialog::Widget() const { return impl_->widget; }

void QtMessages::ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) {
    QMessageBox box(icon == MessageIcon::kExclamation ? QMessageBox::Warning : QMessageBox::Information, Q(title),
                    Q(text), QMessageBox::Ok);
    box.exec();
}

}  // namespace platform
