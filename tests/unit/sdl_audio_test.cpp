// The real sound output over SDL's "dummy" and "disk" drivers, which take
// audio in real time without a sound card (the disk driver also writes what
// it took to a file): how long clips last, how clips and channels follow and
// cut each other, and that a machine without sound stays silent and quick.
// Both drivers hold one output device at a time, so the two channels take
// turns here; on a sound server each has its own stream.
#include <SDL.h>
#include <dirent.h>
#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/SdlAudio.h"
#include "support/VirtualPlatform.h"

namespace {

using platform::AudioClip;
using platform::Channel;
using platform::SampleFormat;
using platform::SdlAudio;
using SteadyClock = std::chrono::steady_clock;
using testing_support::TempFolder;

// Silence of `ms` milliseconds.  The dummy driver sleeps a whole number of
// milliseconds per device buffer, so rates whose buffer is exactly 8 ms
// (8000, 16000, 32000 Hz) keep its pace true to the clock.
AudioClip Clip(int ms, int rate = 16000, int channels = 1, SampleFormat format = SampleFormat::kS16) {
    AudioClip c{rate, channels, format, {}};
    c.samples.resize(static_cast<std::size_t>(rate) * ms / 1000 * c.BytesPerFrame(),
                     format == SampleFormat::kU8 ? 0x80 : 0);
    return c;
}

double MsSince(SteadyClock::time_point t) {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - t).count();
}

// Devices SDL holds open: each has its own audio thread.
int AudioThreads() {
    int n = 0;
    DIR* dir = opendir("/proc/self/task");
    if (!dir) return -1;
    while (dirent* e = readdir(dir)) {
        std::ifstream comm(std::string("/proc/self/task/") + e->d_name + "/comm");
        std::string name;
        if (std::getline(comm, name) && name.rfind("SDLAudioP", 0) == 0) ++n;
    }
    closedir(dir);
    return n;
}

// How much earlier than its clip's end Wait may return.
constexpr int kEarlyMs = 70;

class SdlAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("SDL_AUDIODRIVER")) saved_ = old;
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    void TearDown() override {
        if (saved_) {
            setenv("SDL_AUDIODRIVER", saved_->c_str(), 1);
        } else {
            unsetenv("SDL_AUDIODRIVER");
        }
    }
    // Waits for the channel and checks it took about `ms` since `start`.
    // Wait returns as the device takes the clip's last piece, which lies up
    // to one device buffer (32 ms at 16 kHz) before the clip's end.
    void ExpectWaitEndsAfter(SdlAudio& audio, Channel channel, SteadyClock::time_point start, int ms) {
        audio.Wait(channel);
        const double took = MsSince(start);
        EXPECT_GE(took, ms - kEarlyMs);
        EXPECT_LE(took, ms + 150);
        EXPECT_FALSE(audio.Playing(channel));
    }

private:
    std::optional<std::string> saved_;
};

struct FormatCase {
    const char* name;
    AudioClip clip;
    int ms;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class SdlAudioFormats : public SdlAudioTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(SdlAudioFormats, PlaysForTheClipsLength) {
    SdlAudio audio;
    const auto start = SteadyClock::now();
    audio.Start(Channel::kOneShot, GetParam().clip);
    EXPECT_TRUE(audio.Playing(Channel::kOneShot));
    ExpectWaitEndsAfter(audio, Channel::kOneShot, start, GetParam().ms);
}

INSTANTIATE_TEST_SUITE_P(Cases, SdlAudioFormats,
                         ::testing::Values(FormatCase{"S16Mono", Clip(200), 200},
                                           FormatCase{"U8Stereo8000", Clip(150, 8000, 2, SampleFormat::kU8), 150},
                                           FormatCase{"F32Stereo32000", Clip(300, 32000, 2, SampleFormat::kF32), 300},
                                           FormatCase{"S32Mono", Clip(100, 16000, 1, SampleFormat::kS32), 100}),
                         [](const ::testing::TestParamInfo<FormatCase>& i) { return std::string(i.param.name); });

TEST_F(SdlAudioTest, InitialisesOnFirstStartAndQuitsWhenDestroyed) {
    {
        SdlAudio audio;
        EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
        audio.Wait(Channel::kOneShot);
        EXPECT_FALSE(audio.Playing(Channel::kMedia));
        EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
        audio.Start(Channel::kOneShot, Clip(100));
        EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    }
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_EQ(AudioThreads(), 0);
}

struct CutCase {
    const char* name;
    AudioClip second;
};

void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }

class SdlAudioCut : public SdlAudioTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(SdlAudioCut, StartCutsOffWhatPlaysOnTheChannel) {
    SdlAudio audio;
    audio.Start(Channel::kMedia, Clip(300));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto start = SteadyClock::now();
    audio.Start(Channel::kMedia, GetParam().second);
    EXPECT_TRUE(audio.Playing(Channel::kMedia));
    ExpectWaitEndsAfter(audio, Channel::kMedia, start, 100);
}

INSTANTIATE_TEST_SUITE_P(Cases, SdlAudioCut,
                         ::testing::Values(CutCase{"SameFormat", Clip(100)},
                                           CutCase{"OtherFormat", Clip(100, 8000, 2, SampleFormat::kU8)}),
                         [](const ::testing::TestParamInfo<CutCase>& i) { return std::string(i.param.name); });

