// The real clock inside a benchmark program: the real machine, a scratch
// program folder and the clock window, shown and settled.  End() removes the
// folder and ends the process the way the program does.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <QCoreApplication>
#include <QtGlobal>

#include "app/Program.h"
#include "platform/QtServices.h"

// The machine's clock, whose tick count can be moved ahead: a countdown
// started on it then reaches its end without waiting for it.  The wall
// clock is the machine's own.
class MovableTicks final : public platform::SystemClock {
public:
    explicit MovableTicks(platform::SystemClock& real) : real_(real) {}
    platform::LocalTime Now() override { return real_.Now(); }
    uint64_t TickCount() override { return real_.TickCount() + aheadMs; }
    uint64_t aheadMs = 0;

private:
    platform::SystemClock& real_;
};

struct ClockRig {
    // settings: the text of the settings file to start from; empty for none.
    explicit ClockRig(const std::string& settings) : folder(ScratchFolder(settings)) {
        program.Start();
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
    MovableTicks clock{machine.clock};
    platform::Platform view{clock,           machine.pump,  machine.random,   machine.profile,
                            machine.process, machine.sound, machine.messages, folder};
    Program program{view};

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

// A benchmark program without a display draws offscreen.
inline void OffscreenWithoutDisplay() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// A mono 16-bit 22050 Hz WAV of a soft tone, `seconds` long: the size of a
// spoken word.
inline void WriteTone(const std::string& path, double seconds) {
    const uint32_t rate = 22050, frames = static_cast<uint32_t>(seconds * rate), bytes = frames * 2;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(rate);
    u32(rate * 2);  // bytes per second
    u16(2);         // block align
    u16(16);        // bits
    out.write("data", 4);
    u32(bytes);
    for (uint32_t i = 0; i < frames; ++i) u16(static_cast<uint16_t>(static_cast<int16_t>(((i / 25) % 2) ? 900 : -900)));
}
