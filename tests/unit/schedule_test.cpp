// The stage's schedule on virtual time: what is cleared, drawn, played and
// waited for, in which order, over whole cycles and at awkward moments.
#include <gtest/gtest.h>

#include <sstream>

#include "app/Application.h"
#include "app/frmClock.h"
#include "support/VirtualPlatform.h"

namespace {

using testing_support::VirtualPlatform;

// The log retold in larger words:
//   "clear"                 the stage was cleared
//   "walk X F"              frame F drawn at X with a 4-column trail, then 50 ms held
//   "pose X"                runs of pose steps at X: events handled, frame drawn,
//                           ten tenths of handling events and waiting; frames in `poses`
//   "play NNNN F", "sleep N", "draw X F T": as logged
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

std::string Clip(int number, int flags) {
    char text[32];
    std::snprintf(text, sizeof text, "play %04d %d", number, flags);
    return text;
}

void Walk(std::vector<std::string>& out, int from, int to, int frame) {
    for (int x = from; x <= to; x += 4) out.push_back("walk " + std::to_string(x) + " " + std::to_string(frame));
}

// One whole visit of character c, from the walk in to the walk out.
std::vector<std::string> Visit(int c) {
    std::vector<std::string> v{"clear"};
    Walk(v, -60, 8, 0);
    v.push_back(Clip(202 + 5 * c, 1));
    for (int p = 1; p <= 3; ++p) {
        v.push_back("clear");
        v.push_back(Clip(202 + 5 * c + p, 1));
        v.push_back("pose " + std::to_string(p == 1 ? 35 : p == 2 ? 76 : 117));
    }
    v.insert(v.end(), {"clear", "draw 152 5 0", Clip(206 + 5 * c, 0), "sleep 1000"});
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

class Schedule : public ::testing::Test {
protected:
    void Start(int h, int m, int s, int16_t interval, const std::string& ini = "") {
        if (!ini.empty()) vp.folder.Write("Tessuri.ini", ini);
        vp.clock.SetTime(h, m, s);
        app.clock.Main();
        app.anime.StageInterval = interval;
        app.anime.onFrameDrawn = [this](int32_t x, int16_t f, int32_t t) {
            vp.log.push_back("draw " + std::to_string(x) + " " + std::to_string(f) + " " + std::to_string(t));
        };
        app.anime.onStageCleared = [this] { vp.log.push_back("clear"); };
        vp.log.clear();
    }
    void RunSeconds(double s) { vp.pump.RunFor(static_cast<int64_t>(s * 1000)); }

    VirtualPlatform vp;
    Application app{vp.view};
};

struct CycleCase {
    const char* name;
    int16_t interval;
    int minutes;                  // the cycle's length
    std::array<int, 3> poseSecs;  // how long phases 1, 2 and 3 last
};
void PrintTo(const CycleCase& c, std::ostream* os) { *os << c.name; }

class WholeCycle : public Schedule, public ::testing::WithParamInterface<CycleCase> {};

TEST_P(WholeCycle, WalksInPosesAtThreePlacesWalksOutAndBringsTheNext) {
    const CycleCase& c = GetParam();
    Start(10, 0, 0, c.interval);
    const int first = app.anime.StageChar;
    RunSeconds(c.minutes * 60 + 5);
    const int second = app.anime.StageChar;
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
                         ::testing::Values(CycleCase{"SixtyMinutes", 3, 60, {900, 1200, 540}},
                                           CycleCase{"FiveMinutes", 0, 5, {60, 60, 60}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PhaseMap, EveryMinuteOfTheHourUnderEachCycle) {
    VirtualPlatform vp;
    Application app(vp.view);
    const char* const byMinute[4] = {
        "012340123401234012340123401234012340123401234012340123401234",
        "001122233400112223340011222334001122233400112223340011222334",
        "000001111122222333340000011111222223333400000111112222233334",
        "000000000000000111111111111111222222222222222222223333333334",
    };
    for (int16_t interval = 0; interval < 4; ++interval) {
        app.anime.StageInterval = interval;
        std::string phases;
        for (int m = 0; m < 60; ++m) phases += static_cast<char>('0' + app.anime.PhaseOfMinute(m));
        EXPECT_EQ(phases, byMinute[interval]) << "cycle code " << interval;
    }
    for (int16_t code : {-1, 4, 7, 32767}) {
        app.anime.StageInterval = code;
        EXPECT_EQ(app.anime.PhaseOfMinute(0), -1);
    }
}

TEST_F(Schedule, StartedAtMinuteThirtyThreeJoinsThePhaseWithoutWalkingIn) {
    Start(10, 33, 0, 3);
    const int c = app.anime.StageChar;
    RunSeconds(10);
    const Story story = Retell(vp.log);
    EXPECT_EQ(story.tokens, (std::vector<std::string>{"clear", Clip(204 + 5 * c, 1), "pose 76"}));
    ASSERT_GE(story.poses[0].size(), 3u);
    EXPECT_EQ(story.poses[0][0], 0);  // standing: nothing set the pose yet
    ExpectAlternating({story.poses[0].begin() + 1, story.poses[0].end()}, 1, 1, 2);
}

TEST_F(Schedule, SwitchingFromSixtyToTwentyAtMinuteFiftyTwoMovesToTheSecondPlace) {
    Start(10, 52, 0, 3);
    const int c = app.anime.StageChar;
    RunSeconds(5);
    app.anime.StageInterval = 2;  // 52 mod 20 = 12: phase 2
    RunSeconds(5);
    const Story story = Retell(vp.log);
    EXPECT_EQ(story.tokens, (std::vector<std::string>{"clear", Clip(205 + 5 * c, 1), "pose 117", "clear",
                                                      Clip(204 + 5 * c, 1), "pose 76"}));
    ASSERT_EQ(story.poses.size(), 2u);
    ExpectAlternating(story.poses[0], 3, 3, 4);
    const int carried = story.poses[0].back() == 3 ? 4 : 3;  // the frame is not reset
    EXPECT_EQ(story.poses[1][0], carried);
    ExpectAlternating({story.poses[1].begin() + 1, story.poses[1].end()}, 1, 1, 2);
}

TEST_F(Schedule, OneEnabledCharacterComesEveryCycle) {
    Start(10, 0, 0, 0, "[Setting]\nChar0=False\nChar1=False\nChar2=False\nChar3=True\nChar4=False\n");
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

TEST_F(Schedule, AnUnknownCycleCodeLeavesTheStageBareAndTheClockResting) {
    Start(10, 0, 0, 7);
    vp.pump.fired = 0;
    RunSeconds(3600);
    for (const std::string& line : vp.log) EXPECT_EQ(line.rfind("draw", 0), std::string::npos) << line;
    EXPECT_TRUE(std::find(vp.log.begin(), vp.log.end(), "clear") == vp.log.end());
    EXPECT_TRUE(vp.sound.plays.empty());
    EXPECT_LE(vp.pump.fired, 3601);  // once a second
}

TEST_F(Schedule, BetweenPhasesTheClockWakesOnceASecondAndWithinOneAtTheNextPhase) {
    Start(10, 14, 0, 3);  // the walk in happens at once, then the stage rests
    RunSeconds(5);
    vp.pump.fired = 0;
    RunSeconds(54.5);
    EXPECT_LE(vp.pump.fired, 56);
    vp.log.clear();
    RunSeconds(1.0);  // 10:15:00.5
    const Story story = Retell(vp.log);
    ASSERT_GE(story.tokens.size(), 2u);
    EXPECT_EQ(story.tokens[0], "clear");
}

}  // namespace
