// The sound layer's one-shot clips and media commands, over an output that
// only notes what it was asked to do.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "platform/SoundSystem.h"
#include "support/VirtualPlatform.h"

namespace {

using platform::AudioClip;
using platform::Channel;
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
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF); };
    auto u16 = [&](uint16_t v) { for (int i = 0; i < 2; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF); };
    u32(16); u16(1); u16(1); u32(22050); u32(44100); u16(2); u16(16);
    b += "data";
    u32(data);
    b.append(data, '\0');
    const uint32_t riff = static_cast<uint32_t>(b.size() - 8);
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<char>((riff >> (8 * i)) & 0xFF);
    return b;
}

class Commands : public ::testing::Test {
protected:
    Commands() { folder.Write("0203.wav", Wav(500)); }
    // Sends a command; the reply up to its first NUL.
    uint32_t Send(const std::string& command, std::string* reply = nullptr) {
        std::array<char, 256> buffer;
        buffer.fill('#');
        const uint32_t r = sound.SendString(command, buffer.data(), 256, nullptr);
        EXPECT_NE(std::memchr(buffer.data(), '\0', buffer.size()), nullptr) << "reply not terminated";
        if (reply) *reply = buffer.data();
        return r;
    }
    std::string Open(const std::string& path) { return "open \"" + path + "\" type waveaudio alias wavefiles"; }

    TempFolder folder;
    NotingOutput output;
    SoundSystem sound{output};
};

TEST_F(Commands, OpenPlayPollStopClose) {
    std::string reply;
    EXPECT_EQ(Send(Open(folder.File("0203.wav"))), 0u);
    EXPECT_EQ(Send("status wavefiles mode", &reply), 0u);
    EXPECT_EQ(reply, "stopped");  // opened, not yet started
    EXPECT_EQ(Send("play wavefiles", &reply), 0u);
    EXPECT_EQ(reply, "");
    EXPECT_EQ(Send("status wavefiles mode", &reply), 0u);
    EXPECT_EQ(reply, "playing");
    EXPECT_EQ(Send("status wavefiles mode", &reply), 0u);
    EXPECT_EQ(reply, "playing");
    EXPECT_EQ(Send("status wavefiles mode", &reply), 0u);
    EXPECT_EQ(reply, "stopped");  // played to its end
    EXPECT_EQ(Send("stop wavefiles"), 0u);
    EXPECT_EQ(Send("close wavefiles"), 0u);
    EXPECT_EQ(output.log, (std::vector<std::string>{"media start 500ms", "media stop", "media stop"}));
    // Closed again: the alias can be opened anew.
    EXPECT_EQ(Send(Open(folder.File("0203.wav"))), 0u);
}

struct ErrorCase {
    const char* name;
    std::vector<std::string> before;  // sent first, results ignored
    std::string command;
    uint32_t error;
};
void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

class CommandErrors : public Commands, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(CommandErrors, AnswerWithTheirCodeAndPlayNothing) {
    const ErrorCase& c = GetParam();
    // "DIR/" in a case stands for the test's folder.
    auto inFolder = [&](std::string cmd) {
        if (const std::size_t at = cmd.find("DIR/"); at != std::string::npos) cmd.replace(at, 4, folder.Path() + "/");
        return cmd;
    };
    for (const std::string& cmd : c.before) Send(inFolder(cmd));
    folder.Write("text.wav", "this is not a sound\n");
    EXPECT_EQ(Send(inFolder(c.command)), c.error);
    std::array<char, 256> text{};
    EXPECT_TRUE(sound.GetErrorString(c.error, text.data(), 256));
    EXPECT_GT(std::strlen(text.data()), 0u);
    for (const std::string& line : output.log) EXPECT_EQ(line.find("start"), std::string::npos) << line;
}

