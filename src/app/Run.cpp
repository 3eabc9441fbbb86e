#include "app/Run.h"

#include "app/Application.h"
#include "app/frmClock.h"
#include "platform/QtApp.h"
#include "platform/QtServices.h"

int RunTessuri(int argc, char** argv) {
    // A second instance ends here: nothing is read, written or shown.
    static platform::InstanceLock lock;
    if (!lock.Acquired()) return 0;

    platform::Gui gui(argc, argv);
    platform::RealPlatform machine;
    platform::Platform view = machine.View();
    Application app(view);

    app.clock.Main();
    // Logging out or shutting down asks the window to close, like its own
    // close command does.
    platform::RouteTerminationSignals([](void* a) { static_cast<Application*>(a)->clockWindow->Form_QueryUnload(); },
                                      &app);
    return gui.Run();
}
