// The call-out's rhythm on the real machine, inside a headless session
// with a sound server (the program's real sound layer plays every clip):
//
//   bench_callout line [pose]  a countdown whose line (a 6 s clip) starts
//                              at once; while it plays, the time from each
//                              change of the second to the face showing it:
//                                lag-ms V...
//                              With `pose`, run under faketime at a minute
//                              in which a character poses on the stage.
//   bench_callout mouth N      N passes of the talking face's loop body (one
//                              status query, one face composed and shown),
//                              against a playing clip:
//                                work-ms V...
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <optional>

#include "app/frmClock.h"
#include "callout/frmChar.h"
#include "clock_rig.h"
#include "platform/QtApp.h"

namespace {

using Steady = std::chrono::steady_clock;

void Print(const char* key, const std::vector<double>& values) {
    std::printf("%s", key);
    for (double v : values) std::printf(" %.3f", v);
    std::printf("\n");
}

double Ms(Steady::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string Settings(bool pose) {
    // A pose phase needs its minute (the runner fakes it); otherwise the
    // stage stays bare.
    return std::string("[Setting]\nLeft=100\nTop=100\nChar1=True\nEvent=") + (pose ? "3" : "7") + "\n";
}

// Puts the one clip a measure needs into the rig's voice folder.
void WithClip(ClockRig& rig, int clip, double seconds) {
    std::filesystem::create_directories(rig.folder + "/wav");
    WriteTone(rig.folder + "/wav/" + mdlClockVoice::ClipName(clip), seconds);
    rig.app.voice.BuildVoiceTables();
}

[[noreturn]] void Line(bool pose) {
    ClockRig rig(Settings(pose));
    Application& app = rig.app;
    WithClip(rig, 196, 6.0);
    // Let the stage enter its phase before the line begins.
    for (int i = 0; i < 150; ++i) {
        QCoreApplication::processEvents();
        rig.machine.pump.Sleep(10);
    }
    app.clock.StartCountdown(1);
    app.clock.TimerDeadline = static_cast<int64_t>(rig.machine.clock.TickCount()) + Clock::kEarlyStartMs;

    // A watcher beside the UI thread sees each change of the second and the
    // moment the face has drawn it.  The line ends where the call-out begins.
    std::atomic<bool> done{false};
    std::vector<double> lags;
    std::thread watcher([&] {
        std::atomic_ref<int16_t> drawn(app.clock.LastSecondDrawn);
        int last = rig.machine.clock.Now().second;
        std::optional<Steady::time_point> changed;
        while (!done) {
            const int now = rig.machine.clock.Now().second;
            if (now != last) {
                last = now;
                changed = Steady::now();
            }
            if (changed && drawn.load(std::memory_order_relaxed) == now) {
                lags.push_back(Ms(Steady::now() - *changed));
                changed.reset();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    std::thread stopper([&] {
        while (!app.charWindow && !done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        rig.machine.pump.Sleep(5);
    }
    stopper.join();
    watcher.join();
    Print("lag-ms", lags);
    rig.End();
}

[[noreturn]] void Mouth(int passes) {
    ClockRig rig(Settings(false));
    Application& app = rig.app;
    WithClip(rig, 191, 60.0);
    app.charWindow = std::make_unique<frmChar>(app);
    frmChar& w = *app.charWindow;
    w.window.SetBackground(w.picBG[0]);
    w.window.Move(156, 100, frmChar::kWidth, frmChar::kHeight);
    w.window.ShowOnScreen();
    app.voice.MciOpenAndPlay(app.voice.WavPath + "0191.wav", &w);
    std::vector<double> work;
    int16_t frame = 0;
    for (int i = 0; i < passes; ++i) {
        const auto start = Steady::now();
        if (!app.voice.MciIsPlaying(&w).value_or(false)) break;
        w.DrawFace(frame);
        work.push_back(Ms(Steady::now() - start));
        rig.machine.pump.Sleep(frmChar::kMouthFrameMs);
        frame = frame == 0 ? 1 : 0;
    }
    Print("work-ms", work);
    rig.End();
}

}  // namespace

int main(int argc, char** argv) {
    platform::Gui gui(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "line") Line(argc > 2 && std::strcmp(argv[2], "pose") == 0);
    if (mode == "mouth") Mouth(argc > 2 ? std::atoi(argv[2]) : 40);
    std::fprintf(stderr, "usage: bench_callout line [pose] | mouth N\n");
    return 2;
}
