// The alarm and the countdown on virtual time: when each fires, what it
// leaves behind in the settings file and on the sign, and what the call-out
// after a countdown looks like.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>

#include "app/Application.h"
#include "app/frmClock.h"
#include "platform/IniFile.h"
#include "support/VirtualPlatform.h"

namespace {

using testing_support::VirtualPlatform;

// The recording sound layer, with a look-in at every status query: those
// are the moments a wait loop polls its clip.
class PollWatch final : public platform::Sound {
public:
    explicit PollWatch(platform::Sound& inner) : inner_(inner) {}
    std::function<void()> onStatus;
    void PlaySound(const std::string& path, uint16_t flags) override { inner_.PlaySound(path, flags); }
    uint32_t SendString(std::string_view command, char* reply, uint32_t length, const void* owner) override {
        if (onStatus && command.starts_with("status ")) onStatus();
        return inner_.SendString(command, reply, length, owner);
    }
    bool GetErrorString(uint32_t error, char* text, uint32_t length) override {
        return inner_.GetErrorString(error, text, length);
    }

private:
    platform::Sound& inner_;
};

// "/0196.wav" for 196: the end of a clip's path.
std::string ClipFile(int n) {
    char name[16];
    std::snprintf(name, sizeof name, "/%04d.wav", n);
    return name;
}

// One running clock on a virtual machine.
struct Rig {
    void Start(int h, int m, int s, const std::string& ini = "") {
        if (!ini.empty()) vp.folder.Write("Tessuri.ini", ini);
        vp.clock.SetTime(h, m, s);
        app.clock.Main();
        app.anime.StageInterval = 7;  // a bare stage: walks would hold the clock
    }
    frmClock& F() { return *app.clockWindow; }

    // How often clip n was opened as a media clip.
    int Opened(int n) const {
        const std::string name = ClipFile(n) + "\"";
        return static_cast<int>(std::count_if(vp.sound.commands.begin(), vp.sound.commands.end(),
                                              [&](const std::string& c) {
                                                  return c.starts_with("open \"") &&
                                                         c.find(name) != std::string::npos;
                                              }));
    }
    // The first log line at or after `from` that starts with `prefix` and
    // contains `part`; the log's size when there is none.
    std::size_t Find(const std::string& prefix, const std::string& part = "", std::size_t from = 0) const {
        for (std::size_t i = from; i < vp.log.size(); ++i)
            if (vp.log[i].starts_with(prefix) && vp.log[i].find(part) != std::string::npos) return i;
        return vp.log.size();
    }
    // Which picture store the sign shows: 1 waves, 2 alarm clock, 3 idle.
    int Sign() {
        const platform::Picture& shown = F().imgAlarmTimer(0).GetPicture();
        for (int i = 1; i <= 3; ++i)
            if (shown == F().imgAlarmTimerPicture[i]) return i;
        return -1;
    }
    std::string Stored(const std::string& key) {
        return platform::IniFile().GetString("Alerm", key, "<missing>", vp.folder.File("Tessuri.ini"));
    }

