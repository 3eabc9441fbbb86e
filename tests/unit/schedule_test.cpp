// The stage's schedule on virtual time: what is cleared, drawn, played and
// waited for, in which order, over whole cycles and at awkward moments.
// The schedule runs on its own, over a real canvas, a voice on the
// recording sound layer and a stand-in for the face, with the clock's tick
// given by the test; the whole program comes in where the point is how the
// tick rests while the stage does.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Program.h"
#include "platform/Form.h"
#include "stage/Stage.h"
#include "stage/StageCanvas.h"
#include "support/ClockRig.h"
#include "support/VirtualPlatform.h"
#include "voice/Voice.h"

namespace {

using testing_support::ClockRig;
using testing_support::VirtualClock;
using testing_support::VirtualPlatform;

// The log retold in larger words:
//   "clear"                 the stage was cleared
//   "walk X F"              frame F drawn at X with a 4-column trail, then 50 ms held
//   "pose X"                runs of pose steps at X: events handled, frame drawn,
//                           ten tenths of handling events and waiting; frames in `poses`
//   "play NNNN wait|nowait", "sleep N", "draw X F T": as logged
struct Story {
    std::vector<std::string> tokens;
    std::vector<std::vector<int>> poses;  // the frames of each "pose X" run
};

bool IsPoseStep(const std::vector<std::string>& log, std::size_t i, int* x, int* frame) {
    if (i + 21 >= log.size() + 1 || log[i] != "pump") return false;
    int trail = -1;
    if (std::sscanf(log[i + 1].c_str(), "draw %d %d %d", x, frame, &trail) != 3 || trail != 0) return false;
    for (int k = 0; k < 10; ++k)
        if (log[i + 2 + 2 * k] != "pump" || log[i + 3 + 2 * k] != "sleep 100") return false;
    return true;
}

Story Retell(const std::vector<std::string>& log) {
    Story s;
    for (std::size_t i = 0; i < log.size();) {
        int x = 0, frame = 0, trail = 0;
        if (IsPoseStep(log, i, &x, &frame)) {
            const std::string token = "pose " + std::to_string(x);
            if (s.tokens.empty() || s.tokens.back() != token) {
                s.tokens.push_back(token);
                s.poses.emplace_back();
            }
            s.poses.back().push_back(frame);
            i += 22;
        } else if (std::sscanf(log[i].c_str(), "draw %d %d %d", &x, &frame, &trail) == 3 && trail == 4 &&
                   i + 1 < log.size() && log[i + 1] == "sleep 50") {
            s.tokens.push_back("walk " + std::to_string(x) + " " + std::to_string(frame));
            i += 2;
        } else {
            s.tokens.push_back(log[i]);
            i += 1;
        }
    }
    return s;
}

enum class Wait { kNo, kYes };

std::string Clip(int number, Wait wait) {
    char text[32];
    std::snprintf(text, sizeof text, "play %04d %s", number, wait == Wait::kYes ? "wait" : "nowait");
    return text;
}

void Walk(std::vector<std::string>& out, int from, int to, int frame) {
    for (int x = from; x <= to; x += 4) out.push_back("walk " + std::to_string(x) + " " + std::to_string(frame));
}

// One whole visit of character c, from the walk in to the walk out: the
// five stage clips of c's block, from 202 + 5c on.
std::vector<std::string> Visit(Character character) {
    const int c = IndexOf(character);
    std::vector<std::string> v{"clear"};
    Walk(v, -60, 8, 0);
    v.push_back(Clip(202 + 5 * c, Wait::kNo));
    for (int p = 1; p <= 3; ++p) {
        v.push_back("clear");
        v.push_back(Clip(202 + 5 * c + p, Wait::kNo));
        v.push_back("pose " + std::to_string(p == 1 ? 35 : p == 2 ? 76 : 117));
    }
    v.insert(v.end(), {"clear", "draw 152 5 0", Clip(206 + 5 * c, Wait::kYes), "sleep 1000"});
    Walk(v, 152, 232, 5);
    return v;
}

// Frames alternate between a and b, beginning with `first`.
void ExpectAlternating(const std::vector<int>& frames, int first, int a, int b) {
    ASSERT_FALSE(frames.empty());
    int want = first;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        ASSERT_EQ(frames[i], want) << "pose step " << i;
        want = (want == a) ? b : a;
    }
}

