// The spoken time and the two ways of playing a clip, as the modules use
// the sound layer: which clips, in which order, with which commands.
#include <gtest/gtest.h>

#include "app/Application.h"
#include "support/VirtualPlatform.h"

namespace {

using testing_support::RecordingSound;
using testing_support::VirtualPlatform;
using Play = RecordingSound::Play;

struct TimeCase {
    int hour, minute, character;
    std::vector<int> clips;
};
void PrintTo(const TimeCase& c, std::ostream* os) { *os << c.hour << ":" << c.minute << " voice " << c.character; }

class TimeSignal : public ::testing::TestWithParam<TimeCase> {};

TEST_P(TimeSignal, SaysAmPmHourAndMinutesEachWaitingForTheLast) {
    const TimeCase& c = GetParam();
    VirtualPlatform vp;
    Application app(vp.view);
    app.voice.BuildVoiceTables();
    app.anime.StageChar = static_cast<int16_t>(c.character);
    vp.clock.SetTime(c.hour, c.minute, 10);
    app.voice.SpeakTime();
    std::vector<Play> expected;
    for (int clip : c.clips) expected.push_back({clip, 0});
    EXPECT_EQ(vp.sound.plays, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TimeSignal,
                         ::testing::Values(TimeCase{7, 0, 0, {1, 10, 17}}, TimeCase{15, 45, 1, {40, 44, 64, 70}},
                                           TimeCase{0, 30, 0, {1, 15, 20}}, TimeCase{12, 5, 4, {154, 167, 184}},
                                           TimeCase{23, 10, 2, {78, 90, 94}}, TimeCase{9, 7, 3, {115, 126, 148}},
                                           TimeCase{0, 0, 1, {39, 53, 55}},      // midnight: AM, twelve
                                           TimeCase{12, 59, 0, {2, 15, 27, 36}},  // noon hour: PM, twelve
                                           TimeCase{11, 11, 4, {153, 166, 175, 180}},
                                           TimeCase{13, 50, 3, {116, 118, 136}}));

TEST(TimeSignal, PlaysFromTheVoiceFolderBesideTheProgram) {
    VirtualPlatform vp;
    Application app(vp.view);
    app.voice.BuildVoiceTables();
    EXPECT_EQ(app.voice.WavPath, vp.folder.Path() + "/wav/");
}

TEST(TimeSignal, ReadsTheClockAfreshForEachWord) {
    // At 10:59:59.5 with a half-second first word, the hour and minute are
    // read after the minute has turned: the announcement says 11:00.
    VirtualPlatform vp;
    Application app(vp.view);
    app.voice.BuildVoiceTables();
    vp.sound.clipMs[1] = 600;
    vp.clock.SetTime(10, 59, 59, 500);
    app.voice.SpeakTime();
    EXPECT_EQ(vp.sound.plays, (std::vector<Play>{{1, 0}, {14, 0}, {17, 0}}));
}

// The media calls, against scripted replies of the sound layer.
class MediaCalls : public ::testing::Test {
protected:
    MediaCalls() { app.voice.BuildVoiceTables(); }
    VirtualPlatform vp;
    Application app{vp.view};
    const std::string open = "open \"/p/wav/0196.wav\" type waveaudio alias wavefiles";
};

TEST_F(MediaCalls, AFileThatWillNotOpenIsClosedAndNeverPlayed) {
    vp.sound.replies = {{2, ""}, {0, ""}, {5, ""}, {0, ""}};
    app.voice.MciOpenAndPlay("/p/wav/0196.wav", nullptr);
    EXPECT_EQ(app.voice.MciIsPlaying(nullptr), std::nullopt);
    EXPECT_EQ(vp.log, (std::vector<std::string>{"mci " + open, "error-text 2", "mci close wavefiles",
                                                "mci status wavefiles mode", "error-text 5", "mci close wavefiles"}));
}

TEST_F(MediaCalls, OnlyExactlyStoppedEndsThePlaying) {
    vp.sound.replies = {{0, ""}, {0, ""},  // open, play
                        {0, "playing"}, {0, "seeking"}, {0, "paused"}, {0, ""}, {0, "Stopped"},
                        {0, std::string("stopped\0playing", 15)}};
    app.voice.MciOpenAndPlay("/p/wav/0196.wav", nullptr);
    std::vector<std::optional<bool>> polls;
    for (std::optional<bool> p = true; p.value_or(false);) polls.push_back(p = app.voice.MciIsPlaying(nullptr));
    EXPECT_EQ(polls, (std::vector<std::optional<bool>>{true, true, true, true, true, false}));
    EXPECT_EQ(vp.sound.commands.back(), "close wavefiles");
    EXPECT_EQ(vp.sound.commands[vp.sound.commands.size() - 2], "stop wavefiles");
    EXPECT_EQ(vp.sound.commands[1], "play wavefiles");
}

}  // namespace
