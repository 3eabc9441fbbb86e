// The stage menu's mute: stored under its own key, read at start, and
// silencing the stage and the spoken time while the alarm still sounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/Program.h"
#include "support/ClockRig.h"
#include "support/VirtualPlatform.h"

namespace {

using testing_support::ClockRig;
using testing_support::VirtualPlatform;

std::string StoredMute(VirtualPlatform& vp) {
    return platform::IniFile().GetString("Setting", "Mute", "<missing>", vp.folder.File("Tessuri.ini"));
}

TEST(Mute, IsWrittenOnlyWhenChosenAndReadBackAtTheNextStart) {
    VirtualPlatform vp;
    {
        Program program(vp.view);
        vp.clock.SetTime(10, 0, 0);
        program.Start();
        EXPECT_FALSE(program.VoiceClips().Muted());
        EXPECT_EQ(StoredMute(vp), "<missing>") << "a start must not add the key";
        program.ToggleMute();
        EXPECT_TRUE(program.VoiceClips().Muted());
        EXPECT_EQ(StoredMute(vp), "True");
    }
    {
        Program program(vp.view);
        program.Start();
        EXPECT_TRUE(program.VoiceClips().Muted());
        program.ToggleMute();
        EXPECT_FALSE(program.VoiceClips().Muted());
        EXPECT_EQ(StoredMute(vp), "False");
    }
}

struct MuteCase {
    const char* name;
    bool muted;
};
void PrintTo(const MuteCase& c, std::ostream* os) { *os << c.name; }

class MutedClock : public ::testing::TestWithParam<MuteCase> {};

TEST_P(MutedClock, StageAndTimeSignalFollowTheChoiceAndTheAlarmAlwaysSounds) {
    const MuteCase& c = GetParam();
    ClockRig rig;
    rig.Start(10, 0, 0,
              std::string("[Setting]\nMute=") + (c.muted ? "True" : "False") +
                  "\n[Alerm]\nAMPM=True\nHour=10\nMinute=03\nEnabled=1\nEve=False\n");
    rig.program.StageSchedule().SetCycle(0);  // a whole five-minute cycle, with the alarm inside it
    rig.vp.pump.RunFor(5 * 60'000 + 5'000);
    const std::size_t stagePlays = rig.vp.sound.plays.size();
    rig.program.Window().StageArea().onClick();  // a click on the stage speaks the time
    const std::size_t spoken = rig.vp.sound.plays.size() - stagePlays;

    EXPECT_EQ(stagePlays == 0, c.muted) << stagePlays << " stage clips";
    EXPECT_EQ(spoken == 0, c.muted) << spoken << " words";
    const std::vector<std::string>& calls = rig.vp.sound.clipCalls;
    const auto alarmOpens =
        std::count_if(calls.begin(), calls.end(), [](const std::string& s) { return s.starts_with("open "); });
    EXPECT_EQ(alarmOpens, 1) << "the alarm's line must sound, muted or not";
}

INSTANTIATE_TEST_SUITE_P(Cases, MutedClock, ::testing::Values(MuteCase{"Muted", true}, MuteCase{"NotMuted", false}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
