// The running program: one object per module, and the clock window.  Each
// module reaches the others through this object, so a test that builds a
// fresh Application starts from a clean state.
#pragma once

#include <memory>

#include "anime/mdlAnime.h"
#include "app/Clock.h"
#include "platform/Services.h"
#include "settings/mdlSetting.h"
#include "voice/mdlClockVoice.h"
#include "window/mdlForm.h"

class frmChar;
class frmClock;
class frmImageBuffer;

class Application {
public:
    explicit Application(platform::Platform& platform);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    platform::Platform& platform;
    mdlSetting setting;
    mdlForm form;
    mdlAnime anime;
    mdlClockVoice voice;
    Clock clock;

    // Created by Clock::Main; lives until the process ends.
    std::unique_ptr<frmClock> clockWindow;
    // Created by the first drawing on the stage; lives until the end.
    std::unique_ptr<frmImageBuffer> imageBuffer;
    // The call-out window while it is loaded; empty otherwise.
    std::unique_ptr<frmChar> charWindow;
};