// Notes the drawing and clearing on the stage in the log.
void FollowInLog(StageCanvas& canvas, std::vector<std::string>& log) {
    canvas.onFrameDrawn = [&log](int32_t x, int f, int32_t t) {
        log.push_back("draw " + std::to_string(x) + " " + std::to_string(f) + " " + std::to_string(t));
    };
    canvas.onStageCleared = [&log] { log.emplace_back("clear"); };
}

// The face: notes the moment (milliseconds of the virtual clock) of every
// request to bring it up to date.
class NotedFace final : public ClockDisplay {
public:
    explicit NotedFace(VirtualClock& clock) : clock_(clock) {}
    void UpdateClockDisplay() override { updates.push_back(clock_.nowMs); }
    std::vector<int64_t> updates;

private:
    VirtualClock& clock_;
};

class Schedule : public ::testing::Test {
protected:
    Schedule() {
        FollowInLog(canvas, vp.log);
        // As on a first start: every character may come.
        for (Character c : kAllCharacters) stage.SetAllowed(c, true);
    }
    // The clock at h:m:s and the stage as the program sets it up at start:
    // the cycle, and the first character drawn.
    void Start(int h, int m, int s, int16_t cycle, int ms = 0) {
        vp.clock.SetTime(h, m, s, ms);
        stage.SetCycle(cycle);
        stage.PickStageCharacter(false);
        vp.log.clear();
    }
    // The clock's tick while the stage has work on every tick, for s
    // seconds: a step of the stage 100 ms after the last one ended.
    void RunSeconds(double s) {
        const int64_t end = vp.clock.nowMs + static_cast<int64_t>(s * 1000);
        while (vp.clock.nowMs + Program::kTickMs < end) {
            vp.clock.Advance(Program::kTickMs);
            stage.AnimateStage();
        }
        if (vp.clock.nowMs < end) vp.clock.Advance(end - vp.clock.nowMs);
    }

    VirtualPlatform vp;
    platform::Form window{"stage"};
    platform::PictureBox& area = window.AddPictureBox(9, 59, 212, 100);
    StageCanvas canvas{area};
    Voice voice{vp.sound, vp.clock, "/p/wav"};
    NotedFace face{vp.clock};
    Stage stage{{vp.clock, vp.pump, vp.random}, canvas, voice, face};
};

struct CycleCase {
    const char* name;
    int16_t cycle;
    int minutes;                  // the cycle's length
    std::array<int, 3> poseSecs;  // how long phases 1, 2 and 3 last
};
void PrintTo(const CycleCase& c, std::ostream* os) { *os << c.name; }

class WholeCycle : public Schedule, public ::testing::WithParamInterface<CycleCase> {};