TEST_F(SdlAudioTest, StopSilencesAtOnceAndTheChannelPlaysOn) {
    SdlAudio audio;
    audio.Start(Channel::kMedia, Clip(300));
    const auto stop = SteadyClock::now();
    audio.Stop(Channel::kMedia);
    EXPECT_FALSE(audio.Playing(Channel::kMedia));
    audio.Wait(Channel::kMedia);
    EXPECT_LE(MsSince(stop), 5);
    const auto start = SteadyClock::now();
    audio.Start(Channel::kMedia, Clip(100));
    ExpectWaitEndsAfter(audio, Channel::kMedia, start, 100);
}

TEST_F(SdlAudioTest, WithOneDeviceTheIdleChannelGivesWayAndABusyOneIsNotCut) {
    SdlAudio audio;
    audio.Start(Channel::kOneShot, Clip(100));
    audio.Wait(Channel::kOneShot);
    auto start = SteadyClock::now();
    audio.Start(Channel::kMedia, Clip(300));
    EXPECT_TRUE(audio.Playing(Channel::kMedia));
    // The only device is busy: this clip is dropped, the other plays on.
    audio.Start(Channel::kOneShot, Clip(100));
    EXPECT_FALSE(audio.Playing(Channel::kOneShot));
    ExpectWaitEndsAfter(audio, Channel::kMedia, start, 300);
    // A dropped clip does not count as a machine without sound.
    start = SteadyClock::now();
    audio.Start(Channel::kOneShot, Clip(100));
    EXPECT_TRUE(audio.Playing(Channel::kOneShot));
    ExpectWaitEndsAfter(audio, Channel::kOneShot, start, 100);
}

TEST_F(SdlAudioTest, ClipsInSequenceFollowEachOther) {
    SdlAudio audio;
    const auto start = SteadyClock::now();
    for (int i = 0; i < 3; ++i) {
        audio.Start(Channel::kOneShot, Clip(100));
        audio.Wait(Channel::kOneShot);
    }
    const double took = MsSince(start);
    EXPECT_GE(took, 300 - 2 * kEarlyMs);  // the dummy device takes a whole buffer at once
    EXPECT_LE(took, 450);
}

// Samples of one value, for telling clips apart in what the device took.
AudioClip Level(int ms, int16_t value) {
    AudioClip c = Clip(ms);
    for (std::size_t i = 0; i + 1 < c.samples.size(); i += 2) {
        c.samples[i] = static_cast<uint8_t>(value & 0xFF);
        c.samples[i + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    }
    return c;
}

// Runs of equal samples, as (value, count), without the silence before the
// first clip and after the last.
std::vector<std::pair<int16_t, int>> Runs(const std::string& raw) {
    std::vector<std::pair<int16_t, int>> runs;
    for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
        const auto v = static_cast<int16_t>(static_cast<uint8_t>(raw[i]) | (static_cast<uint8_t>(raw[i + 1]) << 8));
        if (!runs.empty() && runs.back().first == v) {
            ++runs.back().second;
        } else {
            runs.emplace_back(v, 1);
        }
    }
    if (!runs.empty() && runs.front().first == 0) runs.erase(runs.begin());
    if (!runs.empty() && runs.back().first == 0) runs.pop_back();
    return runs;
}

// 100 ms is about 3.1 device buffers: each clip ends in a part-filled buffer,
// which the device would pad with silence if the next clip came later.
TEST_F(SdlAudioTest, ClipsStartedAfterWaitFollowWithoutSilence) {
    TempFolder dir;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", dir.File("out.raw").c_str(), 1);
    {
        SdlAudio audio;
        for (int16_t level : {1000, 2000, 3000}) {
            audio.Start(Channel::kOneShot, Level(100, level));
            audio.Wait(Channel::kOneShot);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(150));  // the last piece is taken
    }
    unsetenv("SDL_DISKAUDIOFILE");
    const std::vector<std::pair<int16_t, int>> expected{{1000, 1600}, {2000, 1600}, {3000, 1600}};
    EXPECT_EQ(Runs(dir.Read("out.raw")), expected);
}

TEST_F(SdlAudioTest, IdleDeviceClosesAfterASecondAndReopensForTheNextClip) {
    SdlAudio audio;
    audio.Start(Channel::kOneShot, Clip(100));
    audio.Wait(Channel::kOneShot);
    EXPECT_EQ(AudioThreads(), 1);
    QTest::qWait(1300);
    EXPECT_EQ(AudioThreads(), 0);
    const auto start = SteadyClock::now();
    audio.Start(Channel::kOneShot, Clip(100));
    ExpectWaitEndsAfter(audio, Channel::kOneShot, start, 100);
}

TEST_F(SdlAudioTest, WithoutASoundDeviceEverythingReturnsAtOnce) {
    setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
    SdlAudio audio;
    const auto start = SteadyClock::now();
    for (int i = 0; i < 3; ++i) {
        audio.Start(Channel::kOneShot, Clip(300));
        EXPECT_FALSE(audio.Playing(Channel::kOneShot));
        audio.Wait(Channel::kOneShot);
        audio.Stop(Channel::kOneShot);
    }
    EXPECT_LE(MsSince(start), 50);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

}  // namespace
