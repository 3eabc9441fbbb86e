// Borderless top-level windows and the picture areas on them.  This is the
// only window toolkit the modules see; it is a thin layer over Qt Widgets.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Picture.h"
#include "platform/Types.h"

namespace platform {

// A press or a release of a mouse button over a window or an area.
using MouseHandler = std::function<void(MouseButton button)>;

enum class Cursor { kDefault, kHourglass };

// A picture area: a child of a Form with a persistent image.  Drawing goes
// into Image(); Refresh() puts it on the screen at once.  With no picture
// and nothing drawn the area is see-through.
class PictureBox {
public:
    ~PictureBox();
    PictureBox(const PictureBox&) = delete;
    PictureBox& operator=(const PictureBox&) = delete;

    // The area's own picture: it becomes the persistent image, and RestorePicture()
    // returns to it.  Shown at once when it differs from what is shown.
    void SetPicture(const Picture& picture);
    [[nodiscard]] const Picture& GetPicture() const;
    // The persistent image that drawing goes into.
    [[nodiscard]] Picture& Image();
    // The persistent image becomes the area's picture again, and is shown.
    void RestorePicture();
    // Shows the persistent image now, without waiting for the event loop.
    void Refresh();
    // The same for the part of it that changed.
    void Refresh(const Rect& part);
    // Only the polygon (even-odd) is drawn and takes clicks; clicks outside
    // it reach the window beneath the area.
    void SetRegion(const std::vector<Point>& polygon);
    void SetVisible(bool visible);
    [[nodiscard]] Rect Geometry() const;

    MouseHandler onMouseDown;
    MouseHandler onMouseUp;
    // A left-button press and release, both inside the area.
    std::function<void()> onClick;

private:
    friend class Form;
    struct Impl;
    explicit PictureBox(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

class Form {
public:
    explicit Form(std::string_view caption);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // The window's own picture: it becomes the persistent image too.
    void SetBackground(const Picture& picture);
    // The persistent image that drawing on the window goes into; Refresh()
    // shows it.
    [[nodiscard]] Picture& Image();
    // The built-in icon of that name, at every size built ("icon", "icon64").
    void SetIcon(std::string_view pictureName);
    // Places the top-left corner at (x, y) in screen pixels and sets the size.
    void Move(int x, int y, int width, int height);
    [[nodiscard]] Rect GetWindowRect() const;
    // Only the polygon (even-odd) is visible and takes clicks.
    void SetRegion(const std::vector<Point>& polygon);
    // Above all ordinary windows, or among them; the window stays mapped,
    // in place and inactive.
    void SetStaysOnTop(bool onTop);
    [[nodiscard]] bool StaysOnTop() const;
    // From a left-button press: the window follows the mouse until the
    // button is released.
    void StartDrag();
    void Show();
    // Shows the window and waits until it is on the screen, so that drawing
    // done while the thread is then held reaches it.  Meanwhile only window
    // system events are handled: no input, no timers, and none of this
    // window's own handlers, which follow afterwards.
    void ShowOnScreen();
    // Brings the window to the front and asks for the input focus; onActivate
    // follows when the window manager grants it.
    void Activate();
    [[nodiscard]] bool Visible() const;
    void SetCursor(Cursor cursor);
    // Paints the window now.
    void Refresh();
    PictureBox& AddPictureBox(int x, int y, int width, int height);
    // The X window id, for tests and tools.
    [[nodiscard]] uint64_t NativeId() const;

    MouseHandler onMouseDown;
    // Every request to close the window ends here; the window itself never
    // closes on its own.
    std::function<void()> onCloseRequest;
    // The window has become the active one.
    std::function<void()> onActivate;
    // Both run from the event loop once the event behind them has been
    // handled, so they may destroy the Form.

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The pointer over every window of the program: the busy pointer, or each
// window's own again.  Reaches the screen at once, even when the thread
// then blocks.
void SetScreenCursor(Cursor cursor);

struct MenuItem {
    std::string caption;  // '&' marks the access key; empty: a separator
    bool checkable = false;
    bool checked = false;
};
// Pops a menu up at the pointer and waits for the choice: the index of the
// item chosen, or -1 when the menu was dismissed.
int PopupMenu(const std::vector<MenuItem>& items);

// The screens' rectangles in screen pixels.
std::vector<Rect> ScreenRects();

}  // namespace platform
