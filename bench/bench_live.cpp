// The running clock timed from outside, inside a headless session with a
// sound server (TESSURI_SESSION_ENV names it, as for the integration tests):
//
//   bench_live walk RUNS    starts the clock RUNS times at a faked minute
//                           that begins with the walk-in, and follows the
//                           stage on the screen; prints every interval
//                           between two consecutive walking steps:
//                             step-ms V...
//   bench_live voice CLICKS clicks the stage CLICKS times and hears the
//                           time spoken with test clips at the null sink;
//                           prints the gaps between consecutive words and
//                           the times from the press to the first sample:
//                             gap-ms V...
//                             click-ms V...
//                             wrong N      (clicks not answered with the
//                                           expected words)
//                             broken N     (words heard in pieces: the
//                                           player's stream ran dry)
//   bench_live lag SECONDS LEFT TOP
//                           follows the face of a clock already running with
//                           its window at LEFT, TOP for SECONDS: for each
//                           change of the wall clock's second, the time until
//                           the digit area shows it (the colon blinks, so it
//                           changes every second):
//                             lag <second, Unix time> <ms>
//                           A face that has not changed 990 ms after the
//                           second counts as 990. The clock must keep the
//                           wall clock's fraction of a second (faked by a
//                           whole number of seconds, if at all).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QImage>

#include "audio_sink.h"
#include "desktop.h"
#include "platform/Picture.h"

// Last: Xlib's macros (Bool, None, Status ...) would clash with Qt's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <time.h>

// The XTest calls used here; their development header (libxtst-dev) is not
// among the build's packages, the library itself comes with xdotool.
extern "C" {
int XTestFakeButtonEvent(Display* display, unsigned int button, Bool is_press, unsigned long delay);
int XTestFakeMotionEvent(Display* display, int screen, int x, int y, unsigned long delay);
}

