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
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include "callout/CallOutWindow.h"
#include "clock_rig.h"
#include "platform/QtApp.h"
#include "voice/ClipCatalogue.h"

namespace {

using Steady = std::chrono::steady_clock;

constexpr int kLeft = 100;
constexpr int kTop = 100;

void Print(const char* key, const std::vector<double>& values) {
    std::printf("%s", key);
    for (double v : values) std::printf(" %.3f", v);
    std::printf("\n");
}

double Ms(Steady::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string IniText(bool pose) {
    // A pose phase needs its minute (the runner fakes it); otherwise the
    // stage stays bare.
    return "[Setting]\nLeft=" + std::to_string(kLeft) + "\nTop=" + std::to_string(kTop) +
           "\nChar1=True\nEvent=" + (pose ? "3" : "7") + "\n";
}

// Puts the one clip a measure needs into the rig's voice folder.
void WithClip(ClockRig& rig, int clip, double seconds) {
    std::filesystem::create_directories(rig.folder + "/wav");
    WriteTone(rig.folder + "/wav/" + clips::FileName(clip), seconds);
}

// What the clock window shows, as seen from its paint events on the UI
// thread, for a watcher on another thread: the second the digit area last
// painted (-1 before the first), and whether another window of the program
// (the call-out) has come up.
class FaceWatch final : public QObject {
public:
    explicit FaceWatch(ClockRig& rig) : rig_(rig) {
        ClockWindow& clock = rig.program.Window();
        const platform::Rect g = clock.Digits().Geometry();
        const QRect place(g.left, g.top, g.right - g.left, g.bottom - g.top);
        for (QWidget* w : QApplication::allWidgets()) {
            if (w->isWindow() || w->geometry() != place) continue;
            if (w->window()->winId() != clock.Window().NativeId()) continue;
            digits_ = w;
            clockWindow_ = w->window();
        }
        if (!digits_) {
            std::fprintf(stderr, "bench_callout: the clock's digit area was not found\n");
            std::exit(1);
        }
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~FaceWatch() override { QCoreApplication::instance()->removeEventFilter(this); }

    std::atomic<int> shownSecond{-1};
    std::atomic<bool> otherWindowShown{false};

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint && object == digits_) {
            // The face reads the clock just before it paints.  The colon is
            // lit in odd seconds; a paint that does not show this second's
            // colon (a second changed in between, an expose) is not it.
            const int second = rig_.machine.clock.Now().second;
            ClockFace& face = rig_.program.Face();
            const bool lit = rig_.program.Window().Digits().Image().Crop(40, 0, 12, 26) == face.Pictures().colonOn;
            if (lit == (second % 2 != 0)) shownSecond.store(second, std::memory_order_relaxed);
        }
        if (event->type() == QEvent::Show && object->isWidgetType()) {
            const auto* w = static_cast<QWidget*>(object);
            if (w->isWindow() && w != clockWindow_) otherWindowShown = true;
        }
        return false;
    }

private:
    ClockRig& rig_;
    QWidget* digits_ = nullptr;
    QWidget* clockWindow_ = nullptr;
};

[[noreturn]] void Line(bool pose) {
    ClockRig rig(IniText(pose));
    Program& program = rig.program;
    WithClip(rig, clips::CountdownLine(program.NextCallOut().speaker), 6.0);
    // Let the stage enter its phase before the line begins.
    for (int i = 0; i < 150; ++i) {
        QCoreApplication::processEvents();
        rig.machine.pump.Sleep(10);
    }
    FaceWatch watch(rig);
    // A one-minute countdown whose tick count is then moved to the start of
    // its line: the next check begins it.
    program.CountdownTimer().Start(1);
    rig.clock.aheadMs = 60 * 1000 - Countdown::kEarlyStartMs;

    // A watcher beside the UI thread sees each change of the second and the
    // moment the face has painted it.  The line ends where the call-out
    // begins.
    std::atomic<bool> done{false};
    std::vector<double> lags;
    std::thread watcher([&] {
        int last = rig.machine.clock.Now().second;
        std::optional<Steady::time_point> changed;
        while (!done) {
            const int now = rig.machine.clock.Now().second;
            if (now != last) {
                last = now;
                changed = Steady::now();
            }
            if (changed && watch.shownSecond.load(std::memory_order_relaxed) == now) {
                lags.push_back(Ms(Steady::now() - *changed));
                changed.reset();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    std::thread stopper([&] {
        while (!watch.otherWindowShown && !done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
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
    ClockRig rig(IniText(false));
    Voice& voice = rig.program.VoiceClips();
    const int line = clips::AlarmLine(Character::kRumika);
    WithClip(rig, line, 60.0);
    // A call-out window of the benchmark's own, where the program's alarm
    // call-out comes up, with the alarm's background.
    CallOutWindow w(rig.machine.pump, voice, [](CallOutWindow&) {});
    w.Window().SetBackground(
        platform::LoadPicture("callout_bg0", CallOutWindow::kWidth, CallOutWindow::kHeight, 0xFFFFFF));
    w.Window().Move(kLeft + CallOutWindow::kOffsetFromClock, kTop, CallOutWindow::kWidth, CallOutWindow::kHeight);
    w.Window().ShowOnScreen();
    voice.OpenAndPlay(line);
    std::vector<double> work;
    int frame = 0;
    for (int i = 0; i < passes; ++i) {
        const auto start = Steady::now();
        if (!voice.IsPlaying().value_or(false)) break;
        w.DrawFace(frame);
        work.push_back(Ms(Steady::now() - start));
        rig.machine.pump.Sleep(CallOutWindow::kMouthFrameMs);
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
