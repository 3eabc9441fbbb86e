// The outlines that shape the program's windows, as polygons in the
// window's own pixels, and the calls that cut a window to them.
#pragma once

#include <vector>

#include "platform/Form.h"
#include "platform/Types.h"

namespace outlines {

// The clock window: its 230 x 170 rectangle with the corners cut.
const std::vector<platform::Point>& ClockWindow();
// The CLOSE corner: the triangle above the diagonal of its 52 x 52 square.
const std::vector<platform::Point>& CloseButton();
// The call-out window: the outline of its wooden frame, 208 x 224.
const std::vector<platform::Point>& CallOutWindow();

// Moves the clock window to (0, 0), makes it 230 x 170 and cuts its corners.
void ShapeClockWindow(platform::Form& window);
void ShapeCloseButton(platform::PictureBox& area);
void ShapeCallOutWindow(platform::Form& window);

}  // namespace outlines
