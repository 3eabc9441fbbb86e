// Google Benchmark of the clock's small, frequent pieces of work:
//
//   UpdateClockDisplay/unchanged  the tick's face update when the second has
//                                 not changed: what every resting tick costs
//   DrawFace/<platform>           one face of the call-out's talking loop,
//                                 composed and handed to the display server
//   SpeakTime/overhead            the spoken time without the playing: the
//                                 real sound layer (WAV files read and
//                                 decoded, four one-shot clips started and
//                                 waited for) on an output that takes each
//                                 clip and has played it at once
//
// Runs on whatever Qt platform QT_QPA_PLATFORM names (xcb inside a session;
// offscreen otherwise). Google Benchmark options pass through.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <QApplication>

#include "callout/CallOutWindow.h"
#include "characters/Character.h"
#include "clock_rig.h"
#include "platform/QtApp.h"
#include "voice/ClipCatalogue.h"
#include "voice/Voice.h"

namespace {

// An output whose clips have played as soon as they are started: what is
// left of SpeakTime is the program's own work around the clips.
class InstantOutput final : public platform::AudioOutput {
public:
    void Start(platform::Channel, const platform::AudioClip& clip) override { bytes += clip.samples.size(); }
    bool Playing(platform::Channel) override { return false; }
    void Stop(platform::Channel) override {}
    void Wait(platform::Channel) override {}
    std::size_t bytes = 0;
};

// Always 15:45:01, so every announcement is the same four words.
class FixedClock final : public platform::SystemClock {
public:
    explicit FixedClock(platform::SystemClock& real) : real_(real) {}
    platform::LocalTime Now() override {
        platform::LocalTime t = real_.Now();
        t.hour = 15;
        t.minute = 45;
        t.second = 1;
        return t;
    }
    uint64_t TickCount() override { return real_.TickCount(); }

private:
    platform::SystemClock& real_;
};

void SpeakTimeOverhead(benchmark::State& state, ClockRig& rig) {
    InstantOutput output;
    platform::SoundSystem sound(output);
    FixedClock clock(rig.machine.clock);
    Voice voice(sound, clock, rig.folder + "/wav");
    // 15:45 in Shiore's voice: PM, 3, the tens before a unit of 40, 5; 0.6 s each.
    constexpr Character kSpeaker = Character::kShiore;
    std::filesystem::create_directories(rig.folder + "/wav");
    for (int clip : {clips::Pm(kSpeaker), clips::Hour(kSpeaker, 3), clips::TensBeforeUnit(kSpeaker, 4),
                     clips::UnitMinutes(kSpeaker, 5)})
        WriteTone(rig.folder + "/wav/" + clips::FileName(clip), 0.6);
    for (auto _ : state) voice.SpeakTime(kSpeaker);
    // Every word was found and read: no chime took a word's place.
    if (output.bytes != static_cast<std::size_t>(state.iterations()) * 4 * 26460)
        state.SkipWithError("a word was not read from its file");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    OffscreenWithoutDisplay();
    int qt_argc = 1;
    platform::Gui gui(qt_argc, argv);

    // Cycle code 7 has no phases: no tick walks or poses between the runs.
    ClockRig rig("[Setting]\nLeft=0\nTop=0\nChar1=True\nEvent=7\n");
    Program& program = rig.program;
    const std::string platform_name = QGuiApplication::platformName().toStdString();

    benchmark::RegisterBenchmark("UpdateClockDisplay/unchanged", [&program](benchmark::State& s) {
        ClockFace& face = program.Face();
        face.UpdateClockDisplay();
        for (auto _ : s) face.UpdateClockDisplay();
    })->Unit(benchmark::kNanosecond);
    // A call-out window of its own, not one of the program's call-outs: its
    // activation, which would close one of those, leaves it alone.  It shows
    // the alarm's background, as a talking face does.
    CallOutWindow callout(rig.machine.pump, program.VoiceClips(), [](CallOutWindow&) {});
    callout.Window().SetBackground(
        platform::LoadPicture("callout_bg0", CallOutWindow::kWidth, CallOutWindow::kHeight, 0xFFFFFF));
    callout.Window().Move(ClockWindow::kWidth, 0, CallOutWindow::kWidth, CallOutWindow::kHeight);
    callout.Window().ShowOnScreen();
    benchmark::RegisterBenchmark(("DrawFace/" + platform_name).c_str(), [&callout](benchmark::State& s) {
        int frame = 0;
        for (auto _ : s) {
            callout.DrawFace(frame);
            frame = frame == 0 ? 1 : 0;
        }
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("SpeakTime/overhead", [&rig](benchmark::State& s) {
        SpeakTimeOverhead(s, rig);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    rig.End();
}
