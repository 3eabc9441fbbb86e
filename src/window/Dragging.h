// Moving the borderless clock window with the mouse.
#pragma once

#include "platform/Form.h"

// From a left-button press on the window: it follows the mouse until the
// button is released.
inline void DragWindow(platform::Form& window) { window.StartDrag(); }
