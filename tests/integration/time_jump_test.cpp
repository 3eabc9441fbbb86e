// The real program while its wall clock is set: back an hour, forward a
// day, and over the two changes of daylight saving time.  libfaketime reads
// the clock's offset from a file on every call, so a test can move the time
// of the running program; the boot-time tick is left alone, as setting the
// system clock leaves it.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <optional>
#include <thread>
#include <vector>

#include "audio_sink.h"
#include "clock_fixture.h"

namespace desktop {
namespace {

using Steady = std::chrono::steady_clock;

constexpr int kLeft = 100;  // where these tests place the window
constexpr int kTop = 100;
constexpr int kCallOutWidth = 208;
constexpr int kCallOutHeight = 224;

// Seconds since the epoch of a UTC time "YYYY-MM-DD hh:mm:ss".
time_t Utc(const char* text) {
    std::tm t{};
    std::sscanf(text, "%d-%d-%d %d:%d:%d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min, &t.tm_sec);
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    return timegm(&t);
}

// The program's wall clock: an offset from the real one, in a file that
// libfaketime reads again on every call.
class WallClock {
public:
    explicit WallClock(const ProgramFolder& folder) : path_(folder.dir() / "faketime") {}
    // From now on the program's clock reads `utc` and runs on from there.
    void Set(const char* utc) {
        offset_ = Utc(utc) - std::time(nullptr);
        const std::filesystem::path next = path_.string() + ".new";
        std::ofstream(next, std::ios::trunc) << std::showpos << offset_ << "\n";  // "+86400", "-3600"
        std::filesystem::rename(next, path_);                                     // never read half written
    }
    // What the program's clock read at the real moment `t`, in seconds since the epoch.
    double At(std::chrono::system_clock::time_point t) const {
        return std::chrono::duration<double>(t.time_since_epoch()).count() + static_cast<double>(offset_);
    }
    ClockOptions Options(const char* tz) const {
        ClockOptions o;
        o.env = {{"LD_PRELOAD", TESSURI_LIBFAKETIME},
                 {"FAKETIME_TIMESTAMP_FILE", path_.string()},
                 {"FAKETIME_NO_CACHE", "1"},
                 {"FAKETIME_DONT_FAKE_MONOTONIC", "1"},
                 {"TZ", tz}};
        return o;
    }

private:
    std::filesystem::path path_;
    time_t offset_ = 0;
};

// The clock at (kLeft, kTop) on a bare stage, its call-outs short, and an
// every-day alarm at hour:minute AM.
std::string Settings(const char* hour, const char* minute) {
    std::string ini = "[Setting]\nLeft=" + std::to_string(kLeft) + "\nTop=" + std::to_string(kTop) +
                      "\nZOrder=False\nEvent=7\nChar0=True\n";
    if (hour) ini += std::string("[Alerm]\nAMPM=True\nHour=") + hour + "\nMinute=" + minute + "\nEnabled=1\nEve=True\n";
    return ini;
}

// Counts the call-outs that come up: a window of the call-out's size
// appearing among the program's windows.
class CallOutCounter {
public:
    explicit CallOutCounter(pid_t pid) : pid_(pid) {}
    // Watches for `how_long`; returns the count so far.
    int Watch(Seconds how_long) {
        const auto end = Steady::now() + std::chrono::duration_cast<Steady::duration>(how_long);
        while (Steady::now() < end) {
            const bool up = Shown();
            if (up && !up_) {
                ++count_;
                appeared.push_back(std::chrono::system_clock::now());
            }
            up_ = up;
            std::this_thread::sleep_for(50ms);
        }
        return count_;
    }
    // Watches until a call-out has come and gone again (at most `timeout`).
    int WatchOneThrough(Seconds timeout) {
        const int before = count_;
        const auto end = Steady::now() + std::chrono::duration_cast<Steady::duration>(timeout);
        while (Steady::now() < end && !(count_ > before && !up_)) Watch(50ms);
        return count_;
    }
    // When each call-out was first seen.
    std::vector<std::chrono::system_clock::time_point> appeared;

private:
    bool Shown() const {
        for (unsigned long w : FindWindows(pid_, "tessuri")) {
            const auto g = GetGeometry(w);
            if (g && g->width == kCallOutWidth && g->height == kCallOutHeight) return true;
        }
        return false;
    }
    pid_t pid_;
    int count_ = 0;
    bool up_ = false;
};

// A running clock whose wall clock the test moves.
struct Rig {
    Rig(const char* start_utc, const std::string& ini, const char* tz = "UTC") : wall(folder) {
        audio::InstallToneClips(folder.dir());
        folder.WriteIni(ini);
        wall.Set(start_utc);
        clock = StartClock(folder, wall.Options(tz));
        if (clock && WaitForPlace(*clock, kLeft, kTop).x != kLeft) ADD_FAILURE() << "the clock is not in its place";
    }
    // Waits until the face shows `face`; how long that took, or nothing.
    std::optional<double> WaitFace(const std::string& face, Seconds timeout) {
        const auto from = Steady::now();
        auto shown = [&] {
            const auto read = reader.ReadScreen({kLeft, kTop});
            return read ? TimeOf(*read) : std::string();
        };
        if (!PollUntil([&] { return (last = shown()) == face; }, timeout, 20ms)) return {};
        return std::chrono::duration<double>(Steady::now() - from).count();
    }

    ProgramFolder folder;
    WallClock wall;
    std::unique_ptr<Clock> clock;
    FaceReader reader;
    std::string last;  // the face last read
};

TEST(TimeJump, TheFaceFollowsTheClockAtTheNextSecond) {
    Rig r("2026-12-10 10:14:30", Settings(nullptr, nullptr));
    ASSERT_TRUE(r.clock);
    ASSERT_TRUE(r.WaitFace("10:14 AM", 5s)) << "face: " << r.last;
    struct Step {
        const char* to;
        const char* face;
    };
    for (const Step s : {Step{"2026-12-10 09:14:30", "09:14 AM"}, Step{"2026-12-11 15:40:30", "03:40 PM"},
                         Step{"2026-12-11 14:40:30", "02:40 PM"}}) {
        SCOPED_TRACE(s.to);
        r.wall.Set(s.to);
        // The face is drawn when the second changes; a step by whole
        // minutes may keep the second, so the new time shows when the next
        // one begins: within two seconds.
        const auto took = r.WaitFace(s.face, 4s);
        ASSERT_TRUE(took) << "face: " << r.last;
        EXPECT_LT(*took, 2.3) << "the face took " << *took << " s to follow";
    }
}

TEST(TimeJump, TheAlarmFiresOnceADayWhereverTheClockIsSet) {
    Rig r("2026-12-10 10:14:57", Settings("10", "15"));
    ASSERT_TRUE(r.clock);
    CallOutCounter callOuts(r.clock->process().pid());
    ASSERT_EQ(callOuts.WatchOneThrough(20s), 1) << "the alarm did not fire at its minute";

    // Back an hour, then back into the alarm's minute the same day: nothing.
    r.wall.Set("2026-12-10 09:15:05");
    ASSERT_TRUE(r.WaitFace("09:15 AM", 3s)) << "face: " << r.last;
    EXPECT_EQ(callOuts.Watch(2s), 1);
    r.wall.Set("2026-12-10 10:14:58");
    ASSERT_TRUE(r.WaitFace("10:15 AM", 5s)) << "face: " << r.last;
    EXPECT_EQ(callOuts.Watch(4s), 1) << "fired twice on one day";

    // A day on, just before the minute: it fires again, once.
    r.wall.Set("2026-12-11 10:14:58");
    EXPECT_EQ(callOuts.WatchOneThrough(20s), 2) << "did not fire the next day";
    EXPECT_EQ(callOuts.Watch(3s), 2);
}

// Berlin: on 2026-03-29 the clock goes from 01:59:59 CET to 03:00:00 CEST,
// on 2026-10-25 from 02:59:59 CEST back to 02:00:00 CET.
TEST(TimeDaylightSaving, AnAlarmInTheSkippedHourFiresOnceWhenItEnds) {
    Rig r("2026-03-29 00:59:56", Settings("02", "30"), "Europe/Berlin");  // 01:59:56 CET
    ASSERT_TRUE(r.clock);
    ASSERT_TRUE(r.WaitFace("01:59 AM", 5s)) << "face: " << r.last;
    CallOutCounter callOuts(r.clock->process().pid());
    ASSERT_EQ(callOuts.Watch(10s), 1) << "the alarm was lost with the skipped hour";
    // Seen within a second or so of 03:00:00 CEST.
    const double late = r.wall.At(callOuts.appeared[0]) - static_cast<double>(Utc("2026-03-29 01:00:00"));
    EXPECT_GE(late, 0.0);
    EXPECT_LT(late, 2.0);
}

TEST(TimeDaylightSaving, AnAlarmInTheRepeatedHourFiresOnlyTheFirstTime) {
    Rig r("2026-10-25 00:29:56", Settings("02", "30"), "Europe/Berlin");  // 02:29:56 CEST
    ASSERT_TRUE(r.clock);
    CallOutCounter callOuts(r.clock->process().pid());
    ASSERT_EQ(callOuts.WatchOneThrough(20s), 1) << "the alarm did not fire at the first 02:30";
    const double late = r.wall.At(callOuts.appeared[0]) - static_cast<double>(Utc("2026-10-25 00:30:00"));
    EXPECT_GE(late, 0.0);
    EXPECT_LT(late, 2.0);
    r.wall.Set("2026-10-25 01:29:56");  // 02:29:56 CET, the second time round
    ASSERT_TRUE(r.WaitFace("02:30 AM", 8s)) << "face: " << r.last;
    EXPECT_EQ(callOuts.Watch(4s), 1) << "fired again at the second 02:30";
}

}  // namespace
}  // namespace desktop
