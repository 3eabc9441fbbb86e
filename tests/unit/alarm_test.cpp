// The alarm on virtual time: when it fires, what it leaves behind in the
// settings file and on the sign, how changes of the wall clock move it;
// then, on the running clock, the sign and the call-out window when the
// alarm and the countdown meet.
//
// The alarm is built on its own over small stand-ins for the face, the
// sign, the stage and the call-out (support/StandIns.h); the whole program
// comes in only where the point is how the parts meet.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "alarm/Alarm.h"
#include "callout/CallOut.h"
#include "countdown/Countdown.h"
#include "face/ClockFace.h"
#include "platform/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "stage/Stage.h"
#include "support/ClockRig.h"
#include "support/StandIns.h"
#include "support/VirtualPlatform.h"
#include "voice/ClipCatalogue.h"
#include "voice/Voice.h"

namespace {

using namespace testing_support;

// The alarm over a settings file in a temporary folder.
struct AlarmRig : StandIns {
    void Start(int h, int m, int s, const std::string& ini = "") {
        if (!ini.empty()) folder.Write("Tessuri.ini", ini);
        clock.SetTime(h, m, s);
        alarm.Load();
    }
    [[nodiscard]] std::string Stored(const char* key) const {
        return platform::IniFile().GetString("Alerm", key, "<missing>", folder.File("Tessuri.ini"));
    }

    RecordingProfile profile;
    SettingsStore store{profile, folder.Path()};
    Settings settings{store};
    Alarm alarm{clock, pump, settings, {face, sign, stage, showRestingSign}, callOut, choice};
};

std::string AlarmIni(const char* am, const char* hour, const char* minute, const char* every = "False") {
    return std::string("[Alerm]\nAMPM=") + am + "\nHour=" + hour + "\nMinute=" + minute + "\nEnabled=1\nEve=" + every +
           "\n";
}

// ---------------------------------------------------------------------------
// The alarm.

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
        AlarmRig r;
        r.Start(10, 0, 0, c.ini);
        EXPECT_EQ(r.alarm.Armed(), c.armed);
        EXPECT_EQ(r.alarm.Checking(), c.armed);
        // Only an armed alarm shows its sign; otherwise the sign is left as
        // it was (the idle one at start-up).
        EXPECT_EQ(r.sign.shown, c.armed ? std::vector<Sign>{Sign::kAlarm} : std::vector<Sign>{});
    }
}

TEST(AlarmStartUp, MissingKeysGiveAnAlarmThatIsOff) {
    AlarmRig r;
    r.Start(10, 0, 0);
    using Call = RecordingProfile::Call;
    EXPECT_EQ(r.profile.calls, (std::vector<Call>{{false, "Alerm", "AMPM", "True"},
                                                  {false, "Alerm", "Hour", "12"},
                                                  {false, "Alerm", "Minute", "0"},
                                                  {false, "Alerm", "Enabled", "0"},
                                                  {false, "Alerm", "Eve", "False"}}));
    EXPECT_TRUE(r.alarm.IsAm());
    EXPECT_EQ(r.alarm.Hour(), std::optional<int16_t>(12));
    EXPECT_EQ(r.alarm.Minute(), std::nullopt) << "the default minute \"0\" is one digit: it matches no minute";
    EXPECT_FALSE(r.alarm.Armed());
    EXPECT_FALSE(r.alarm.EveryDay());
    EXPECT_FALSE(r.alarm.Checking());
    EXPECT_TRUE(r.sign.shown.empty());
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
        {"False", "01", "30", 13, 30, 1, 30}, {"True", "01", "30", 1, 30, 13, 30},
        {"True", "10", "05", 10, 5, 10, 50},  {"True", "10", "5", -1, 0, 10, 5},  // one digit never matches
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.hour) + ":" + c.minute + (std::string(c.am) == "True" ? " AM" : " PM"));
        AlarmRig r;
        r.Start(c.quietH, c.quietM, 0, AlarmIni(c.am, c.hour, c.minute, "True"));
        r.pump.RunFor(60'000);
        EXPECT_EQ(r.CallOuts(), 0) << "fired in the wrong minute";
        if (c.fireH < 0) continue;
        r.clock.SetTime(c.fireH, c.fireM, 0);
        r.pump.RunFor(200);
        EXPECT_EQ(r.CallOuts(), 1);
    }
}

class AlarmFiring : public ::testing::Test, protected AlarmRig {};