namespace {

using Steady = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kLeft = 100;
constexpr int kTop = 100;
constexpr int kStageX = 9, kStageY = 59, kStageW = 212, kStageH = 100;
constexpr int kFrameWidth = 60;

std::string Settings(int character, int cycle) {
    std::ostringstream ini;
    ini << "[Setting]\nLeft=" << kLeft << "\nTop=" << kTop << "\nEvent=" << cycle << "\n";
    for (int c = 0; c < 5; ++c) ini << "Char" << c << "=" << (c == character ? "True" : "False") << "\n";
    return ini.str();
}

void Print(const char* key, const std::vector<double>& values) {
    std::printf("%s", key);
    for (double v : values) std::printf(" %.3f", v);
    std::printf("\n");
}

// The stage with frame 0 of `character` at x over the face's background.
QImage Composite(int character, int x) {
    static const platform::Picture face = platform::LoadPicture("face");
    const platform::Picture sheet = platform::LoadPicture("char" + std::to_string(character));
    const platform::Picture mask = platform::LoadPicture("char" + std::to_string(character) + "_mask");
    platform::Picture stage = face.Crop(kStageX, kStageY, kStageW, kStageH);
    platform::BitBlt(stage, x, 0, kFrameWidth, kStageH, mask, 0, 0, platform::RasterOp::kSrcErase);
    platform::BitBlt(stage, x, 0, kFrameWidth, kStageH, sheet, 0, 0, platform::RasterOp::kSrcInvert);
    QImage image(kStageW, kStageH, QImage::Format_RGB32);
    for (int y = 0; y < kStageH; ++y)
        for (int i = 0; i < kStageW; ++i) image.setPixel(i, y, 0xFF000000u | stage.Pixel(i, y));
    return image;
}

// Intervals (ms) between consecutive walking steps, from the first time
// each step was seen on the screen. Steps that look alike (the sprite not
// on the stage yet) are left out, and so is any interval with a step that
// was never seen.
std::vector<double> WalkSteps(int runs) {
    constexpr int kCharacter = 1;
    std::vector<std::pair<int, QImage>> steps;  // distinct looks, x = -60 + 4 i
    for (int x = -60; x <= 8; x += 4) {
        QImage look = Composite(kCharacter, x);
        const bool repeat = std::any_of(steps.begin(), steps.end(), [&](const auto& s) { return s.second == look; });
        if (!repeat) steps.emplace_back(x, std::move(look));
    }
    std::vector<double> intervals;
    for (int run = 0; run < runs; ++run) {
        desktop::ProgramFolder folder;
        audio::InstallToneClips(folder.dir());
        folder.WriteIni(Settings(kCharacter, 3));
        desktop::ClockOptions options;
        options.fake_start = "2026-12-10 10:05:00";  // the walk-in comes right after start-up
        desktop::Clock clock(folder, options);
        std::map<int, Steady::time_point> first_seen;
        const auto deadline = Steady::now() + 10s;
        while (Steady::now() < deadline && !first_seen.contains(8)) {
            const QImage shown = desktop::GrabRegion(kLeft + kStageX, kTop + kStageY, kStageW, kStageH);
            const auto now = Steady::now();
            for (const auto& [x, look] : steps)
                if (shown == look) {
                    first_seen.try_emplace(x, now);
                    break;
                }
        }
        for (size_t i = 1; i < steps.size(); ++i) {
            const int a = steps[i - 1].first, b = steps[i].first;
            if (b - a != 4 || !first_seen.contains(a) || !first_seen.contains(b)) continue;
            intervals.push_back(std::chrono::duration<double, std::milli>(first_seen[b] - first_seen[a]).count());
        }
    }
    return intervals;
}

// The clips heard in the recording from `from` (seconds into it) on; their
// times count from `from`.
std::vector<audio::Heard> HeardSince(const audio::Recording& r, double from) {
    const auto first = std::min(r.samples.size(), static_cast<size_t>(std::max(0.0, from) * audio::kRate));
    return audio::JoinPieces(
        audio::Recognise(std::vector<int16_t>(r.samples.begin() + static_cast<long>(first), r.samples.end())));
}

int Voice(int clicks) {
    constexpr int kCharacter = 1;
    constexpr int kClicksPerStart = 20;               // each start stays well inside its minute
    const std::vector<int> expected{40, 44, 64, 70};  // 15:45 in voice 1
    desktop::ProgramFolder folder;
    audio::InstallToneClips(folder.dir());
    folder.WriteIni(Settings(kCharacter, 7));  // no phases: the stage stays bare and silent
    audio::SinkRecorder recorder;
    if (!recorder.WaitReady()) {
        std::fprintf(stderr, "bench_live: the null sink's monitor delivers nothing\n");
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    std::vector<Steady::time_point> pressed;
    for (int done = 0; done < clicks;) {
        desktop::ClockOptions options;
        options.fake_start = "2026-12-10 15:45:01";
        desktop::Clock clock(folder, options);
        if (clock.WaitWindow(15s) == 0) {
            std::fprintf(stderr, "bench_live: the clock showed no window\n%s", folder.Log().c_str());
            return 1;
        }
        std::this_thread::sleep_for(700ms);  // past start-up
        XTestFakeMotionEvent(display, -1, kLeft + kStageX + 106, kTop + kStageY + 50, 0);
        XSync(display, False);
        for (int i = 0; i < kClicksPerStart && done < clicks; ++i, ++done) {
            std::this_thread::sleep_for(200ms);
            pressed.push_back(Steady::now());
            XTestFakeButtonEvent(display, 1, True, 0);
            XTestFakeButtonEvent(display, 1, False, 0);
            XSync(display, False);
            // The next click once these words have been heard and a moment passed.
            desktop::PollUntil(
                [&] {
                    const audio::Recording r = recorder.Snapshot();
                    const double since = r.At(pressed.back());
                    const auto heard = HeardSince(r, since);
                    return heard.size() >= expected.size() && r.Seconds() > since + heard.back().end + 0.2;
                },
                5s, 50ms);
        }
    }
    XCloseDisplay(display);
    const audio::Recording recording = recorder.Stop();
    const auto heard = audio::JoinPieces(audio::Recognise(recording.samples));

    // The words heard after each press and before the next one. The
    // monitor's times may run early by up to the sink's latency (~8 ms).
    std::vector<double> gaps, click_ms;
    int wrong = 0, broken = 0;
    for (size_t i = 0; i < pressed.size(); ++i) {
        std::vector<audio::Heard> words;
        for (const audio::Heard& h : heard) {
            const double at = recording.SecondsAfter(pressed[i], h.start);
            const bool after_next = i + 1 < pressed.size() && recording.SecondsAfter(pressed[i + 1], h.start) >= -0.02;
            if (at >= -0.02 && !after_next) words.push_back(h);
        }
        if (audio::Clips(words) != expected) {
            ++wrong;
            std::fprintf(stderr, "bench_live: click %zu was answered with %s\n", i + 1, audio::Describe(words).c_str());
            continue;
        }
        for (const audio::Heard& w : words)
            if (w.pieces > 1) {
                ++broken;
                std::fprintf(stderr, "bench_live: click %zu: word %d came in %d pieces\n", i + 1, w.clip, w.pieces);
            }
        click_ms.push_back(1000 * recording.SecondsAfter(pressed[i], words.front().start));
        for (double g : audio::Gaps(words)) gaps.push_back(1000 * g);
    }
    Print("gap-ms", gaps);
    Print("click-ms", click_ms);
    std::printf("wrong %d\n", wrong);
    std::printf("broken %d\n", broken);
    return 0;
}

long long RealtimeNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<long long>(ts.tv_sec) * 1'000'000'000LL + ts.tv_nsec;
}

void SleepUntilRealtime(long long ns) {
    const timespec at{static_cast<time_t>(ns / 1'000'000'000LL), static_cast<long>(ns % 1'000'000'000LL)};
    while (clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &at, nullptr) != 0) {}
}

