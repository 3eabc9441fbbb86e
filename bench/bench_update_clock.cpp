// Cost of one call of ClockFace::UpdateClockDisplay, on the real clock
// window: when the second has not changed (the guard returns at once) and
// when it redraws digits, colon and AM/PM sign.
//
// Runs on whatever Qt platform QT_QPA_PLATFORM names (xcb inside a session,
// which includes handing the picture to the X server; offscreen otherwise).
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>

#include "clock_rig.h"
#include "platform/QtApp.h"

namespace {

long long NowNs(clockid_t which = CLOCK_MONOTONIC) {
    timespec ts{};
    clock_gettime(which, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// The machine's clock with a new second at every reading: every
// UpdateClockDisplay of a face on it redraws.
class NewSecondEachTime final : public platform::SystemClock {
public:
    explicit NewSecondEachTime(platform::SystemClock& real) : real_(real) {}
    platform::LocalTime Now() override {
        platform::LocalTime t = real_.Now();
        t.second = next_;
        next_ = (next_ + 1) % 60;
        return t;
    }
    uint64_t TickCount() override { return real_.TickCount(); }

private:
    platform::SystemClock& real_;
    int next_ = 1;  // a new face counts second 0 as drawn
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    OffscreenWithoutDisplay();
    platform::Gui gui(argc, argv);

    ClockRig rig("");
    ClockFace& c = rig.program.Face();

    // Unchanged: batches of calls; a batch in which the second changed is
    // an outlier that the median drops.
    constexpr int kBatch = 1000;
    std::vector<double> unchanged;
    c.UpdateClockDisplay();
    for (int b = 0; b < 400; ++b) {
        const long long t0 = NowNs();
        for (int i = 0; i < kBatch; ++i) c.UpdateClockDisplay();
        unchanged.push_back(static_cast<double>(NowNs() - t0) / kBatch);
    }

    // Redraw: every call finds a second it has not drawn yet.  A face of its
    // own, on the clock window's areas and pictures, reads a clock whose
    // second changes at every call.  Wall time includes waiting for the
    // display server; thread CPU time is the program's own work.
    NewSecondEachTime seconds(rig.machine.clock);
    ClockWindow& window = rig.program.Window();
    ClockFace redrawing(seconds, {window.Digits(), window.AmPm(), window.Sign()}, c.Pictures());
    std::vector<double> redraw, redraw_cpu;
    for (int i = 0; i < 2000; ++i) {
        const long long cpu0 = NowNs(CLOCK_THREAD_CPUTIME_ID);
        const long long t0 = NowNs();
        redrawing.UpdateClockDisplay();
        const long long t1 = NowNs();
        redraw.push_back(static_cast<double>(t1 - t0));
        redraw_cpu.push_back(static_cast<double>(NowNs(CLOCK_THREAD_CPUTIME_ID) - cpu0));
        if (i % 100 == 0) QCoreApplication::processEvents();
    }

    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("unchanged-ns %.1f\n", Median(unchanged));
    std::printf("redraw-ns %.1f\n", Median(redraw));
    std::printf("redraw-cpu-ns %.1f\n", Median(redraw_cpu));
    rig.End();
}