    VirtualPlatform vp;
    PollWatch sound{vp.sound};
    platform::Platform view{vp.clock,   vp.pump, vp.random,  vp.profile,
                            vp.process, sound,   vp.messages, vp.folder.Path()};
    Application app{view};
};

std::string AlarmIni(const char* am, const char* hour, const char* minute, const char* every = "False") {
    return std::string("[Alerm]\nAMPM=") + am + "\nHour=" + hour + "\nMinute=" + minute + "\nEnabled=1\nEve=" +
           every + "\n";
}

class Alarm : public ::testing::Test, protected Rig {};

TEST_F(Alarm, SignPicturesCanBeToldApart) {
    // Every check of the sign below relies on this.
    Start(10, 0, 0);
    EXPECT_NE(F().imgAlarmTimerPicture[1], F().imgAlarmTimerPicture[2]);
    EXPECT_NE(F().imgAlarmTimerPicture[1], F().imgAlarmTimerPicture[3]);
    EXPECT_NE(F().imgAlarmTimerPicture[2], F().imgAlarmTimerPicture[3]);
}

TEST(AlarmStartUp, StoredEnabledArmsAndAnythingElseLeavesItOff) {
    struct Case {
        const char* name;
        const char* ini;
        bool armed;
    };
    const Case cases[] = {
        {"enabled", "[Alerm]\nAMPM=False\nHour=07\nMinute=45\nEnabled=1\nEve=True\n", true},
        {"disabled", "[Alerm]\nAMPM=False\nHour=07\nMinute=45\nEnabled=0\nEve=True\n", false},
        {"not exactly 1", "[Alerm]\nEnabled=True\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.Start(10, 0, 0, c.ini);
        EXPECT_EQ(r.F().tmrAlerm->Enabled(), c.armed);
        EXPECT_EQ(r.Sign(), c.armed ? 2 : 3);
    }
}

TEST(AlarmStartUp, MissingKeysGiveAnAlarmThatIsOff) {
    Rig r;
    r.Start(10, 0, 0);
    const Clock& k = r.app.clock;
    EXPECT_EQ(k.AlarmAM, "True");
    EXPECT_EQ(k.AlarmHour, "12");
    EXPECT_EQ(k.AlarmMinute, "0");
    EXPECT_EQ(k.AlarmEnabled, "0");
    EXPECT_FALSE(k.AlarmEveryDay);
    EXPECT_FALSE(r.F().tmrAlerm->Enabled());
    EXPECT_EQ(r.Sign(), 3);
}

TEST(AlarmTime, FiresAtItsMinuteOnTheTwentyFourHourClockOnly) {
    struct Case {
        const char *am, *hour, *minute;
        int fireH, fireM;  // -1: never
        int quietH, quietM;
    };
    const Case cases[] = {
        {"True", "12", "00", 0, 0, 12, 0},   // 12 AM is midnight
        {"False", "12", "00", 12, 0, 0, 0},  // 12 PM is noon
        {"False", "01", "30", 13, 30, 1, 30},
        {"True", "01", "30", 1, 30, 13, 30},
        {"True", "10", "05", 10, 5, 10, 50},
        {"True", "10", "5", -1, 0, 10, 5},  // one digit never matches
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.hour) + ":" + c.minute + (std::string(c.am) == "True" ? " AM" : " PM"));
        Rig r;
        r.Start(c.quietH, c.quietM, 0, AlarmIni(c.am, c.hour, c.minute, "True"));
        r.vp.pump.RunFor(60'000);
        EXPECT_EQ(r.Opened(191), 0) << "fired in the wrong minute";
        if (c.fireH < 0) continue;
        r.vp.clock.SetTime(c.fireH, c.fireM, 0);
        r.vp.pump.RunFor(200);
        EXPECT_EQ(r.Opened(191), 1);
    }
}

TEST_F(Alarm, OnceOnlyFiresOnceThenIsStoredOffWithTheIdleSign) {
    Start(6, 59, 59, AlarmIni("True", "07", "00"));
    EXPECT_EQ(Sign(), 2);
    vp.pump.RunFor(1'000);
    EXPECT_EQ(Opened(191), 1);
    EXPECT_LT(Find("sleep 3000"), vp.log.size());  // the call-out ran to its end
    EXPECT_EQ(Stored("Enabled"), "0");
    EXPECT_EQ(app.clock.AlarmEnabled, "0");
    EXPECT_FALSE(F().tmrAlerm->Enabled());
    EXPECT_EQ(Sign(), 3);
    EXPECT_EQ(app.clock.AlarmFiredDay, "10");

    vp.clock.SetTime(24 + 6, 59, 59);  // the next morning
    vp.pump.RunFor(120'000);
    EXPECT_EQ(Opened(191), 1);
}

TEST_F(Alarm, EveryDayFiresOnceADayAndStaysArmed) {
    Start(6, 59, 59, AlarmIni("True", "07", "00", "True"));
    vp.pump.RunFor(61'000);  // the whole minute, call-out included
    EXPECT_EQ(Opened(191), 1);
    EXPECT_EQ(app.clock.AlarmFiredDay, "10");
    EXPECT_EQ(app.clock.AlarmEnabled, "1");
    EXPECT_TRUE(F().tmrAlerm->Enabled());
    EXPECT_EQ(Sign(), 2);
    EXPECT_EQ(Stored("Enabled"), "1");

    vp.clock.SetTime(24 + 6, 59, 59);
    vp.pump.RunFor(1'200);
    EXPECT_EQ(Opened(191), 2);
    EXPECT_EQ(app.clock.AlarmFiredDay, "11");
}

TEST_F(Alarm, ACallOutThatRunsPastMidnightStillLetsItFireTheNextDay) {
    // Fired in the last seconds of the day, its call-out ends tomorrow; the
    // day it fired on is today all the same.
    vp.sound.clipMs[191] = 5000;
    Start(23, 59, 58, AlarmIni("False", "11", "59", "True"));
    vp.pump.RunFor(400);
    ASSERT_EQ(Opened(191), 1);
    EXPECT_EQ(vp.clock.Now().day, 11);
    EXPECT_EQ(app.clock.AlarmFiredDay, "10");
    vp.clock.SetTime(24 + 23, 59, 0);
    vp.pump.RunFor(400);
    EXPECT_EQ(Opened(191), 2);
}

TEST_F(Alarm, ClearingTheFiredDayLetsItFireAgainWithinTheSameMinute) {
    Start(7, 0, 0, AlarmIni("True", "07", "00", "True"));
    vp.pump.RunFor(200);
    ASSERT_EQ(Opened(191), 1);
    vp.pump.RunFor(10'000);
    ASSERT_EQ(Opened(191), 1);
    app.clock.AlarmFiredDay.clear();  // as a confirmation of the settings does
    vp.pump.RunFor(200);
    EXPECT_EQ(Opened(191), 2);
}

TEST_F(Alarm, SpeaksTheLineOfTheChosenCharacter) {
    Start(7, 0, 0, AlarmIni("True", "07", "00"));
    app.setting.CallOutCharacter = 3;
    vp.pump.RunFor(200);
    EXPECT_EQ(Opened(194), 1);
    EXPECT_EQ(Opened(191), 0);
    EXPECT_TRUE(vp.sound.plays.empty());
}

class Countdown : public ::testing::Test, protected Rig {
protected:
    // Starts the clock at 10:00:00 with a countdown of `minutes` set at once.
    void StartWith(int minutes) {
        Start(10, 0, 0);
        app.clock.StartCountdown(minutes);
    }
};

TEST(CountdownTiming, LineStartsTenSecondsBeforeTheEnd) {
    struct Case {
        int minutes;
        int64_t lineAfterMs;
    };
    for (const Case c : {Case{1, 50'000}, Case{2, 110'000}, Case{999, 59'930'000}}) {
        SCOPED_TRACE(c.minutes);
        Rig r;
        r.Start(10, 0, 0);
        r.app.clock.StartCountdown(c.minutes);
        EXPECT_EQ(r.Sign(), 1);
        EXPECT_TRUE(r.F().tmrTimer->Enabled());
        r.vp.pump.RunFor(c.lineAfterMs - 1);
        EXPECT_EQ(r.Opened(196), 0) << "too early";
        r.vp.pump.RunFor(1);
        EXPECT_EQ(r.Opened(196), 1);
    }
}

TEST(CountdownTiming, RestartingMovesTheEnd) {
    struct Case {
        int minutes;
        int64_t restartAfterMs;
        int newMinutes;
        int64_t lineAfterRestartMs;
    };
    // Later than the running one would have ended; earlier, restarted off
    // the check's 200 ms beat, so the line waits for the next check.
    for (const Case c : {Case{1, 30'000, 2, 110'000}, Case{5, 30'150, 1, 50'050}}) {
        SCOPED_TRACE(c.minutes);
        Rig r;
        r.Start(10, 0, 0);
        r.app.clock.StartCountdown(c.minutes);
        r.vp.pump.RunFor(c.restartAfterMs);
        r.app.clock.StartCountdown(c.newMinutes);
        r.vp.pump.RunFor(c.lineAfterRestartMs - 1);
        EXPECT_EQ(r.Opened(196), 0) << "too early";
        r.vp.pump.RunFor(1);
        EXPECT_EQ(r.Opened(196), 1);
    }
}

TEST_F(Countdown, ZeroMinutesCancelsAndLeavesTheSign) {
    StartWith(1);
    vp.pump.RunFor(10'000);
    app.clock.StartCountdown(0);
    EXPECT_EQ(app.clock.TimerDeadline, -1);
    EXPECT_EQ(app.setting.CallOutKind, 1);
    vp.pump.RunFor(600'000);
    EXPECT_EQ(Opened(196), 0);
    EXPECT_TRUE(vp.sound.plays.empty());
    EXPECT_EQ(Sign(), 1);
}

TEST(CountdownCallOut, FollowsTheLineInTheLayoutOfTheCallOutKind) {
    struct Case {
        const char* name;
        int16_t kindAfterStart;  // what a confirmation in alarm mode sets meanwhile
        int16_t character;
    };
    const Case cases[] = {{"timer layout", 1, 0}, {"timer layout, character 2", 1, 2}, {"alarm layout", 0, 0},
                          {"alarm layout, character 4", 0, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.Start(10, 0, 0);
        r.app.setting.CallOutCharacter = c.character;
        r.app.clock.StartCountdown(1);
        r.app.setting.CallOutKind = c.kindAfterStart;
        r.vp.pump.RunFor(60'000);

        const std::size_t line = r.Find("mci open", ClipFile(196 + c.character));
        const std::size_t lineEnd = r.Find("mci close", "", line);
        ASSERT_LT(lineEnd, r.vp.log.size());
        EXPECT_EQ(r.Opened(196 + c.character), 1);
        if (c.kindAfterStart == 1) {
            EXPECT_EQ(r.vp.sound.plays, (std::vector<testing_support::RecordingSound::Play>{{201, 0}}));
            EXPECT_GT(r.Find("play 0201 0"), lineEnd);
            EXPECT_EQ(r.Opened(191 + c.character), 0);
        } else {
            EXPECT_TRUE(r.vp.sound.plays.empty());
            EXPECT_EQ(r.Opened(191 + c.character), 1);
            EXPECT_GT(r.Find("mci open", ClipFile(191 + c.character)), lineEnd);
        }
        EXPECT_LT(r.Find("sleep 3000", "", lineEnd), r.vp.log.size());
        EXPECT_EQ(r.Sign(), 3);
        EXPECT_FALSE(r.F().tmrTimer->Enabled());
    }
}

TEST_F(Countdown, MissingLineGoesStraightToTheCallOut) {
    vp.sound.missing.insert(196);
    StartWith(1);
    vp.pump.RunFor(60'000);
    EXPECT_EQ(Opened(196), 1);
    const std::size_t open = Find("mci open", ClipFile(196));
    const std::size_t callOut = Find("play 0201 0");
    ASSERT_LT(callOut, vp.log.size());
    EXPECT_GT(Find("sleep", "", open), callOut) << "waited on a clip that never played";
    EXPECT_EQ(vp.sound.plays, (std::vector<testing_support::RecordingSound::Play>{{201, 0}}));
    EXPECT_EQ(Sign(), 3);
}

TEST_F(Countdown, FaceKeepsTimeWhileTheLinePlays) {
    vp.sound.clipMs[196] = 5'000;
    // At each poll of the line: the wall-clock second and the one last drawn.
    std::vector<std::pair<int, int>> polls;
    sound.onStatus = [&] {
        if (Opened(196) == 1) polls.emplace_back(vp.clock.Now().second, app.clock.LastSecondDrawn);
    };
    StartWith(1);  // the line plays from 10:00:50 to 10:00:55
    vp.pump.RunFor(50'000);
    ASSERT_GT(polls.size(), 100u);
    std::set<int> drawn;
    for (const auto& [wall, shown] : polls) {
        EXPECT_TRUE(shown == wall || shown == wall - 1) << "at 10:00:" << wall << " the face shows :" << shown;
        drawn.insert(shown);
    }
    for (int s = 50; s <= 54; ++s) EXPECT_TRUE(drawn.contains(s)) << "second " << s << " never drawn";
}

}  // namespace

namespace {

// An alarm set while a countdown runs: whichever ends first, the sign then
// shows the one still set.
TEST(AlarmAndCountdown, WhenOneIsOverTheSignShowsTheOther) {
    struct Case {
        const char* name;
        int alarmMinute;     // 10:MM AM, once only
        int countdownMinutes;
        int64_t runMs;       // long enough for the first of the two
        int sign;            // 1 waves, 2 alarm clock
    };
    const Case cases[] = {
        {"alarm first", 1, 10, 70'000, 1},
        {"countdown first", 30, 1, 70'000, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        char minute[3];
        std::snprintf(minute, sizeof minute, "%02d", c.alarmMinute);
        r.Start(10, 0, 0, AlarmIni("True", "10", minute));
        r.app.clock.StartCountdown(c.countdownMinutes);
        r.app.setting.CallOutKind = 0;
        r.F().imgAlarmTimer(0).SetPicture(r.F().imgAlarmTimerPicture[2]);  // as the confirmation shows
        r.vp.pump.RunFor(c.runMs);
        ASSERT_LT(r.Find("sleep 3000"), r.vp.log.size()) << "a call-out ran";
        EXPECT_EQ(r.Sign(), c.sign);
    }
}

}  // namespace

namespace {

// The wall clock set while the clock runs, as daylight saving time and the
// user do: the tick count goes on as before.
TEST(AlarmClockChange, AnAlarmInASkippedStretchFiresOnceAfterItAndNoOtherStepMakesOneUp) {
    struct Case {
        const char* name;
        int startH, startM, startS;
        const char *am, *hour, *minute;
        int64_t stepAfterMs;      // from the start, when the clock is set
        int toH, toM, toS;        // to this time (hour 24 and over: following days)
        int64_t runAfterMs;       // how long it runs afterwards
        int fires;
        int firedH, firedM;       // the wall clock at the first call-out; -1: none
    };
    const Case cases[] = {
        // Daylight saving time begins: 02:00 becomes 03:00.
        {"spring forward over the alarm", 1, 59, 50, "True", "02", "30", 9'900, 3, 0, 0, 120'000, 1, 3, 0},
        {"spring forward over the alarm's hour", 1, 59, 50, "True", "02", "00", 9'900, 3, 0, 0, 120'000, 1, 3, 0},
        {"spring forward short of the alarm", 1, 59, 50, "True", "03", "01", 9'900, 3, 0, 0, 120'000, 1, 3, 1},
        // Daylight saving time ends: 03:00 becomes 02:00 again, 02:30 comes twice.
        {"fall back after the alarm", 2, 29, 50, "True", "02", "30", 1'810'000, 2, 0, 0, 2'400'000, 1, 2, 30},
        // By hand: forward by more than two hours makes nothing up, a day on
        // fires at the alarm's minute, an earlier time set today waits for tomorrow.
        {"forward three hours over the alarm", 5, 0, 0, "True", "07", "00", 10'000, 8, 0, 0, 120'000, 0, -1, 0},
        {"forward a day to just before the alarm", 6, 59, 0, "True", "07", "00", 120'000, 24 + 6, 59, 50, 20'000, 2,
         7, 0},
        {"alarm earlier today", 10, 0, 0, "True", "09", "00", 10'000, 10, 0, 10, 120'000, 0, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        platform::LocalTime firedAt{};
        r.sound.onStatus = [&] {
            if (r.Opened(191) > 0 && firedAt.year == 2000) firedAt = r.vp.clock.Now();
        };
        r.Start(c.startH, c.startM, c.startS, AlarmIni(c.am, c.hour, c.minute, "True"));
        r.vp.pump.RunFor(c.stepAfterMs);
        r.vp.clock.SetTime(c.toH, c.toM, c.toS);
        r.vp.pump.RunFor(c.runAfterMs);
        EXPECT_EQ(r.Opened(191), c.fires);
        if (c.firedH < 0) continue;
        EXPECT_EQ(firedAt.hour, c.firedH) << "first call-out at " << firedAt.hour << ":" << firedAt.minute;
        EXPECT_EQ(firedAt.minute, c.firedM);
    }
}

}  // namespace