// The pixels of a small screen area straight from the X server: a fraction
// of a millisecond on Xvfb, so polling it every half millisecond times a
// change to well under a millisecond.
std::string Grab(Display* display, int x, int y, int width, int height) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) return {};
    std::string bytes(image->data, static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height));
    XDestroyImage(image);
    return bytes;
}

int Lag(int seconds, int left, int top) {
    // The digit area: hours, colon and minutes.
    constexpr int kDigitsX = 67, kDigitsY = 12, kDigitsW = 92, kDigitsH = 26;
    constexpr long long kSecond = 1'000'000'000LL;
    constexpr long long kGiveUpNs = 990'000'000LL;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    auto grab = [&] { return Grab(display, left + kDigitsX, top + kDigitsY, kDigitsW, kDigitsH); };
    long long second = RealtimeNs() / kSecond + 1;
    const long long last = second + seconds;
    for (; second < last; ++second) {
        const long long boundary = second * kSecond;
        SleepUntilRealtime(boundary - 20'000'000LL);
        const std::string before = grab();
        if (before.empty()) {
            std::fprintf(stderr, "bench_live: nothing to grab at %d,%d\n", left, top);
            return 1;
        }
        SleepUntilRealtime(boundary);
        double lag_ms = kGiveUpNs / 1e6;
        for (;;) {
            const long long t0 = RealtimeNs();
            const bool changed = grab() != before;
            const long long t1 = RealtimeNs();
            // The server read the pixels somewhere between the two times.
            if (changed) {
                lag_ms = static_cast<double>((t0 + t1) / 2 - boundary) / 1e6;
                break;
            }
            if (t1 - boundary > kGiveUpNs) break;
            std::this_thread::sleep_for(500us);
        }
        std::printf("lag %lld %.3f\n", second, lag_ms);
        std::fflush(stdout);
        // A face held past the next change is not measured twice.
        second = std::max(second, RealtimeNs() / kSecond);
    }
    XCloseDisplay(display);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 5 && std::string(argv[1]) == "lag")) {
        std::fprintf(stderr, "usage: bench_live walk RUNS | voice CLICKS | lag SECONDS LEFT TOP\n");
        return 2;
    }
    desktop::JoinSession();
    const std::string mode = argv[1];
    const int count = std::max(1, std::atoi(argv[2]));
    if (mode == "walk") {
        Print("step-ms", WalkSteps(count));
        return 0;
    }
    if (mode == "voice") return Voice(count);
    if (mode == "lag") return Lag(count, std::atoi(argv[3]), std::atoi(argv[4]));
    std::fprintf(stderr, "bench_live: unknown mode %s\n", argv[1]);
    return 2;
}
