// The spoken time and the two ways of playing a clip, as the voice uses the
// sound layer: which clips, in which order, with which media clip calls.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/ClockRig.h"
#include "support/VirtualPlatform.h"
#include "voice/Voice.h"

namespace {

using platform::ClipError;
using platform::PlayMode;
using testing_support::ClockRig;
using testing_support::RecordingSound;
using testing_support::VirtualClock;
using testing_support::VirtualPlatform;
using Answer = RecordingSound::Answer;
using Play = RecordingSound::Play;

// A voice over the recording sound layer, its clips in "/p/wav".
struct VoiceRig {
    VirtualPlatform vp;
    Voice voice{vp.sound, vp.clock, "/p/wav"};
};

struct TimeCase {
    int hour, minute;
    Character speaker;
    std::vector<int> clips;
};
void PrintTo(const TimeCase& c, std::ostream* os) { *os << c.hour << ":" << c.minute << " " << NameOf(c.speaker); }

class TimeSignal : public ::testing::TestWithParam<TimeCase> {};

TEST_P(TimeSignal, SaysAmPmHourAndMinutesEachWaitingForTheLast) {
    const TimeCase& c = GetParam();
    VoiceRig rig;
    rig.vp.clock.SetTime(c.hour, c.minute, 10);
    rig.voice.SpeakTime(c.speaker);
    std::vector<Play> expected;
    for (int clip : c.clips) expected.push_back({clip, PlayMode::kWait});
    EXPECT_EQ(rig.vp.sound.plays, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TimeSignal,
                         ::testing::Values(TimeCase{7, 0, Character::kRumika, {1, 10, 17}},
                                           TimeCase{15, 45, Character::kShiore, {40, 44, 64, 70}},
                                           TimeCase{0, 30, Character::kRumika, {1, 15, 20}},
                                           TimeCase{12, 5, Character::kMazeri, {154, 167, 184}},
                                           TimeCase{23, 10, Character::kYatsuha, {78, 90, 94}},
                                           TimeCase{9, 7, Character::kPelulu, {115, 126, 148}},
                                           TimeCase{0, 0, Character::kShiore, {39, 53, 55}},  // midnight: AM, twelve
                                           TimeCase{
                                               12, 59, Character::kRumika, {2, 15, 27, 36}},  // noon hour: PM, twelve
                                           TimeCase{11, 11, Character::kMazeri, {153, 166, 175, 180}},
                                           TimeCase{13, 50, Character::kPelulu, {116, 118, 136}}));

TEST(TimeSignal, TheProgramsVoicePlaysFromTheFolderBesideIt) {
    ClockRig rig;
    EXPECT_EQ(rig.program.VoiceClips().ClipPath(191), rig.vp.folder.Path() + "/wav/0191.wav");
}

TEST(TimeSignal, ReadsTheClockAfreshForEachWord) {
    // At 10:59:59.5 with a half-second first word, the hour and minute are
    // read after the minute has turned: the announcement says 11:00.
    VoiceRig rig;
    rig.vp.sound.clipMs[1] = 600;
    rig.vp.clock.SetTime(10, 59, 59, 500);
    rig.voice.SpeakTime(Character::kRumika);
    EXPECT_EQ(rig.vp.sound.plays,
              (std::vector<Play>{{1, PlayMode::kWait}, {14, PlayMode::kWait}, {17, PlayMode::kWait}}));
}

// The media clip calls, against scripted answers of the sound layer.
class MediaClip : public ::testing::Test, protected VoiceRig {
protected:
    std::vector<std::string>& Calls() { return vp.sound.clipCalls; }
};

TEST_F(MediaClip, AClipThatWillNotOpenIsClosedAndNeverPlayed) {
    for (ClipError error : {ClipError::kFileNotFound, ClipError::kUnreadableFile, ClipError::kAlreadyOpen}) {
        SCOPED_TRACE(static_cast<int>(error));
        Calls().clear();
        vp.sound.script = {Answer{error}, Answer{}};
        EXPECT_FALSE(voice.OpenAndPlay(196));
        EXPECT_EQ(Calls(), (std::vector<std::string>{"open 0196", "close"}));
    }
    EXPECT_TRUE(vp.sound.plays.empty());
}

TEST_F(MediaClip, AFailedQueryClosesTheClipAndCountsAsNotPlaying) {
    vp.sound.script = {Answer{}, Answer{}, Answer{ClipError::kNotOpen}, Answer{}};
    ASSERT_TRUE(voice.OpenAndPlay(196));
    EXPECT_EQ(voice.IsPlaying(), std::nullopt);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"open 0196", "play", "query", "close"}));
}

TEST_F(MediaClip, PlaysUntilTheQuerySaysItHasEndedAndIsThenClosed) {
    vp.sound.script = {Answer{}, Answer{},  // open, play
                       Answer{ClipError::kNone, true}, Answer{ClipError::kNone, true}, Answer{ClipError::kNone, false}};
    ASSERT_TRUE(voice.OpenAndPlay(196));
    std::vector<std::optional<bool>> polls;
    for (std::optional<bool> p = true; p.value_or(false);) polls.push_back(p = voice.IsPlaying());
    EXPECT_EQ(polls, (std::vector<std::optional<bool>>{true, true, false}));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"open 0196", "play", "query", "query", "query", "close"}));
}

// Notes the paths the voice hands to the sound layer.
class PathSound final : public platform::Sound {
public:
    std::vector<std::string> paths;
    void PlaySound(const std::string& path, PlayMode) override { paths.push_back(path); }
    ClipError OpenClip(const std::string& path) override {
        paths.push_back(path);
        return ClipError::kNone;
    }
    ClipError PlayClip() override { return ClipError::kNone; }
    platform::ClipQuery IsClipPlaying() override { return {}; }
    ClipError CloseClip() override { return ClipError::kNone; }
};

TEST(ClipPath, AFolderWithQuotesAndBlanksStaysOnePath) {
    const std::string folder = "/home/o'hara/Tessuri \"new\"/wav";
    VirtualClock clock;
    PathSound sound;
    Voice voice(sound, clock, folder);
    ASSERT_TRUE(voice.OpenAndPlay(196));
    voice.PlayClip(201, PlayMode::kNoWait);
    EXPECT_EQ(sound.paths, (std::vector<std::string>{folder + "/0196.wav", folder + "/0201.wav"}));
}

}  // namespace
