// The start-up module: the program's entry, the time on the face, dragging,
// and the alarm and countdown state the clock window works with.
#pragma once

#include <cstdint>
#include <string>

namespace platform {
class Form;
class TextBox;
}
class Application;

class Clock {
public:
    explicit Clock(Application& app) : app_(app) {}

    // Loads and shows the clock window.  The single-instance test has been
    // made before (see RunTessuri): a second instance never gets this far.
    void Main();
    // Redraws digits, colon and AM/PM sign when the second has changed since
    // the last redraw; otherwise does nothing.
    void UpdateClockDisplay();
    // Lets the user move a borderless window from a left-button press.
    void DragWindow(platform::Form& window);
    // The countdown part of confirming the settings in timer mode: cancels
    // the running countdown and, for 1 minute or more, starts a new one
    // whose end is announced by the timer call-out.
    void StartCountdown(int32_t minutes);
    // The box's text when it is empty or holds the digits 0 to 9 only;
    // otherwise the empty text, after a message.
    std::string DigitsOnlyText(const platform::TextBox& box);

    // The second (0..59) of the last redraw.
    int16_t LastSecondDrawn = 0;

    // The alarm, as read from the settings file.
    std::string AlarmAM;
    std::string AlarmHour;
    std::string AlarmMinute;
    std::string AlarmEnabled;
    bool AlarmEveryDay = false;
    std::string AlarmFiredDay;

    // End of the running countdown as a tick value; -1 when none runs.
    int64_t TimerDeadline = -1;
    // The countdown's line starts this long before its end.
    static constexpr int64_t kEarlyStartMs = 10000;

private:
    Application& app_;
};
