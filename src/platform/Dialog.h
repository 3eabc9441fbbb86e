// Modal dialogs and the controls on them, over Qt Widgets.  Setting a
// control's value or text from code runs its change handler at once, before
// the call returns, and only when the value really changes; the handlers
// may set other controls, nested.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Services.h"
#include "platform/Types.h"

class QWidget;

namespace platform {

class Frame;

// What every control has.
class Control {
public:
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    void SetEnabled(bool enabled);
    [[nodiscard]] bool Enabled() const;
    void SetFocus();
    [[nodiscard]] bool HasFocus() const;
    // Place and size inside the control's container.
    [[nodiscard]] Rect Geometry() const;
    [[nodiscard]] std::string Caption() const;
    // The toolkit's widget, for tests that drive the control with input.
    [[nodiscard]] QWidget* Widget() const { return widget_; }

protected:
    explicit Control(QWidget* widget) : widget_(widget) {}
    QWidget* widget_;
};

class Label final : public Control {
public:
    explicit Label(QWidget* widget) : Control(widget) {}
};

// A frame with a caption on its border, or a bare container.
class Frame final : public Control {
public:
    explicit Frame(QWidget* widget) : Control(widget) {}
};

class Button final : public Control {
public:
    explicit Button(QWidget* widget);
    std::function<void()> onClick;
};

class CheckBox final : public Control {
public:
    explicit CheckBox(QWidget* widget);
    [[nodiscard]] bool Value() const;
    void SetValue(bool checked);
    // The value has changed, by the user or by code.
    std::function<void()> onClick;
};

// Option buttons in one container exclude each other.
class OptionButton final : public Control {
public:
    explicit OptionButton(QWidget* widget);
    [[nodiscard]] bool Value() const;
    void SetValue(bool selected);
};

// A one-line text box.
class TextBox final : public Control {
public:
    explicit TextBox(QWidget* widget);
    [[nodiscard]] std::string Text() const;
    void SetText(std::string_view text);
    std::function<void()> onChange;
};

// A narrow vertical scroll bar: the upper arrow raises the value by one, the
// lower arrow lowers it, a click on the track moves it by one.
class SpinControl final : public Control {
public:
    SpinControl(QWidget* widget, int minimum, int maximum, int value);
    [[nodiscard]] int Value() const;
    [[nodiscard]] int Minimum() const;
    [[nodiscard]] int Maximum() const;
    // A value outside the range is refused: false, and nothing changes.
    bool SetValue(int value);
    std::function<void()> onChange;
};

// A drop-down list of fixed entries.
class ComboBox final : public Control {
public:
    ComboBox(QWidget* widget, const std::vector<std::string>& entries);
    // The selected entry, -1 for none.
    [[nodiscard]] int ListIndex() const;
    void SetListIndex(int index);
    // The selected entry's text; empty for none.
    [[nodiscard]] std::string Text() const;
    [[nodiscard]] int ListCount() const;
    // A character typed while the list has the focus: a handler that sets
    // it to 0 keeps it from the list.
    std::function<void(int16_t& keyAscii)> onKeyPress;
};

// A dialog window of a fixed client size with a close box.
class Dialog {
public:
    Dialog(std::string_view caption, int width, int height);
    ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Controls at their place in `in` (the dialog itself when null).  The
    // keyboard focus visits them in the order they are made unless
    // SetTabOrder says otherwise.
    Label& AddLabel(Frame* in, const Rect& place, std::string_view caption);
    Frame& AddFrame(Frame* in, const Rect& place, std::string_view caption, bool border = true);
    Button& AddButton(Frame* in, const Rect& place, std::string_view caption);
    CheckBox& AddCheckBox(Frame* in, const Rect& place, std::string_view caption);
    OptionButton& AddOptionButton(Frame* in, const Rect& place, std::string_view caption);
    TextBox& AddTextBox(Frame* in, const Rect& place, std::string_view text);
    SpinControl& AddSpinControl(Frame* in, const Rect& place, int minimum, int maximum, int value);
    ComboBox& AddComboBox(Frame* in, const Rect& place, const std::vector<std::string>& entries);
    void SetTabOrder(const std::vector<Control*>& order);

    // Enter presses `button`; Esc presses `cancel`.
    void SetDefaultButton(Button& button);
    void SetCancelButton(Button& cancel);

    // Shows the dialog and returns when it has been closed; the rest of the
    // program's windows take no input meanwhile, but its timers go on.
    void ShowModal();
    // Shows it without waiting (tests, tools).
    void Show();
    // Closes the dialog; ShowModal then returns.
    void Unload();
    [[nodiscard]] bool Visible() const;
    [[nodiscard]] QWidget* Widget() const;

    // The dialog is closing, whichever way.
    std::function<void()> onCloseRequest;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Message boxes of the toolkit.
class QtMessages final : public Messages {
public:
    void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) override;
};

}  // namespace platform
