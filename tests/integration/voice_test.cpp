// The spoken time, heard at the sound server: the program runs at a fixed
// (faked) time with test clips of pure tones in its wav folder, and the
// recording of the null sink is turned back into clip numbers.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sstream>
#include <thread>

#include "audio_sink.h"
#include "clock_fixture.h"

namespace desktop {
namespace {

constexpr int kLeft = 100;  // where these tests place the window
constexpr int kTop = 100;
// A point in the middle of the stage (window (9, 59), 212 x 100).
constexpr int kStageX = 9 + 106;
constexpr int kStageY = 59 + 50;

enum class Ask { kLeftClick, kMenu };

struct SpokenTime {
    const char* name;
    const char* start;  // faked local time; the minute holds for the whole test
    int character;      // the only one enabled
    Ask ask;
    std::vector<int> clips;  // what is heard, in order
};
void PrintTo(const SpokenTime& c, std::ostream* os) { *os << c.name; }

std::string SettingsWithOnly(int character) {
    std::ostringstream ini;
    // Cycle code 7 has no phases: the stage stays bare and silent.
    ini << "[Setting]\nLeft=" << kLeft << "\nTop=" << kTop << "\nEvent=7\n";
    for (int c = 0; c < 5; ++c) ini << "Char" << c << "=" << (c == character ? "True" : "False") << "\n";
    return ini.str();
}

std::string Join(const std::vector<int>& v) {
    std::ostringstream out;
    for (size_t i = 0; i < v.size(); ++i) out << (i ? "," : "") << v[i];
    return out.str();
}

class SpokenTimeTest : public ::testing::TestWithParam<SpokenTime> {};

TEST_P(SpokenTimeTest, PlaysTheWordsOfTheTimeBackToBack) {
    const SpokenTime& c = GetParam();
    ProgramFolder folder;
    audio::InstallToneClips(folder.dir());
    folder.WriteIni(SettingsWithOnly(c.character));

    // The recorder's lead runs while the clock starts.
    audio::SinkRecorder recorder;
    ClockOptions options;
    options.fake_start = c.start;
    auto clock = StartClock(folder, options);
    ASSERT_TRUE(clock);
    ASSERT_EQ(WaitForPlace(*clock, kLeft, kTop).x, kLeft);
    ASSERT_TRUE(recorder.WaitReady()) << "the null sink's monitor delivers nothing";

    const int x = kLeft + kStageX, y = kTop + kStageY;
    if (c.ask == Ask::kLeftClick) {
        desktop::Run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", "1"});
    } else {
        // The menu opens at the pointer; its first item speaks the time.
        desktop::Run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "mousedown", "3", "sleep", "0.3",
                      "mouseup", "3", "sleep", "0.2", "key", "t"});
    }

    // Done once the expected number of clips has been heard and a moment
    // of silence followed (or after a while, when something is missing).
    const double clip_count = static_cast<double>(c.clips.size());
    PollUntil(
        [&] {
            const audio::Recording r = recorder.Snapshot();
            const auto heard = audio::JoinPieces(audio::Recognise(r.samples));
            return heard.size() >= c.clips.size() && r.Seconds() > heard.back().end + 0.4;
        },
        Seconds(2.0 + 0.5 * clip_count), 100ms);
    const audio::Recording recording = recorder.Stop();
    const auto heard = audio::JoinPieces(audio::Recognise(recording.samples));

    ASSERT_EQ(audio::Clips(heard), c.clips) << "heard: " << audio::Describe(heard) << "\nprogram output:\n"
                                            << folder.Log();
    int dropouts = 0;
    for (const audio::Heard& h : heard) {
        EXPECT_GT(h.Seconds(), audio::kClipSeconds - 0.005) << "clip " << h.clip << " was cut short";
        // A clip whose playback broke up (the player's stream ran dry) comes
        // in pieces. That happens to any player on a machine whose cores are
        // all busy, so it is reported here and counted by bench/run.sh.
        dropouts += h.pieces - 1;
    }
    if (dropouts > 0) {
        RecordProperty("dropouts", dropouts);
        std::printf("[          ] %s: %d dropouts: %s\n", c.name, dropouts, audio::Describe(heard).c_str());
    }
    const auto gaps = audio::Gaps(heard);
    std::ostringstream report;
    report.precision(1);
    for (size_t i = 0; i < gaps.size(); ++i) {
        report << (i ? " " : "") << std::fixed << gaps[i] * 1000;
        // Words never overlap (the next waits for the one before), and they
        // follow each other without an audible pause.
        EXPECT_GT(gaps[i], -0.002) << "clip " << heard[i + 1].clip << " began before clip " << heard[i].clip
                                   << " ended";
        EXPECT_LT(gaps[i], 0.020) << "a pause between clips " << heard[i].clip << " and " << heard[i + 1].clip;
    }
    RecordProperty("gaps_ms", report.str());
    std::printf("[          ] %s: clips %s, gaps (ms) %s\n", c.name, Join(audio::Clips(heard)).c_str(),
                report.str().c_str());

    // Having played sound, the program still ends on SIGTERM (logout,
    // shutdown) and saves its place on the way.
    clock->process().Signal(SIGTERM);
    EXPECT_EQ(clock->process().WaitExit(5s), 0);
    EXPECT_EQ(SettingKeys(folder.ReadIni().value_or("")).at("Left"), std::to_string(kLeft));
}

INSTANTIATE_TEST_SUITE_P(
    Times, SpokenTimeTest,
    ::testing::Values(SpokenTime{"FullHour", "2026-12-10 07:00:10", 0, Ask::kLeftClick, {1, 10, 17}},
                      SpokenTime{"TensAndUnits", "2026-12-10 15:45:10", 1, Ask::kLeftClick, {40, 44, 64, 70}},
                      SpokenTime{"HalfPastMidnight", "2026-12-10 00:30:10", 0, Ask::kLeftClick, {1, 15, 20}},
                      SpokenTime{"FivePastNoon", "2026-12-10 12:05:10", 4, Ask::kLeftClick, {154, 167, 184}},
                      SpokenTime{"RoundTen", "2026-12-10 23:10:10", 2, Ask::kLeftClick, {78, 90, 94}},
                      SpokenTime{"FromTheMenu", "2026-12-10 09:07:10", 3, Ask::kMenu, {115, 126, 148}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace desktop
