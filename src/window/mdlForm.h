// Window outlines, and keeping a window above the others.
#pragma once

#include <vector>

#include "platform/Form.h"
#include "platform/Types.h"

class mdlSetting;

class mdlForm {
public:
    explicit mdlForm(mdlSetting& setting) : setting_(setting) {}

    // The clock window's outline: its rectangle with the corners cut.
    static const std::vector<platform::Point>& ClockOutline();
    // The CLOSE button: the triangle above the square's diagonal.
    static const std::vector<platform::Point>& ExitButtonOutline();
    // The call-out window: the outline of its wooden frame.
    static const std::vector<platform::Point>& CharWindowOutline();

    // Moves the window to (0, 0), makes it 230 x 170 and cuts its corners.
    void ShapeClockWindow(platform::Form& window);
    void ShapeExitButton(platform::PictureBox& area);
    void ShapeCharWindow(platform::Form& window);
    // Stacks the window above ordinary windows or among them; unless
    // noSaving, records the choice under "ZOrder".
    void SetTopMost(platform::Form& window, bool onTop, bool noSaving);

    // The clock window is to stay above ordinary windows.
    bool TopMost = false;

private:
    mdlSetting& setting_;
};
