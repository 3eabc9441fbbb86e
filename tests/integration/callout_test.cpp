// The alarm going off, seen on the screen and heard at the sound server: at
// the alarm minute the framed call-out window comes up beside the clock,
// the face talks while the alarm line plays, and three seconds after the
// line the window closes by itself. A once-only alarm is then switched off
// in the settings file, and nothing else there changes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <QImage>

#include "audio_sink.h"
#include "clock_fixture.h"
#include "platform/Picture.h"
#include "tessuri/assets.h"

namespace desktop {
namespace {

using Steady = std::chrono::steady_clock;

constexpr int kLeft = 100;  // where the test places the clock
constexpr int kTop = 100;
constexpr int kCallOutWidth = 208;
constexpr int kCallOutHeight = 224;
constexpr int kCallOutLeft = kLeft + 56;  // the call-out's place on the screen
constexpr int kCallOutTop = kTop;
const QRect kFace(44, 86, 120, 120);  // call-out coordinates
// Well inside the wooden frame, away from its edges: the window's picture
// shows here whatever the exact outline.
const QRect kInside(8, 8, 193, 209);
constexpr int kAlarmClip = 191;  // the alarm line of the first character

// Points of the call-out's rectangle that lie outside its frame: the corner
// notches, the sides between the corner posts, the gap between the feet.
const std::vector<QPoint> kOutsideFrame{{0, 0}, {3, 3}, {2, 100}, {205, 100}, {100, 221}};

// The clock at (kLeft, kTop), its stage bare and silent, and the alarm at
// 10:15 AM, once only. The clock is not kept on top.
std::string AlarmSettings() {
    std::ostringstream ini;
    ini << "[Setting]\nLeft=" << kLeft << "\nTop=" << kTop << "\nZOrder=False\nEvent=7\n";
    for (int c = 0; c < 5; ++c) ini << "Char" << c << "=" << (c == 0 ? "True" : "False") << "\n";
    ini << "[Alerm]\nAMPM=True\nHour=10\nMinute=15\nEnabled=1\nEve=False\n";
    return ini.str();
}

QImage ToImage(const platform::Picture& p) {
    QImage image(p.Width(), p.Height(), QImage::Format_RGB32);
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) image.setPixel(x, y, 0xFF000000u | p.Pixel(x, y));
    return image;
}

// The whole call-out picture: the alarm background with the face of
// character 0 laid over it through its mask, mouth closed (0) or open (1).
class CallOutComposer {
public:
    CallOutComposer()
        : background_((tessuri::assets::init(), platform::LoadPicture("callout_bg0"))),
          sheet_(platform::LoadPicture("talk0")),
          mask_(platform::LoadPicture("talk0_mask")) {}

    bool Complete() const {
        return background_.Width() == kCallOutWidth && background_.Height() == kCallOutHeight &&
               sheet_.Width() == 2 * kFace.width() && mask_.Width() == 2 * kFace.width();
    }

