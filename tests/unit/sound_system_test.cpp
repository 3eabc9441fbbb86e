// The sound layer's one-shot clips and its media clip, over an output that
// only notes what it was asked to do.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/SoundSystem.h"
#include "support/VirtualPlatform.h"

namespace {

using platform::AudioClip;
using platform::Channel;
using platform::ClipError;
using platform::SoundSystem;
using testing_support::TempFolder;

// Notes every request; a channel plays for as many Playing() queries as
// `pollsLeft` says.
class NotingOutput final : public platform::AudioOutput {
public:
    std::vector<std::string> log;
    int pollsLeft = 2;
    void Start(Channel ch, const AudioClip& clip) override {
        log.push_back(Name(ch) + " start " + std::to_string(clip.DurationMs()) + "ms");
    }
    bool Playing(Channel) override { return pollsLeft-- > 0; }
    void Stop(Channel ch) override { log.push_back(Name(ch) + " stop"); }
    void Wait(Channel ch) override { log.push_back(Name(ch) + " wait"); }

private:
    static std::string Name(Channel ch) { return ch == Channel::kOneShot ? "oneshot" : "media"; }
};

// A WAV file of `ms` milliseconds of silence, 22050 Hz mono 16-bit.
std::string Wav(int ms) {
    const uint32_t data = 22050u * 2u * static_cast<uint32_t>(ms) / 1000u;
    std::string b = "RIFF____WAVEfmt ";
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&](uint16_t v) {
        for (int i = 0; i < 2; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    u32(16);
    u16(1);
    u16(1);
    u32(22050);
    u32(44100);
    u16(2);
    u16(16);
    b += "data";
    u32(data);
    b.append(data, '\0');
    const uint32_t riff = static_cast<uint32_t>(b.size() - 8);
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<char>((riff >> (8 * i)) & 0xFF);
    return b;
}

class SoundLayer : public ::testing::Test {
protected:
    SoundLayer() { folder.Write("0203.wav", Wav(500)); }

    TempFolder folder;
    NotingOutput output;
    SoundSystem sound{output};
};

using Query = std::pair<ClipError, bool>;
Query Ask(platform::Sound& sound) {
    const platform::ClipQuery q = sound.IsClipPlaying();
    return {q.error, q.playing};
}

TEST_F(SoundLayer, AClipPlaysFromPlayClipToItsEndAndCloseSilencesIt) {
    ASSERT_EQ(sound.OpenClip(folder.File("0203.wav")), ClipError::kNone);
    // The output would say "playing" now: the clip itself has not started.
    EXPECT_EQ(Ask(sound), Query(ClipError::kNone, false));
    EXPECT_EQ(sound.PlayClip(), ClipError::kNone);
    EXPECT_EQ(Ask(sound), Query(ClipError::kNone, true));
    EXPECT_EQ(Ask(sound), Query(ClipError::kNone, true));
    EXPECT_EQ(Ask(sound), Query(ClipError::kNone, false));  // played to its end
    EXPECT_EQ(sound.CloseClip(), ClipError::kNone);
    EXPECT_EQ(output.log, (std::vector<std::string>{"media start 500ms", "media stop"}));
    // Closed: another clip can be opened.
    EXPECT_EQ(sound.OpenClip(folder.File("0203.wav")), ClipError::kNone);
}

TEST_F(SoundLayer, OpeningWhileAClipIsOpenFailsAndLeavesThatOnePlaying) {
    folder.Write("0204.wav", Wav(200));
    ASSERT_EQ(sound.OpenClip(folder.File("0203.wav")), ClipError::kNone);
    ASSERT_EQ(sound.PlayClip(), ClipError::kNone);
    EXPECT_EQ(sound.OpenClip(folder.File("0204.wav")), ClipError::kAlreadyOpen);
    EXPECT_EQ(sound.OpenClip(folder.File("0203.wav")), ClipError::kAlreadyOpen);
    EXPECT_EQ(sound.OpenClip(folder.File("0999.wav")), ClipError::kAlreadyOpen);
    EXPECT_EQ(Ask(sound), Query(ClipError::kNone, true));
    EXPECT_EQ(sound.PlayClip(), ClipError::kNone);
    EXPECT_EQ(output.log, (std::vector<std::string>{"media start 500ms", "media start 500ms"}));
}

TEST_F(SoundLayer, WithNoClipOpenEveryCallFailsAndTheOutputIsLeftAlone) {
    for (const bool openedBefore : {false, true}) {
        SCOPED_TRACE(openedBefore ? "after a close" : "never opened");
        if (openedBefore) {
            ASSERT_EQ(sound.OpenClip(folder.File("0203.wav")), ClipError::kNone);
            ASSERT_EQ(sound.CloseClip(), ClipError::kNone);
        }
        output.log.clear();
        EXPECT_EQ(sound.PlayClip(), ClipError::kNotOpen);
        EXPECT_EQ(Ask(sound), Query(ClipError::kNotOpen, false));
        EXPECT_EQ(sound.CloseClip(), ClipError::kNotOpen);
        EXPECT_TRUE(output.log.empty()) << output.log.front();
    }
}

struct OpenCase {
    const char* name;
    std::string file;  // written into the folder first, a 200 ms clip; "" for none
    std::string path;  // "DIR/" at its start stands for the folder
    ClipError error;
};
void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class Opening : public SoundLayer, public ::testing::WithParamInterface<OpenCase> {};

// Whatever a path holds is the name of one file: an opened clip is that
// file's, and a failed open leaves nothing open and plays nothing.
TEST_P(Opening, TakesThePathAsOneFileName) {
    const OpenCase& c = GetParam();
    folder.Write("text.wav", "this is not a sound\n");
    if (!c.file.empty()) folder.Write(c.file, Wav(200));
    std::string path = c.path;
    if (path.starts_with("DIR/")) path.replace(0, 4, folder.Path() + "/");
    ASSERT_EQ(sound.OpenClip(path), c.error);
    if (c.error == ClipError::kNone) {
        EXPECT_EQ(sound.PlayClip(), ClipError::kNone);
        EXPECT_EQ(output.log, (std::vector<std::string>{"media start 200ms"}));
        return;
    }
    EXPECT_EQ(sound.PlayClip(), ClipError::kNotOpen);
    EXPECT_EQ(Ask(sound), Query(ClipError::kNotOpen, false));
    EXPECT_TRUE(output.log.empty()) << output.log.front();
    EXPECT_EQ(sound.OpenClip(folder.File("0203.wav")), ClipError::kNone) << "the failed open left a clip open";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Opening,
    ::testing::Values(OpenCase{"MissingFile", "", "DIR/0999.wav", ClipError::kFileNotFound},
                      OpenCase{"NotAWav", "", "DIR/text.wav", ClipError::kUnreadableFile},
                      OpenCase{"AFolder", "", "DIR/", ClipError::kUnreadableFile},
                      OpenCase{"Empty", "", "", ClipError::kFileNotFound},
                      // Cut at its NUL the path would name a clip that is there.
                      OpenCase{"ANulInside", "", std::string("DIR/0203.wav\0.wav", 17), ClipError::kFileNotFound},
                      OpenCase{"ANulAtTheEnd", "", std::string("DIR/0203.wav\0", 13), ClipError::kFileNotFound},
                      OpenCase{"QuotesInTheName", "say \"hi\".wav", "DIR/say \"hi\".wav", ClipError::kNone},
                      OpenCase{"MediaWordsInTheName", "x\" type waveaudio alias wavefiles",
                               "DIR/x\" type waveaudio alias wavefiles", ClipError::kNone},
                      OpenCase{"ALineBreakInTheName", "a\nclose wavefiles", "DIR/a\nclose wavefiles", ClipError::kNone},
                      // A real clip's path with more after it is some other file.
                      OpenCase{"MoreAfterARealClip", "", "DIR/0203.wav\" play wavefiles \"", ClipError::kFileNotFound}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SoundLayer, OneShotClipsWaitOnlyWhenAskedTo) {
    sound.PlaySound(folder.File("0203.wav"), platform::PlayMode::kWait);
    sound.PlaySound(folder.File("0203.wav"), platform::PlayMode::kNoWait);
    EXPECT_EQ(output.log, (std::vector<std::string>{"oneshot start 500ms", "oneshot wait", "oneshot start 500ms"}));
}

TEST_F(SoundLayer, AClipThatCannotPlaySoundsTheChime) {
    folder.Write("0001.wav", "");
    const std::string chime = "oneshot start " + std::to_string(platform::DefaultChime().DurationMs()) + "ms";
    sound.PlaySound(folder.File("0404.wav"), platform::PlayMode::kWait);
    sound.PlaySound(folder.File("0001.wav"), platform::PlayMode::kNoWait);
    EXPECT_EQ(output.log, (std::vector<std::string>{chime, "oneshot wait", chime}));
    EXPECT_GT(platform::DefaultChime().DurationMs(), 100);
}

}  // namespace