TEST_F(AlarmFiring, OnceOnlyFiresOnceThenIsStoredOffWithTheRestingSign) {
    Start(6, 59, 59, AlarmIni("True", "07", "00"));
    ASSERT_EQ(sign.shown, std::vector<Sign>{Sign::kAlarm});
    pump.RunFor(1'000);
    ASSERT_EQ(CallOuts(), 1);
    // The face and the stage are brought up to date before the call-out
    // holds the clock; the rest comes once it is over.
    const std::size_t callOutAt = Find("call-out alarm");
    EXPECT_LT(Find("face"), callOutAt);
    EXPECT_LT(Find("stage"), callOutAt);
    EXPECT_LT(Find("sleep 3700", callOutAt), Find("resting sign", callOutAt)) << "the call-out ran to its end first";
    EXPECT_EQ(restingSigns, 1);
    EXPECT_EQ(Stored("Enabled"), "0");
    EXPECT_FALSE(alarm.Armed());
    EXPECT_FALSE(alarm.Checking());
    EXPECT_EQ(alarm.FiredOnDay(), std::optional<int>(10));

    clock.SetTime(24 + 6, 59, 59);  // the next morning
    pump.RunFor(120'000);
    EXPECT_EQ(CallOuts(), 1);
}

TEST_F(AlarmFiring, EveryDayFiresOnceADayAndStaysArmed) {
    Start(6, 59, 59, AlarmIni("True", "07", "00", "True"));
    pump.RunFor(61'000);  // the whole minute, call-out included
    EXPECT_EQ(CallOuts(), 1);
    EXPECT_EQ(alarm.FiredOnDay(), std::optional<int>(10));
    EXPECT_TRUE(alarm.Armed());
    EXPECT_TRUE(alarm.Checking());
    EXPECT_EQ(restingSigns, 0) << "the alarm's sign stays";
    EXPECT_EQ(Stored("Enabled"), "1");

    clock.SetTime(24 + 6, 59, 59);
    pump.RunFor(1'200);
    EXPECT_EQ(CallOuts(), 2);
    EXPECT_EQ(alarm.FiredOnDay(), std::optional<int>(11));
}

TEST_F(AlarmFiring, ACallOutThatRunsPastMidnightStillLetsItFireTheNextDay) {
    // Fired in the last seconds of the day, its call-out ends tomorrow; the
    // day it fired on is today all the same.
    callOut.lastsMs = 8'000;
    Start(23, 59, 58, AlarmIni("False", "11", "59", "True"));
    pump.RunFor(400);
    ASSERT_EQ(CallOuts(), 1);
    EXPECT_EQ(clock.Now().day, 11);
    EXPECT_EQ(alarm.FiredOnDay(), std::optional<int>(10));
    clock.SetTime(24 + 23, 59, 0);
    pump.RunFor(400);
    EXPECT_EQ(CallOuts(), 2);
}

TEST_F(AlarmFiring, ConfirmingTheSettingsLetsItFireAgainWithinTheSameMinute) {
    Start(7, 0, 0, AlarmIni("True", "07", "00", "True"));
    pump.RunFor(200);
    ASSERT_EQ(CallOuts(), 1);
    pump.RunFor(10'000);
    ASSERT_EQ(CallOuts(), 1);
    alarm.Set({.armed = true, .am = true, .minute = 0, .everyDay = true});  // the dialog's OK, unchanged
    pump.RunFor(200);
    EXPECT_EQ(CallOuts(), 2);
}

TEST_F(AlarmFiring, CallsOutWithTheChoiceAsItStandsWhenItFires) {
    Start(7, 0, 0, AlarmIni("True", "07", "00"));
    choice.speaker = Character::kPelulu;  // chosen in the dialog after the start
    pump.RunFor(200);
    ASSERT_EQ(CallOuts(), 1);
    EXPECT_EQ(callOut.presented[0].kind, CallOutKind::kAlarm);
    EXPECT_EQ(callOut.presented[0].speaker, Character::kPelulu);
}

// The wall clock set while the clock runs, as daylight saving time and the
// user do: the tick count goes on as before.
TEST(AlarmClockChange, AnAlarmInASkippedStretchFiresOnceAfterItAndNoOtherStepMakesOneUp) {
    struct Case {
        const char* name;
        int startH, startM, startS;
        const char *am, *hour, *minute;
        int64_t stepAfterMs;  // from the start, when the clock is set
        int toH, toM, toS;    // to this time (hour 24 and over: following days)
        int64_t runAfterMs;   // how long it runs afterwards
        int fires;
        int firedH, firedM;  // the wall clock at the first call-out; -1: none
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
        {"forward a day to just before the alarm", 6, 59, 0, "True", "07", "00", 120'000, 24 + 6, 59, 50, 20'000, 2, 7,
         0},
        {"alarm earlier today", 10, 0, 0, "True", "09", "00", 10'000, 10, 0, 10, 120'000, 0, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AlarmRig r;
        r.Start(c.startH, c.startM, c.startS, AlarmIni(c.am, c.hour, c.minute, "True"));
        r.pump.RunFor(c.stepAfterMs);
        r.clock.SetTime(c.toH, c.toM, c.toS);
        r.pump.RunFor(c.runAfterMs);
        EXPECT_EQ(r.CallOuts(), c.fires);
        if (c.firedH < 0 || r.CallOuts() == 0) continue;
        const platform::LocalTime firedAt = r.callOut.presented[0].at;
        EXPECT_EQ(firedAt.hour, c.firedH) << "first call-out at " << firedAt.hour << ":" << firedAt.minute;
        EXPECT_EQ(firedAt.minute, c.firedM);
    }
}

// ---------------------------------------------------------------------------
// On the running clock: the sign, the call-out window and the two checks
// together.

// The sign on the clock window, told by its picture; nothing when it is
// none of the three.
std::optional<Sign> SeenSign(ClockRig& r) {
    const platform::Picture& shown = r.program.Window().Sign().GetPicture();
    for (Sign s : {Sign::kIdle, Sign::kAlarm, Sign::kCountdown})
        if (shown == r.program.Face().Pictures().SignPicture(s)) return s;
    return std::nullopt;
}

TEST(RunningClock, SignPicturesCanBeToldApart) {
    // Every look at the sign below relies on this.
    const FacePictures p = FacePictures::BuiltIn();
    EXPECT_NE(p.SignPicture(Sign::kIdle), p.SignPicture(Sign::kAlarm));
    EXPECT_NE(p.SignPicture(Sign::kIdle), p.SignPicture(Sign::kCountdown));
    EXPECT_NE(p.SignPicture(Sign::kAlarm), p.SignPicture(Sign::kCountdown));
}

// An alarm set while a countdown runs: whichever ends first, the sign then
// shows the one still set.
TEST(RunningClock, WhenTheAlarmOrTheCountdownIsOverTheSignShowsTheOther) {
    struct Case {
        const char* name;
        const char* alarmMinute;  // 10:MM AM, once only
        int countdownMinutes;
        int64_t runMs;  // long enough for the first of the two
        Sign sign;
    };
    const Case cases[] = {
        {"alarm first", "01", 10, 70'000, Sign::kCountdown},
        {"countdown first", "30", 1, 70'000, Sign::kAlarm},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClockRig r;
        r.Start(10, 0, 0, AlarmIni("True", "10", c.alarmMinute));
        r.KeepStageBare();
        r.program.CountdownTimer().Start(c.countdownMinutes);
        // As a confirmation in alarm mode leaves them.
        r.program.NextCallOut().kind = CallOutKind::kAlarm;
        r.program.Face().ShowSign(Sign::kAlarm);
        r.vp.pump.RunFor(c.runMs);
        ASSERT_NE(std::find(r.vp.log.begin(), r.vp.log.end(), "sleep 3000"), r.vp.log.end()) << "no call-out ran";
        EXPECT_EQ(SeenSign(r), c.sign);
    }
}

// The call-out window after a countdown's line: its layout and sound are
// those of the kind chosen last, whoever chose it.
TEST(RunningClock, TheCountdownsCallOutFollowsTheLineInTheLayoutOfTheChosenKind) {
    for (const CountdownCallOutCase& c : kCountdownCallOutCases) {
        SCOPED_TRACE(c.name);
        ClockRig r;
        r.Start(10, 0, 0);
        r.KeepStageBare();
        r.program.NextCallOut().speaker = c.speaker;
        r.program.CountdownTimer().Start(1);
        r.program.NextCallOut().kind = c.kindAfterStart;
        r.vp.pump.RunFor(60'000);

        const auto& log = r.vp.log;
        auto find = [&](const std::string& prefix, std::size_t from = 0) {
            for (std::size_t i = from; i < log.size(); ++i)
                if (log[i].starts_with(prefix)) return i;
            return log.size();
        };
        auto opened = [&](int clip) { return Opened(r.vp.sound, clip); };
        auto openLine = [](int clip) { return "clip " + ClipOpen(clip); };
        const int countdownLine = 196 + IndexOf(c.speaker), alarmLine = 191 + IndexOf(c.speaker);
        const std::size_t lineEnd = find("clip close", find(openLine(countdownLine)));
        ASSERT_LT(lineEnd, log.size());
        EXPECT_EQ(opened(countdownLine), 1);
        if (c.kindAfterStart == CallOutKind::kCountdown) {
            EXPECT_EQ(r.vp.sound.plays, (std::vector<RecordingSound::Play>{{201, platform::PlayMode::kWait}}));
            EXPECT_GT(find("play 0201 wait"), lineEnd);
            EXPECT_EQ(opened(alarmLine), 0);
        } else {
            EXPECT_TRUE(r.vp.sound.plays.empty());
            EXPECT_EQ(opened(alarmLine), 1);
            EXPECT_GT(find(openLine(alarmLine)), lineEnd);
        }
        EXPECT_LT(find("sleep 3000", lineEnd), log.size());
        EXPECT_EQ(SeenSign(r), Sign::kIdle);
        EXPECT_FALSE(r.program.CountdownTimer().Checking());
    }
}

}  // namespace