TEST_P(WholeCycle, WalksInPosesAtThreePlacesWalksOutAndBringsTheNext) {
    const CycleCase& c = GetParam();
    Start(10, 0, 0, c.cycle);
    const Character first = stage.OnStage();
    RunSeconds(c.minutes * 60 + 5);
    const Character second = stage.OnStage();
    EXPECT_NE(first, second);

    const Story story = Retell(vp.log);
    std::vector<std::string> expected = Visit(first);
    const std::vector<std::string> next = Visit(second);
    expected.insert(expected.end(), next.begin(), next.begin() + 20);  // the next walk in
    EXPECT_EQ(story.tokens, expected);

    ASSERT_EQ(story.poses.size(), 3u);
    ExpectAlternating(story.poses[0], 1, 1, 2);
    ExpectAlternating(story.poses[1], story.poses[0].back() == 1 ? 2 : 1, 1, 2);
    ExpectAlternating(story.poses[2], 3, 3, 4);
    for (int p = 0; p < 3; ++p) {
        // A pose step is a second held, then the next tick 100 ms later.
        const double steps = c.poseSecs[p] / 1.1;
        EXPECT_NEAR(static_cast<double>(story.poses[p].size()), steps, 2.0) << "phase " << p + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeCycle,
                         ::testing::Values(CycleCase{"SixtyMinutes", Stage::kEveryHour, 60, {900, 1200, 540}},
                                           CycleCase{"FiveMinutes", 0, 5, {60, 60, 60}}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(Schedule, EveryMinuteOfTheHourUnderEachCycle) {
    const char* const byMinute[4] = {
        "012340123401234012340123401234012340123401234012340123401234",
        "001122233400112223340011222334001122233400112223340011222334",
        "000001111122222333340000011111222223333400000111112222233334",
        "000000000000000111111111111111222222222222222222223333333334",
    };
    for (int16_t cycle = 0; cycle < 4; ++cycle) {
        stage.SetCycle(cycle);
        std::string phases;
        for (int m = 0; m < 60; ++m) phases += static_cast<char>('0' + stage.PhaseOfMinute(m));
        EXPECT_EQ(phases, byMinute[cycle]) << "cycle code " << cycle;
    }
    for (int16_t code : {Stage::kNoCycle, int16_t{4}, int16_t{7}, int16_t{32767}}) {
        stage.SetCycle(code);
        EXPECT_EQ(stage.PhaseOfMinute(0), -1) << code;
    }
}

TEST_F(Schedule, StartedAtMinuteThirtyThreeJoinsThePhaseWithoutWalkingIn) {
    Start(10, 33, 0, Stage::kEveryHour);
    const int c = IndexOf(stage.OnStage());
    RunSeconds(10);
    const Story story = Retell(vp.log);
    EXPECT_EQ(story.tokens, (std::vector<std::string>{"clear", Clip(204 + 5 * c, Wait::kNo), "pose 76"}));
    ASSERT_GE(story.poses[0].size(), 3u);
    EXPECT_EQ(story.poses[0][0], 0);  // standing: nothing set the pose yet
    ExpectAlternating({story.poses[0].begin() + 1, story.poses[0].end()}, 1, 1, 2);
}

TEST_F(Schedule, SwitchingFromSixtyToTwentyAtMinuteFiftyTwoMovesToTheSecondPlace) {
    Start(10, 52, 0, Stage::kEveryHour);
    const int c = IndexOf(stage.OnStage());
    RunSeconds(5);
    stage.SetCycle(2);  // 52 mod 20 = 12: phase 2
    RunSeconds(5);
    const Story story = Retell(vp.log);
    EXPECT_EQ(story.tokens, (std::vector<std::string>{"clear", Clip(205 + 5 * c, Wait::kNo), "pose 117", "clear",
                                                      Clip(204 + 5 * c, Wait::kNo), "pose 76"}));
    ASSERT_EQ(story.poses.size(), 2u);
    ExpectAlternating(story.poses[0], 3, 3, 4);
    const int carried = story.poses[0].back() == 3 ? 4 : 3;  // the frame is not reset
    EXPECT_EQ(story.poses[1][0], carried);
    ExpectAlternating({story.poses[1].begin() + 1, story.poses[1].end()}, 1, 1, 2);
}

TEST_F(Schedule, OneAllowedCharacterComesEveryCycle) {
    for (Character c : kAllCharacters) stage.SetAllowed(c, c == Character::kPelulu);
    Start(10, 0, 0, 0);
    RunSeconds(15 * 60);
    int plays = 0;
    for (const std::string& t : Retell(vp.log).tokens)
        if (t.rfind("play ", 0) == 0) {
            ++plays;
            const int clip = std::stoi(t.substr(5, 4));
            EXPECT_TRUE(clip >= 217 && clip <= 221) << t;  // Pelulu's block
        }
    EXPECT_EQ(plays, 15);  // five clips in each of three cycles
}

TEST_F(Schedule, APoseKeepsTheFaceUpToDateAndShowsEachNewSecondAsItComes) {
    // Ticks that fall 50 ms into the second: the tenths of a pose straddle
    // each change of the second.
    Start(10, 15, 0, Stage::kEveryHour, 50);
    RunSeconds(10);
    ASSERT_FALSE(face.updates.empty());
    for (std::size_t i = 1; i < face.updates.size(); ++i)
        EXPECT_LE(face.updates[i] - face.updates[i - 1], 200) << "update " << i;
    const int64_t from = face.updates.front() / 1000 + 1, to = face.updates.back() / 1000;
    for (int64_t second = from; second <= to; ++second) {
        const bool shownInTime = std::any_of(face.updates.begin(), face.updates.end(), [&](int64_t at) {
            return at >= second * 1000 && at <= second * 1000 + Stage::kSecondMarginMs;
        });
        EXPECT_TRUE(shownInTime) << "second " << second % 60;
    }
}

TEST_F(Schedule, WithTwoOrMoreAllowedTheNextCharacterIsNeverTheOneOnTheStage) {
    for (Character c : kAllCharacters)
        stage.SetAllowed(c, c == Character::kShiore || c == Character::kPelulu || c == Character::kMazeri);
    stage.PutOnStage(Character::kPelulu);
    stage.MarkPhaseEntered(3);
    vp.random.script = {0.5, 0.5, 0.99};  // draws Pelulu, Pelulu, then Mazeri
    stage.PickStageCharacter(true);
    EXPECT_EQ(stage.OnStage(), Character::kMazeri);
    EXPECT_EQ(vp.random.reseedCalls, 1);
    EXPECT_EQ(stage.PhaseEntered(), -1) << "a new character starts the phase afresh";

    for (Character c : kAllCharacters) stage.SetAllowed(c, c == Character::kShiore);
    stage.PutOnStage(Character::kShiore);
    stage.MarkPhaseEntered(3);
    stage.PickStageCharacter(true);
    EXPECT_EQ(stage.OnStage(), Character::kShiore);
    EXPECT_EQ(stage.PhaseEntered(), 3) << "the same character: the phase goes on";
}

// ---------------------------------------------------------------------------
// The stage in the running program, on its tick.

TEST(StageOnTheClock, AnUnknownCycleCodeInTheFileLeavesTheStageBareAndTheClockResting) {
    ClockRig rig;
    FollowInLog(rig.program.Canvas(), rig.vp.log);
    rig.Start(10, 0, 0, "[Setting]\nEvent=7\n");
    rig.vp.pump.fired = 0;
    rig.vp.pump.RunFor(3600 * 1000);
    for (const std::string& line : rig.vp.log) EXPECT_EQ(line.rfind("draw", 0), std::string::npos) << line;
    EXPECT_TRUE(std::find(rig.vp.log.begin(), rig.vp.log.end(), "clear") == rig.vp.log.end());
    EXPECT_TRUE(rig.vp.sound.plays.empty());
    EXPECT_LE(rig.vp.pump.fired, 3601);  // once a second
}

TEST(StageOnTheClock, BetweenPhasesTheClockWakesOnceASecondAndWithinOneAtTheNextPhase) {
    ClockRig rig;
    FollowInLog(rig.program.Canvas(), rig.vp.log);
    rig.Start(10, 14, 0);  // every hour: the walk in happens at once, then the stage rests
    rig.vp.pump.RunFor(5000);
    rig.vp.pump.fired = 0;
    rig.vp.pump.RunFor(54'500);
    EXPECT_LE(rig.vp.pump.fired, 56);
    rig.vp.log.clear();
    rig.vp.pump.RunFor(1000);  // 10:15:00.5
    const Story story = Retell(rig.vp.log);
    ASSERT_GE(story.tokens.size(), 2u);
    EXPECT_EQ(story.tokens[0], "clear");
}

}  // namespace
