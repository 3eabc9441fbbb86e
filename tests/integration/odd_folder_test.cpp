// A program folder whose name holds blanks, quotes, a non-ASCII letter and
// shell metacharacters works like any other: the settings are read and
// written there, the alarm's line plays as the media clip and the
// spoken time through one-shot clips, and the program leaves nothing in the
// folder but its settings file.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "audio_sink.h"
#include "clock_fixture.h"

namespace desktop {
namespace {

constexpr int kLeft = 120;
constexpr int kTop = 140;
const char* const kOddName = "tessuri it 'q\" \xC3\xBC $(x);|&*";

std::string AlarmSettings() {
    std::ostringstream ini;
    ini << "[Setting]\nLeft=" << kLeft << "\nTop=" << kTop << "\nZOrder=False\nEvent=7\nChar0=True\n";
    ini << "[Alerm]\nAMPM=True\nHour=10\nMinute=15\nEnabled=1\nEve=False\n";
    return ini.str();
}

TEST(OddFolder, SettingsClipsAndMediaCommandsWorkThere) {
    ProgramFolder folder(kOddName);
    ASSERT_NE(folder.dir().filename().string().find("'q\""), std::string::npos);
    audio::InstallToneClips(folder.dir());
    folder.WriteIni(AlarmSettings());
    audio::SinkRecorder recorder;
    ASSERT_TRUE(recorder.WaitReady()) << "the null sink's monitor delivers nothing";

    ClockOptions options;
    options.fake_start = "2026-12-10 10:14:58";
    auto clock = StartClock(folder, options);
    ASSERT_TRUE(clock);
    ASSERT_EQ(WaitForPlace(*clock, kLeft, kTop).x, kLeft) << "the stored place was not read";

    // The alarm fires at 10:15 and, once its call-out is over, stores itself off.
    ASSERT_TRUE(PollUntil([&] { return folder.ReadIni().value_or("").find("Enabled=0") != std::string::npos; }, 12s))
        << folder.ReadIni().value_or("<no file>") << folder.Log();
    std::this_thread::sleep_for(1s);  // the call-out has closed; the clock takes clicks again

    // The spoken time, from a click on the stage: 10:15 AM in the first voice.
    const Geometry g = SettledGeometry(*clock);
    PressMoveRelease(1, g.x + 115, g.y + 109, g.x + 115, g.y + 109);
    std::vector<audio::Heard> heard;
    PollUntil(
        [&] {
            heard = audio::JoinPieces(audio::Recognise(recorder.Snapshot().samples), 0.15);
            return heard.size() >= 5;
        },
        8s, 100ms);
    const audio::Recording recording = recorder.Stop();
    heard = audio::JoinPieces(audio::Recognise(recording.samples), 0.15);
    EXPECT_EQ(audio::Clips(heard), (std::vector<int>{191, 1, 13, 23, 32})) << audio::Describe(heard);

    // The place is saved there on the way out, and nothing else is left behind.
    ASSERT_TRUE(CloseByButton(*clock, g).has_value());
    const auto keys = SettingKeys(folder.ReadIni().value_or(""));
    EXPECT_EQ(keys.at("Left"), std::to_string(kLeft));
    EXPECT_EQ(keys.at("ZOrder"), "False");
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.dir()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"tessuri", "wav", "Tessuri.ini", "tessuri.log", "runtime"}));
}

}  // namespace
}  // namespace desktop
