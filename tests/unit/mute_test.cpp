// The stage menu's mute: stored under its own key, read at start, and
// silencing the stage and the spoken time while the alarm still sounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/Application.h"
#include "app/frmClock.h"
#include "platform/IniFile.h"
#include "support/VirtualPlatform.h"

namespace {

using testing_support::VirtualPlatform;

std::string StoredMute(VirtualPlatform& vp) {
    return platform::IniFile().GetString("Setting", "Mute", "<missing>", vp.folder.File("Tessuri.ini"));
}

TEST(Mute, IsWrittenOnlyWhenChosenAndReadBackAtTheNextStart) {
    VirtualPlatform vp;
    {
        Application app(vp.view);
        vp.clock.SetTime(10, 0, 0);
        app.clock.Main();
        EXPECT_FALSE(app.voice.Mute);
        EXPECT_EQ(StoredMute(vp), "<missing>") << "a start must not add the key";
        app.clockWindow->mnuMute_Click();
        EXPECT_TRUE(app.voice.Mute);
        EXPECT_EQ(StoredMute(vp), "True");
    }
    {
        Application app(vp.view);
        app.clock.Main();
        EXPECT_TRUE(app.voice.Mute);
        app.clockWindow->mnuMute_Click();
        EXPECT_FALSE(app.voice.Mute);
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
    VirtualPlatform vp;
    Application app(vp.view);
    vp.folder.Write("Tessuri.ini", std::string("[Setting]\nMute=") + (c.muted ? "True" : "False") +
                                       "\n[Alerm]\nAMPM=True\nHour=10\nMinute=03\nEnabled=1\nEve=False\n");
    vp.clock.SetTime(10, 0, 0);
    app.clock.Main();
    app.anime.StageInterval = 0;  // a whole five-minute cycle, with the alarm inside it
    vp.pump.RunFor(5 * 60'000 + 5'000);
    const std::size_t stagePlays = vp.sound.plays.size();
    app.clockWindow->picAnimeStage_Click();
    const std::size_t spoken = vp.sound.plays.size() - stagePlays;

    EXPECT_EQ(stagePlays == 0, c.muted) << stagePlays << " stage clips";
    EXPECT_EQ(spoken == 0, c.muted) << spoken << " words";
    const auto alarmOpens = std::count_if(vp.sound.commands.begin(), vp.sound.commands.end(),
                                          [](const std::string& s) { return s.starts_with("open \""); });
    EXPECT_EQ(alarmOpens, 1) << "the alarm's line must sound, muted or not";
}

INSTANTIATE_TEST_SUITE_P(Cases, MutedClock,
                         ::testing::Values(MuteCase{"Muted", true}, MuteCase{"NotMuted", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
