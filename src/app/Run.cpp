#include "app/Run.h"

#include <cstdio>
#include <string>

#include "app/Program.h"
#include "platform/QtApp.h"
#include "platform/QtServices.h"

int RunTessuri(int argc, char** argv) {
    // Without a display there is nothing to show: say so, and write nothing.
    std::string why;
    if (!platform::DisplayReachable(&why)) {
        std::fprintf(stderr, "tessuri: %s\n", why.c_str());
        return 1;
    }
    // A second instance ends here: nothing is read, written or shown.
    static platform::InstanceLock lock;
    if (!lock.Acquired()) {
        if (lock.Why().empty()) return 0;
        std::fprintf(stderr, "tessuri: %s\n", lock.Why().c_str());
        return 1;
    }

    platform::Gui gui(argc, argv);
    platform::RealPlatform machine;
    platform::Platform view = machine.View();
    Program program(view);

    program.Start();
    // Logging out or shutting down asks the window to close, like its own
    // close command does.
    platform::RouteTerminationSignals([](void* p) { static_cast<Program*>(p)->Quit(); }, &program);
    return gui.Run();
}