    QImage With(int frame) const {
        platform::Picture picture = background_;
        const int w = kFace.width(), h = kFace.height();
        platform::BitBlt(picture, kFace.x(), kFace.y(), w, h, mask_, w * frame, 0, platform::RasterOp::kSrcErase);
        platform::BitBlt(picture, kFace.x(), kFace.y(), w, h, sheet_, w * frame, 0, platform::RasterOp::kSrcInvert);
        return ToImage(picture);
    }

private:
    platform::Picture background_, sheet_, mask_;
};

bool SameInside(const QImage& shown, const QImage& expected) {
    if (shown.size() != expected.size()) return false;
    for (int y = kInside.top(); y <= kInside.bottom(); ++y)
        for (int x = kInside.left(); x <= kInside.right(); ++x)
            if ((shown.pixel(x, y) & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF)) return false;
    return true;
}

enum class Shown { kNothing, kClosed, kOpen };

const char* Name(Shown s) {
    switch (s) {
        case Shown::kClosed: return "closed";
        case Shown::kOpen: return "open";
        default: return "other";
    }
}

QImage GrabCallOutArea() { return GrabRegion(kCallOutLeft, kCallOutTop, kCallOutWidth, kCallOutHeight); }
// Only the face: small enough to grab every few milliseconds without
// starving the program's sound of the processor.
QImage GrabFace() {
    return GrabRegion(kCallOutLeft + kFace.x(), kCallOutTop + kFace.y(), kFace.width(), kFace.height());
}

// A stretch of grabs that all showed the same thing.
struct Stretch {
    Shown shown;
    Steady::time_point first, last;
};

double SecondsBetween(Steady::time_point a, Steady::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// The clips heard, with a clip whose playback broke up joined into one. At
// such a break the recording may hold a short scrap that is no clip at all
// (the stream stopped mid-wave); between two pieces of the same clip it is
// part of that clip.
std::vector<audio::Heard> HeardClips(const std::vector<int16_t>& samples) {
    std::vector<audio::Heard> heard = audio::Recognise(samples);
    for (size_t i = 1; i + 1 < heard.size();) {
        const bool scrap = heard[i].clip == -1 && heard[i].Seconds() < 0.1 && heard[i - 1].clip != -1 &&
                           heard[i - 1].clip == heard[i + 1].clip && heard[i + 1].start - heard[i - 1].end < 0.15;
        if (scrap)
            heard.erase(heard.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    return audio::JoinPieces(heard, 0.15);
}

// The call-out window among the program's windows: the one of its size.
unsigned long FindCallOut(pid_t pid) {
    for (unsigned long w : FindWindows(pid, "tessuri")) {
        const auto g = GetGeometry(w);
        if (g && g->width == kCallOutWidth && g->height == kCallOutHeight) return w;
    }
    return 0;
}

// The alarm set for 10:15 with the clock started at 10:14:57: the call-out
// comes up at the minute, talks while the line plays, lingers three seconds
// and closes; the once-only alarm is then off, and the user's stacking
// choice for the clock is untouched.
TEST(CallOut, AlarmAtTheComingMinuteTalksLingersAndCloses) {
    const CallOutComposer composer;
    ASSERT_TRUE(composer.Complete()) << "pictures missing from the program's resources";
    const QImage closed = composer.With(0), open = composer.With(1);
    ASSERT_FALSE(SameInside(closed, open)) << "the two mouth frames look alike; the test could not tell them apart";

    ProgramFolder folder;
    audio::InstallToneClips(folder.dir());
    folder.WriteIni(AlarmSettings());

    audio::SinkRecorder recorder;
    ASSERT_TRUE(recorder.WaitReady()) << "the null sink's monitor delivers nothing";
    ClockOptions options;
    options.fake_start = "2026-12-10 10:14:57";
    const auto started = Steady::now();
    auto clock = StartClock(folder, options);
    ASSERT_TRUE(clock);
    ASSERT_EQ(WaitForPlace(*clock, kLeft, kTop).x, kLeft);
    const auto minute = started + 3s;  // when the faked time reaches 10:15:00

    // What lies where the call-out will stand, before it comes.
    const QImage before = GrabCallOutArea();
    ASSERT_GT(SecondsBetween(Steady::now(), minute), 0.2) << "the clock took too long to come up";

    const QImage closed_face = closed.copy(kFace), open_face = open.copy(kFace);
    auto classify = [&](const QImage& face) {
        if (SamePixels(face, closed_face)) return Shown::kClosed;
        if (SamePixels(face, open_face)) return Shown::kOpen;
        return Shown::kNothing;
    };

    // Wait for the call-out, then follow its face closely while it talks.
    std::vector<Stretch> seen;
    QImage last;
    auto follow = [&](Seconds how_long, Seconds step, const std::function<bool()>& stop) {
        PollUntil(
            [&] {
                last = GrabFace();
                const auto now = Steady::now();
                const Shown s = classify(last);
                if (seen.empty() || seen.back().shown != s)
                    seen.push_back({s, now, now});
                else
                    seen.back().last = now;
                return stop();
            },
            how_long, step);
    };
    follow(6s, 10ms, [&] { return seen.back().shown != Shown::kNothing; });
    ASSERT_NE(seen.back().shown, Shown::kNothing)
        << "no call-out came up; last grab: " << SaveForInspection(last, "callout_never_shown") << "\n"
        << folder.Log();
    const auto appeared = seen.back().first;
    seen.erase(seen.begin(), seen.end() - 1);  // keep only what the call-out showed
    // The line lasts 0.3 s: a second and a half covers it and its mouth frames.
    follow(1500ms, 10ms, [] { return false; });
    const std::vector<Stretch> talk = seen;

    // Still lingering: the window itself, and the frame's outline on the screen.
    const unsigned long callout = FindCallOut(clock->process().pid());
    ASSERT_NE(callout, 0u) << "the call-out window was not found by its size";
    const auto g = GetGeometry(callout);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->x, kCallOutLeft);
    EXPECT_EQ(g->y, kCallOutTop);
    EXPECT_NE(WindowProperty(callout, "WM_NAME").find("\"Tessuri\""), std::string::npos)
        << WindowProperty(callout, "WM_NAME");
    EXPECT_NE(WindowProperty(callout, "_NET_WM_STATE").find("_NET_WM_STATE_ABOVE"), std::string::npos)
        << WindowProperty(callout, "_NET_WM_STATE");
    const QImage lingering = GrabCallOutArea();
    EXPECT_TRUE(SameInside(lingering, closed))
        << "the frame does not show the background and the closed mouth after the line; see "
        << SaveForInspection(lingering, "callout_lingering") << ", "
        << SaveForInspection(closed, "callout_expected_closed");
    for (const QPoint& p : kOutsideFrame) {
        EXPECT_EQ(lingering.pixel(p) & 0xFFFFFF, before.pixel(p) & 0xFFFFFF)
            << "call-out point (" << p.x() << ", " << p.y() << ") lies outside the frame but covers what was "
            << "beneath; see " << SaveForInspection(lingering, "callout_lingering") << ", "
            << SaveForInspection(before, "callout_before");
    }

    // Then it closes by itself.
    seen.clear();
    follow(8s, 20ms, [&] { return seen.back().shown == Shown::kNothing; });
    ASSERT_EQ(seen.back().shown, Shown::kNothing)
        << "the call-out did not close; last grab: " << SaveForInspection(last, "callout_not_closed");
    const auto gone = seen.back().first;
    EXPECT_TRUE(PollUntil([&] { return FindCallOut(clock->process().pid()) == 0; }, 2s))
        << "the call-out's picture went but its window stayed";

    const audio::Recording recording = recorder.Stop(300ms);
    const auto heard = HeardClips(recording.samples);
    ASSERT_EQ(audio::Clips(heard), std::vector<int>{kAlarmClip}) << "heard: " << audio::Describe(heard);
    if (heard[0].pieces > 1) {
        // The player's stream ran dry for a moment: a matter of a busy
        // machine, reported as the other sound tests do.
        RecordProperty("dropouts", heard[0].pieces - 1);
        std::printf("[          ] the line broke up: %s\n",
                    audio::Describe(audio::Recognise(recording.samples)).c_str());
    }
    const auto line_start = recording.TimeOf(heard[0].start);
    const auto line_end = recording.TimeOf(heard[0].end);

    // Timings, relative to the minute and to the line.
    std::ostringstream frames;
    frames.precision(3);
    for (const Stretch& r : talk)
        frames << Name(r.shown) << "@" << std::fixed << SecondsBetween(line_start, r.first) << " ";
    const double came = SecondsBetween(minute, appeared);
    const double closed_after = SecondsBetween(line_end, gone);
    std::printf(
        "[          ] came %.3f s after the minute; line %.3f..%.3f s after it came; frames (s from line "
        "start) %s; closed %.3f s after the line\n",
        came, SecondsBetween(appeared, line_start), SecondsBetween(appeared, line_end), frames.str().c_str(),
        closed_after);

    // The alarm fires when the minute comes, not before (the check runs
    // five times a second).
    EXPECT_GT(came, -0.1);
    EXPECT_LT(came, 1.0);

    // The face: closed when it comes, open while the line plays, closed at
    // the end; each open mouth is held for one frame of the talk (150 ms).
    ASSERT_FALSE(talk.empty());
    EXPECT_EQ(talk.front().shown, Shown::kClosed) << frames.str();
    EXPECT_EQ(talk.back().shown, Shown::kClosed) << frames.str();
    int opened = 0;
    for (size_t i = 0; i < talk.size(); ++i) {
        EXPECT_NE(talk[i].shown, Shown::kNothing)
            << "the call-out showed something other than a face frame for "
            << SecondsBetween(talk[i].first, talk[i].last) << " s: " << frames.str();
        if (talk[i].shown != Shown::kOpen || i + 1 == talk.size()) continue;
        ++opened;
        const double held = SecondsBetween(talk[i].first, talk[i + 1].first);
        EXPECT_GT(held, 0.08) << frames.str();
        EXPECT_LT(held, 0.5) << frames.str();
        // While the line is heard (give or take the player's and the
        // recorder's latency).
        EXPECT_GT(SecondsBetween(line_start, talk[i].first), -0.05) << frames.str();
        EXPECT_LT(SecondsBetween(line_end, talk[i].first), 0.25) << frames.str();
    }
    EXPECT_GE(opened, 1) << "the mouth never opened: " << frames.str();

    // The clip plus three seconds, then the window closes on its activation.
    EXPECT_GT(closed_after, 2.5);
    EXPECT_LT(closed_after, 4.5);

    // The clock goes on; the once-only alarm is off; the stacking choice stays.
    EXPECT_TRUE(clock->process().Running());
    EXPECT_TRUE(IsViewable(clock->window()));
    std::string enabled;
    PollUntil(
        [&] {
            IniSections sections = ParseIni(folder.ReadIni().value_or(""));
            for (const auto& [k, v] : sections["Alerm"])
                if (k == "Enabled") enabled = v;
            return enabled == "0";
        },
        3s, 100ms);
    EXPECT_EQ(enabled, "0") << folder.ReadIni().value_or("");
    EXPECT_EQ(SettingKeys(folder.ReadIni().value_or("")).at("ZOrder"), "False") << folder.ReadIni().value_or("");
}

}  // namespace
}  // namespace desktop
