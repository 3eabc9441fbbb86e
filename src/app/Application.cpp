#include "app/Application.h"

#include "anime/frmImageBuffer.h"
#include "app/frmClock.h"
#include "callout/frmChar.h"

Application::Application(platform::Platform& p)
    : platform(p), setting(p), form(setting), anime(*this), voice(*this), clock(*this) {}

Application::~Application() = default;
