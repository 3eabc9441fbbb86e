// The whole program on a virtual machine, for the tests that follow it as a
// user would: start-up, the settings dialog, a month of alarms.
#pragma once

#include <string>

#include "app/Program.h"
#include "platform/IniFile.h"
#include "support/VirtualPlatform.h"

namespace testing_support {

struct ClockRig {
    // Starts the clock at h:m:s on the virtual clock, over a settings file
    // of that text (none when empty).
    void Start(int h, int m, int s, const std::string& ini = "") {
        if (!ini.empty()) vp.folder.Write("Tessuri.ini", ini);
        vp.clock.SetTime(h, m, s);
        program.Start();
    }
    // No character comes on the stage: a walk would hold the clock.
    void KeepStageBare() { program.StageSchedule().SetCycle(Stage::kNoCycle); }
    // The value in the settings file now, or "<missing>".
    [[nodiscard]] std::string Stored(const char* section, const char* key) const {
        return platform::IniFile().GetString(section, key, "<missing>", vp.folder.File("Tessuri.ini"));
    }
    [[nodiscard]] Sign ShownSign() { return program.Face().ShownSign(); }

    VirtualPlatform vp;
    Program program{vp.view};
};

}  // namespace testing_support
