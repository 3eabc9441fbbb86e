// The countdown on virtual time: when its line starts, what a restart and
// a cancel do, and what follows the line; built on its own over the
// stand-ins of support/StandIns.h, its line played through the recording
// sound layer.
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

// ---------------------------------------------------------------------------
// The countdown, with its line played through the recording sound layer.

struct CountdownRig : StandIns {
    [[nodiscard]] int Opened(int clip) const { return testing_support::Opened(sound, clip); }

    RecordingSound sound{clock, &log};
    Voice voice{sound, clock, platform::InFolder(folder.Path(), "wav")};
    Countdown countdown{clock, pump, voice, {face, sign, stage, showRestingSign}, callOut, choice};
};

class CountdownRunning : public ::testing::Test, protected CountdownRig {
protected:
    // Starts at 10:00:00 with a countdown of `minutes` set at once.
    void StartWith(int minutes) {
        clock.SetTime(10, 0, 0);
        countdown.Start(minutes);
    }
};

TEST(CountdownTiming, LineStartsTenSecondsBeforeTheEnd) {
    struct Case {
        int minutes;
        int64_t lineAfterMs;
    };
    for (const Case c : {Case{1, 50'000}, Case{2, 110'000}, Case{999, 59'930'000}}) {
        SCOPED_TRACE(c.minutes);
        CountdownRig r;
        r.clock.SetTime(10, 0, 0);
        r.countdown.Start(c.minutes);
        EXPECT_EQ(r.sign.shown, std::vector<Sign>{Sign::kCountdown});
        EXPECT_TRUE(r.countdown.Running());
        r.pump.RunFor(c.lineAfterMs - 1);
        EXPECT_EQ(r.Opened(196), 0) << "too early";
        r.pump.RunFor(1);
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
        CountdownRig r;
        r.clock.SetTime(10, 0, 0);
        r.countdown.Start(c.minutes);
        r.pump.RunFor(c.restartAfterMs);
        r.countdown.Start(c.newMinutes);
        r.pump.RunFor(c.lineAfterRestartMs - 1);
        EXPECT_EQ(r.Opened(196), 0) << "too early";
        r.pump.RunFor(1);
        EXPECT_EQ(r.Opened(196), 1);
    }
}

TEST_F(CountdownRunning, ZeroMinutesCancelsAndLeavesTheSign) {
    StartWith(1);
    pump.RunFor(10'000);
    choice.kind = CallOutKind::kAlarm;
    countdown.Start(0);
    EXPECT_EQ(countdown.Deadline(), std::nullopt);
    EXPECT_FALSE(countdown.Running());
    EXPECT_EQ(choice.kind, CallOutKind::kCountdown);
    pump.RunFor(600'000);
    EXPECT_EQ(Opened(196), 0);
    EXPECT_EQ(CallOuts(), 0);
    EXPECT_TRUE(sound.plays.empty());
    EXPECT_EQ(sign.shown, std::vector<Sign>{Sign::kCountdown});
    EXPECT_EQ(restingSigns, 0);
}

TEST(CountdownLine, TheSpeakersLineThenTheCallOutAsChosenThenTheRestingSign) {
    for (const CountdownCallOutCase& c : kCountdownCallOutCases) {
        SCOPED_TRACE(c.name);
        CountdownRig r;
        r.clock.SetTime(10, 0, 0);
        r.choice.speaker = c.speaker;
        r.countdown.Start(1);
        r.choice.kind = c.kindAfterStart;
        r.pump.RunFor(60'000);

        const int line = 196 + IndexOf(c.speaker);
        EXPECT_EQ(r.Opened(line), 1);
        const std::size_t lineEnd = r.Find("clip close", r.Find("clip " + ClipOpen(line)));
        ASSERT_LT(lineEnd, r.log.size());
        ASSERT_EQ(r.CallOuts(), 1);
        EXPECT_GT(r.Find("call-out"), lineEnd);
        EXPECT_EQ(r.callOut.presented[0].kind, c.kindAfterStart);
        EXPECT_EQ(r.callOut.presented[0].speaker, c.speaker);
        EXPECT_GT(r.Find("resting sign"), r.Find("call-out"));
        EXPECT_EQ(r.restingSigns, 1);
        EXPECT_FALSE(r.countdown.Running());
        EXPECT_FALSE(r.countdown.Checking());
    }
}

TEST_F(CountdownRunning, MissingLineGoesStraightToTheCallOut) {
    sound.missing.insert(196);
    StartWith(1);
    pump.RunFor(60'000);
    EXPECT_EQ(Opened(196), 1);
    const std::size_t open = Find("clip open 0196");
    const std::size_t callOutAt = Find("call-out countdown");
    ASSERT_LT(callOutAt, log.size());
    EXPECT_GT(Find("sleep", open), callOutAt) << "waited on a clip that never played";
    EXPECT_EQ(CallOuts(), 1);
    EXPECT_EQ(restingSigns, 1);
}

TEST_F(CountdownRunning, FaceAndStageKeepGoingWhileTheLinePlays) {
    sound.clipMs[196] = 5'000;
    StartWith(1);  // the line plays from 10:00:50 to 10:00:55
    pump.RunFor(50'000);
    ASSERT_EQ(Opened(196), 1);
    ASSERT_GT(face.redraws.size(), 100u);
    // Redraws only come while the line plays: no gap between two of them,
    // nor after the line's start, is as long as a second.
    const int64_t lineStart = (10 * 3600 + 50) * 1000LL;
    EXPECT_LT(face.redraws.front() - lineStart, 1000);
    for (std::size_t i = 1; i < face.redraws.size(); ++i)
        EXPECT_LT(face.redraws[i] - face.redraws[i - 1], 1000) << "after the redraw at " << face.redraws[i - 1];
    for (int s = 50; s <= 54; ++s) EXPECT_TRUE(face.drawnSeconds.contains(s)) << "second " << s << " never drawn";
    EXPECT_EQ(stage.steps, static_cast<int>(face.redraws.size())) << "the stage goes on with the face";
}

}  // namespace
