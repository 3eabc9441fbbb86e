// Starting Qt the way this program needs it.
#pragma once

#include <memory>

class QApplication;

namespace platform {

// Creates the application object: X11 (also through XWayland when a Wayland
// session offers it), window class "tessuri", fonts that cover Japanese.
std::unique_ptr<QApplication> StartGui(int& argc, char** argv);
// Runs the event loop until the program ends.
int RunEventLoop();
// Makes SIGTERM, SIGHUP and SIGINT (logout, shutdown, Ctrl+C) arrive as a close request on
// the event loop; onRequest runs there.
void RouteTerminationSignals(void (*onRequest)(void* context), void* context);

}  // namespace platform