const std::string kOpen = "open \"DIR/0203.wav\" type waveaudio alias wavefiles";

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandErrors,
    ::testing::Values(
        ErrorCase{"MissingFile", {}, "open \"DIR/0999.wav\" type waveaudio alias wavefiles",
                  platform::kMediaFileNotFound},
        ErrorCase{"NotAWav", {}, "open \"DIR/text.wav\" type waveaudio alias wavefiles",
                  platform::kMediaUnreadableFile},
        ErrorCase{"AFolder", {}, "open \"DIR/\" type waveaudio alias wavefiles", platform::kMediaUnreadableFile},
        ErrorCase{"AliasAlreadyOpen", {kOpen}, kOpen, platform::kMediaAliasInUse},
        ErrorCase{"QueryOnAClosedAlias", {}, "status wavefiles mode", platform::kMediaAliasNotOpen},
        ErrorCase{"PlayOnAClosedAlias", {}, "play wavefiles", platform::kMediaAliasNotOpen},
        ErrorCase{"PlayAfterClose", {kOpen, "close wavefiles"}, "play wavefiles", platform::kMediaAliasNotOpen},
        ErrorCase{"CloseTwice", {kOpen, "close wavefiles"}, "close wavefiles", platform::kMediaAliasNotOpen},
        ErrorCase{"AnotherAlias", {kOpen}, "play other", platform::kMediaAliasNotOpen},
        ErrorCase{"UnknownVerb", {kOpen}, "pause wavefiles", platform::kMediaUnknownCommand},
        ErrorCase{"UnknownStatusItem", {kOpen}, "status wavefiles length", platform::kMediaUnknownCommand},
        ErrorCase{"Empty", {}, "", platform::kMediaUnknownCommand},
        ErrorCase{"UpperCase", {kOpen}, "PLAY wavefiles", platform::kMediaUnknownCommand},
        ErrorCase{"TwoCommandsInOne", {kOpen}, "stop wavefiles\nplay wavefiles", platform::kMediaUnknownCommand},
        // Everything up to the fixed ending is the path, quotes included: the
        // "play" inside it is never run, and no such file exists.
        ErrorCase{"QuoteInsideThePath", {}, "open \"DIR/0203.wav\" play wavefiles \"\" type waveaudio alias wavefiles",
                  platform::kMediaFileNotFound},
        ErrorCase{"NoAliasAtTheEnd", {}, "open \"DIR/0203.wav\" type waveaudio alias wave files",
                  platform::kMediaUnknownCommand}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Commands, AQuoteInAFileNameIsPartOfThePath) {
    folder.Write("say \"hi\".wav", Wav(200));
    EXPECT_EQ(Send(Open(folder.File("say \"hi\".wav"))), 0u);
    EXPECT_EQ(Send("play wavefiles"), 0u);
    EXPECT_EQ(output.log, (std::vector<std::string>{"media start 200ms"}));
}

TEST_F(Commands, RepliesAreCutToTheBuffer) {
    Send(Open(folder.File("0203.wav")));
    std::array<char, 4> small;
    small.fill('#');
    EXPECT_EQ(sound.SendString("status wavefiles mode", small.data(), 4, nullptr), 0u);
    EXPECT_STREQ(small.data(), "sto");
    std::array<char, 8> text;
    EXPECT_FALSE(sound.GetErrorString(12345, text.data(), 8));
    EXPECT_EQ(std::strlen(text.data()), 7u);
}

TEST_F(Commands, OneShotClipsWaitOnlyWithoutTheAsyncFlag) {
    sound.PlaySound(folder.File("0203.wav"), 0);
    sound.PlaySound(folder.File("0203.wav"), 1);
    EXPECT_EQ(output.log, (std::vector<std::string>{"oneshot start 500ms", "oneshot wait", "oneshot start 500ms"}));
}

TEST_F(Commands, AClipThatCannotPlaySoundsTheChime) {
    folder.Write("0001.wav", "");
    const std::string chime = "oneshot start " + std::to_string(platform::DefaultChime().DurationMs()) + "ms";
    sound.PlaySound(folder.File("0404.wav"), 0);
    sound.PlaySound(folder.File("0001.wav"), 1);
    EXPECT_EQ(output.log, (std::vector<std::string>{chime, "oneshot wait", chime}));
    EXPECT_GT(platform::DefaultChime().DurationMs(), 100);
}

}  // namespace
