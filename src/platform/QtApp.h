// Starting Qt the way this program needs it.
#pragma once

#include <memory>
#include <string>

class QApplication;

namespace platform {

// The windowing side of the process, for as long as this object lives: X11
// (also through XWayland when a Wayland session offers it), window class
// "tessuri", fonts that cover Japanese.
class Gui {
public:
    Gui(int& argc, char** argv);
    ~Gui();
    Gui(const Gui&) = delete;
    Gui& operator=(const Gui&) = delete;
    // Runs the event loop until the program ends.
    int Run();

private:
    std::unique_ptr<QApplication> app_;
};
// Whether the windows can be shown: a display to reach, or a platform the
// user chose.  When not, `why` says what is missing.
bool DisplayReachable(std::string* why);

// Makes SIGTERM, SIGHUP and SIGINT (logout, shutdown, Ctrl+C) arrive as a close request on
// the event loop; onRequest runs there.
void RouteTerminationSignals(void (*onRequest)(void* context), void* context);

}  // namespace platform
