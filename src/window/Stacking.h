// Whether the clock window stays above the other windows: the user's choice,
// kept under "ZOrder", and the moments the program sets it aside.
#pragma once

#include "platform/Form.h"
#include "settings/Settings.h"

class Stacking {
public:
    Stacking(platform::Form& clockWindow, Settings& settings) : clockWindow_(clockWindow), settings_(settings) {}

    // The clock above ordinary windows or among them, as the user chose;
    // the choice is stored.
    void SetClockOnTop(bool onTop);
    void ToggleClockOnTop() { SetClockOnTop(!clockOnTop_); }
    // While the settings dialog is open the clock goes among the other
    // windows; the user's choice and the file stay as they are.
    void LowerClockForDialog();
    // The user's choice, whatever the window does for the moment.
    [[nodiscard]] bool ClockOnTop() const { return clockOnTop_; }

    // Another window of the program above every other, the clock's own
    // choice untouched.
    static void KeepAbove(platform::Form& window) { window.SetStaysOnTop(true); }

private:
    platform::Form& clockWindow_;
    Settings& settings_;
    bool clockOnTop_ = false;
};
