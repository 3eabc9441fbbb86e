// The real clock inside a benchmark program: the real machine, a scratch
// program folder and the clock window, shown and settled.  End() removes the
// folder and ends the process the way the program does.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QCoreApplication>

#include "app/Application.h"
#include "platform/QtServices.h"

struct ClockRig {
    // settings: the text of the settings file to start from; empty for none.
    explicit ClockRig(const std::string& settings) : folder(ScratchFolder(settings)) {
        app.clock.Main();
        for (int i = 0; i < 20; ++i) {  // let the window come up
            QCoreApplication::processEvents();
            machine.pump.Sleep(10);
        }
    }
    [[noreturn]] void End() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
        std::fflush(stdout);
        machine.process.End();
    }

    std::string folder;
    platform::RealPlatform machine;
    platform::Platform view = machine.View(folder);
    Application app{view};

private:
    static std::string ScratchFolder(const std::string& settings) {
        std::string folder = (std::filesystem::temp_directory_path() / "tessuri-bench.XXXXXX").string();
        if (!mkdtemp(folder.data())) {
            std::perror("no scratch folder for the benchmark");
            std::exit(1);
        }
        if (settings.empty()) return folder;
        if (std::FILE* ini = std::fopen((folder + "/Tessuri.ini").c_str(), "w")) {
            std::fputs(settings.c_str(), ini);
            std::fclose(ini);
        }
        return folder;
    }
};
