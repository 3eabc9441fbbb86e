// A month of the clock on virtual time: every tick the clock would run over
// 31 days, with an every-day alarm, a countdown started every hour and the
// stage's cycle length changed each day.  The alarm must fire once a day,
// every countdown at its tick, every stage cycle must pass its phases in
// order, and the heap must not grow.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "app/Program.h"
#include "callout/CallOut.h"
#include "countdown/Countdown.h"
#include "support/HeapInUse.h"
#include "support/VirtualPlatform.h"

namespace {

using namespace testing_support;

constexpr int kDays = 31;
constexpr int64_t kHourMs = 3'600'000;
constexpr int kCountdownMinutes = 30;
constexpr int kAlarmHour = 7;  // 07:00 AM, every day

// The sound layer that notes, of every media clip opened, what the tests
// below need and nothing more, so that a month leaves nothing behind.
class OpenWatch final : public platform::Sound {
public:
    explicit OpenWatch(platform::Sound& inner) : inner_(inner) {}
    std::function<void(int clip)> onOpen;
    void PlaySound(const std::string& path, platform::PlayMode mode) override { inner_.PlaySound(path, mode); }
    platform::ClipError OpenClip(const std::string& path) override {
        if (onOpen) onOpen(RecordingSound::ClipNumber(path));
        return inner_.OpenClip(path);
    }
    platform::ClipError PlayClip() override { return inner_.PlayClip(); }
    platform::ClipQuery IsClipPlaying() override { return inner_.IsClipPlaying(); }
    platform::ClipError CloseClip() override { return inner_.CloseClip(); }

private:
    platform::Sound& inner_;
};

// The virtual machine without its logs: a month of them would be gigabytes.
struct QuietMachine {
    TempFolder folder;
    VirtualClock clock;
    VirtualPump pump{clock};
    ScriptedRandom random;
    RecordingProfile profile;
    ThrowingProcess process;
    RecordingSound sound{clock, nullptr};
    OpenWatch watch{sound};
    RecordingMessages messages{nullptr};
    platform::Platform view{clock, pump, random, profile, process, watch, messages, folder.Path()};
    Program program{view};
};

// What a month showed, day by day.
struct DayTally {
    int alarms = 0;          // alarm call-outs
    int countdownLines = 0;  // countdown lines started
    int cycles = 0;          // stage cycles that reached their walk out
};

TEST(Month, AlarmCountdownsAndStageKeepTimeForThirtyOneDays) {
    const auto started = std::chrono::steady_clock::now();
    QuietMachine m;
    Program& program = m.program;
    Stage& stage = program.StageSchedule();
    Countdown& countdown = program.CountdownTimer();
    m.folder.Write("Tessuri.ini",
                   "[Setting]\nEvent=0\nChar0=True\nChar1=True\nChar2=True\nChar3=True\nChar4=True\n"
                   "[Alerm]\nAMPM=True\nHour=07\nMinute=00\nEnabled=1\nEve=True\n");
    m.clock.SetTime(0, 0, 0);
    const uint64_t tickAtStart = m.clock.tickMs;
    program.Start();

    std::array<DayTally, kDays> days{};
    auto dayNow = [&] { return static_cast<int>((m.clock.tickMs - tickAtStart) / (24 * kHourMs)); };

    // Alarm call-outs open the call-out line (191) by themselves; a
    // countdown's call-out opens it right after the countdown line (196).
    int lastOpen = -1;
    int64_t lineDue = -1;  // the tick the running countdown's line is due at
    int latestLineMs = 0, lateLines = 0, strayLines = 0, alarmsOffTime = 0;
    m.watch.onOpen = [&](int clip) {
        const int day = dayNow();
        if (clip == 196) {
            ++days[day].countdownLines;
            const int64_t late = static_cast<int64_t>(m.clock.tickMs) - lineDue;
            if (lineDue < 0)
                ++strayLines;
            else if (late < 0 || late >= Countdown::kCheckMs)
                ++lateLines;
            else
                latestLineMs = std::max(latestLineMs, static_cast<int>(late));
            lineDue = -1;
        } else if (clip == 191 && lastOpen != 196) {
            ++days[day].alarms;
            const platform::LocalTime now = m.clock.Now();
            if (now.hour != kAlarmHour || now.minute != 0) ++alarmsOffTime;
        }
        lastOpen = clip;
    };

    // Every change of the stage's phase, seen at the drawing that follows it.
    int shown = -1, phaseViolations = 0;
    auto notePhase = [&] {
        const int p = stage.PhaseEntered();
        if (p == shown) return;
        const int expected = shown < 0 ? 0 : (shown + 1) % 5;
        if (p != expected || p != stage.PhaseOfMinute(m.clock.Now().minute)) ++phaseViolations;
        if (p == 4) ++days[dayNow()].cycles;
        shown = p;
    };
    program.Canvas().onFrameDrawn = [&](int32_t, int, int32_t) { notePhase(); };

    auto runUntil = [&](uint64_t tick) {
        while (m.clock.tickMs < tick) m.pump.RunFor(static_cast<int64_t>(tick - m.clock.tickMs));
    };
    std::size_t heapAfterDayOne = 0;
    for (int hour = 0; hour < kDays * 24; ++hour) {
        runUntil(tickAtStart + hour * kHourMs);
        if (hour % 24 == 0) {
            // Each day another cycle length: 5, 10, 20, 60 minutes.
            stage.SetCycle(static_cast<int16_t>(hour / 24 % 4));
            m.sound.plays.clear();
            m.sound.clipCalls.clear();
            m.profile.calls.clear();
            if (hour == 24) heapAfterDayOne = HeapInUse();
        }
        ASSERT_EQ(lineDue, -1) << "the countdown of hour " << hour - 1 << " never spoke";
        countdown.Start(kCountdownMinutes);
        // As a later confirmation of the settings in alarm mode leaves it:
        // every call-out speaks.
        program.NextCallOut().kind = CallOutKind::kAlarm;
        ASSERT_TRUE(countdown.Deadline().has_value());
        lineDue = *countdown.Deadline() - Countdown::kEarlyStartMs;
    }
    runUntil(tickAtStart + kDays * 24 * kHourMs);
    m.sound.plays.clear();
    m.sound.clipCalls.clear();
    m.profile.calls.clear();
    const std::size_t heapAtEnd = HeapInUse();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    static constexpr int kCyclesADay[4] = {288, 144, 72, 24};
    int alarms = 0, lines = 0;
    for (int d = 0; d < kDays; ++d) {
        SCOPED_TRACE("day " + std::to_string(d + 1));
        EXPECT_EQ(days[d].alarms, 1);
        EXPECT_EQ(days[d].countdownLines, 24);
        EXPECT_EQ(days[d].cycles, kCyclesADay[d % 4]);
        alarms += days[d].alarms;
        lines += days[d].countdownLines;
    }
    const platform::LocalTime end = m.clock.Now();
    EXPECT_TRUE(end.year == 2027 && end.month == 1 && end.day == 10) << "the month ended on " << end.day;
    EXPECT_EQ(alarmsOffTime, 0);
    EXPECT_EQ(lateLines, 0);
    EXPECT_EQ(strayLines, 0);
    EXPECT_EQ(phaseViolations, 0);
    const auto growth = static_cast<long long>(heapAtEnd) - static_cast<long long>(heapAfterDayOne);
    // Far below what one byte kept per tick (2.7 million of them) or one
    // picture kept per call-out would add up to.
    EXPECT_LT(growth, 1024 * 1024) << "the heap grew from day 1 to day " << kDays;
    std::printf(
        "[ month    ] %.1f s; alarms %d in %d days; countdown lines %d of %d, latest %d ms after due; "
        "phase order violations %d; heap %zu -> %zu bytes (%+lld)\n",
        seconds, alarms, kDays, lines, kDays * 24, latestLineMs, phaseViolations, heapAfterDayOne, heapAtEnd, growth);
}

}  // namespace
