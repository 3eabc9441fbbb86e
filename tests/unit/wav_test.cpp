// WAV decoding: what a clip holds after loading, which inputs are refused,
// and that no input (declared sizes, odd files) costs more than it holds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/Audio.h"
#include "support/VirtualPlatform.h"

namespace {

using platform::AudioClip;
using platform::LoadWavBytes;
using platform::LoadWavFile;
using platform::SampleFormat;
using testing_support::TempFolder;

void Put16(std::string& s, uint32_t v) {
    for (int i = 0; i < 2; ++i) s += static_cast<char>(v >> (8 * i));
}
void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

struct WavFormat {
    uint16_t tag = 1;  // 1 integer PCM, 3 IEEE float
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
};

// A WAV file around `data`.  The data and RIFF sizes are the true ones
// unless given; `extra` is a chunk placed between "fmt " and "data".
std::string Wav(const WavFormat& f, const std::string& data, std::optional<uint32_t> dataSize = std::nullopt,
                std::optional<uint32_t> riffSize = std::nullopt, const std::string& extra = "") {
    std::string body = "WAVE";
    body += "fmt ";
    Put32(body, 16);
    Put16(body, f.tag);
    Put16(body, f.channels);
    Put32(body, f.rate);
    const uint16_t align = static_cast<uint16_t>(f.channels * f.bits / 8);
    Put32(body, f.rate * align);
    Put16(body, align);
    Put16(body, f.bits);
    body += extra;
    body += "data";
    Put32(body, dataSize.value_or(static_cast<uint32_t>(data.size())));
    body += data;
    std::string file = "RIFF";
    Put32(file, riffSize.value_or(static_cast<uint32_t>(body.size())));
    return file + body;
}

// Distinct bytes, so a shifted or reordered copy shows.
std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return s;
}

std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen() & 0xFF);
    return s;
}

struct Expected {
    int rate;
    int channels;
    SampleFormat format;
    std::string samples;
};

struct BytesCase {
    std::string name;
    std::string bytes;
    std::optional<Expected> clip;  // nullopt: refused
};

void PrintTo(const BytesCase& c, std::ostream* os) { *os << c.name; }

class LoadBytes : public ::testing::TestWithParam<BytesCase> {};

TEST_P(LoadBytes, DecodesOrRefuses) {
    const BytesCase& c = GetParam();
    const std::optional<AudioClip> clip = LoadWavBytes(c.bytes);
    ASSERT_EQ(clip.has_value(), c.clip.has_value());
    if (!clip) return;
    EXPECT_EQ(clip->rate, c.clip->rate);
    EXPECT_EQ(clip->channels, c.clip->channels);
    EXPECT_EQ(clip->format, c.clip->format);
    ASSERT_EQ(clip->samples.size(), c.clip->samples.size());
    EXPECT_TRUE(std::equal(clip->samples.begin(), clip->samples.end(), c.clip->samples.begin(), [](uint8_t a, char b) {
        return a == static_cast<uint8_t>(b);
    })) << "samples differ";
}

const std::string kSecondMono16 = Pattern(44100);  // 1 s at 22050 Hz, mono, 16-bit

std::vector<BytesCase> BytesCases() {
    const WavFormat mono16;
    const WavFormat mono8{1, 1, 22050, 8};
    const WavFormat stereo16At44k{1, 2, 44100, 16};
    const WavFormat int32{1, 1, 22050, 32};
    const WavFormat float32{3, 2, 48000, 32};
    const std::string tenth = Pattern(4410);
    const std::string valid = Wav(mono16, tenth);
    // A pad byte follows an odd-sized chunk; the data chunk comes after it.
    std::string oddList = "LIST";
    Put32(oddList, 3);
    oddList += "abc";
    oddList += '\0';

    std::vector<BytesCase> cases = {
        {"Mono16", valid, Expected{22050, 1, SampleFormat::kS16, tenth}},
        {"Mono8", Wav(mono8, tenth), Expected{22050, 1, SampleFormat::kU8, tenth}},
        {"Stereo16At44100", Wav(stereo16At44k, tenth.substr(0, 4408)),
         Expected{44100, 2, SampleFormat::kS16, tenth.substr(0, 4408)}},
        {"Int32", Wav(int32, tenth.substr(0, 4408)), Expected{22050, 1, SampleFormat::kS32, tenth.substr(0, 4408)}},
        {"Float32", Wav(float32, tenth.substr(0, 4408)), Expected{48000, 2, SampleFormat::kF32, tenth.substr(0, 4408)}},
        {"ChunkBeforeDataSkipped", Wav(mono16, tenth, std::nullopt, std::nullopt, oddList),
         Expected{22050, 1, SampleFormat::kS16, tenth}},
        {"PartialLastFrameDropped", Wav(stereo16At44k, tenth.substr(0, 4403)),
         Expected{44100, 2, SampleFormat::kS16, tenth.substr(0, 4400)}},
        {"DataSize7FFFFFF0Over1s", Wav(mono16, kSecondMono16, 0x7FFFFFF0u, 0x7FFFFFF0u + 36),
         Expected{22050, 1, SampleFormat::kS16, kSecondMono16}},
        {"DataSizeFFFFFFFFOver1s", Wav(mono16, kSecondMono16, 0xFFFFFFFFu, 0xFFFFFFFFu),
         Expected{22050, 1, SampleFormat::kS16, kSecondMono16}},
        {"DataSizeHugeRiffSizeZero", Wav(mono16, kSecondMono16, 0xFFFFFFFFu, 0u),
         Expected{22050, 1, SampleFormat::kS16, kSecondMono16}},
        {"ZeroBytes", "", std::nullopt},
        {"NoData", Wav(mono16, ""), std::nullopt},
        {"LessThanOneFrame", Wav(stereo16At44k, "abc"), std::nullopt},
        {"ZeroChannels", Wav({1, 0, 22050, 16}, tenth), std::nullopt},
        {"ZeroRate", Wav({1, 1, 0, 16}, tenth), std::nullopt},
        {"Text", "[Setting]\nLeft=0\nTop=0\nThis is not a sound.\n", std::nullopt},
        {"RandomBytes", RandomBytes(4096, 1), std::nullopt},
        {"RandomAfterRiffWave", "RIFF\xF0\xFF\xFF\x7FWAVE" + RandomBytes(4096, 2), std::nullopt},
    };
    // A block size smaller than 255 channels of 24 bits need would decode to
    // hundreds of times the file.
    std::string narrowBlocks = Wav({1, 255, 22050, 24}, Pattern(3000));
    narrowBlocks[32] = 3;
    narrowBlocks[33] = 0;
    cases.push_back({"BlockSmallerThanItsChannels", narrowBlocks, std::nullopt});
    // Without its RIFF header, where no declared size can be checked.
    cases.push_back({"StartsAtWave", Wav(mono16, tenth).substr(8), std::nullopt});
    for (std::size_t cut : {1u, 4u, 8u, 11u, 12u, 20u, 30u, 36u, 40u, 43u, 44u})
        cases.push_back({"CutAt" + std::to_string(cut), valid.substr(0, cut), std::nullopt});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadBytes, ::testing::ValuesIn(BytesCases()),
                         [](const ::testing::TestParamInfo<BytesCase>& i) { return i.param.name; });

// Pages of address space this process has mapped.
long MappedPages() {
    long pages = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (f && std::fscanf(f, "%ld", &pages) != 1) pages = 0;
    if (f) std::fclose(f);
    return pages;
}

// A header declaring gigabytes loads within a few megabytes of address
// space: the load runs in a child whose address space may grow by 16 MiB.
TEST(LoadBytesAllocation, HugeDeclaredSizeStaysSmall) {
    constexpr std::size_t kRoom = 16u << 20;
    for (uint32_t declared : {0x7FFFFFF0u, 0xFFFFFFFFu}) {
        const std::string bytes = Wav(WavFormat{}, kSecondMono16, declared, declared);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit limit{MappedPages() * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + kRoom, RLIM_INFINITY};
            if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
            // The limit must bite, or the check below proves nothing.
            if (mmap(nullptr, 4 * kRoom, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) != MAP_FAILED)
                _exit(2);
            const std::optional<AudioClip> clip = LoadWavBytes(bytes);
            _exit(clip && clip->samples.size() == kSecondMono16.size() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "declared " << declared;
        EXPECT_EQ(WEXITSTATUS(status), 0) << "declared " << declared << " (1: not loaded, 2: limit ineffective)";
    }
}

TEST(LoadFile, ReadsARegularFile) {
    TempFolder dir;
    const std::string tenth = Pattern(4410);
    dir.Write("a.wav", Wav(WavFormat{}, tenth));
    const std::optional<AudioClip> clip = LoadWavFile(dir.File("a.wav"));
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->rate, 22050);
    EXPECT_EQ(std::string(clip->samples.begin(), clip->samples.end()), tenth);
}

TEST(LoadFile, RefusesWhatIsNotAPlayableFile) {
    TempFolder dir;
    dir.Write("empty.wav", "");
    ASSERT_EQ(mkdir(dir.File("folder.wav").c_str(), 0755), 0);
    EXPECT_FALSE(LoadWavFile(dir.File("missing.wav")));
    EXPECT_FALSE(LoadWavFile(dir.File("empty.wav")));
    EXPECT_FALSE(LoadWavFile(dir.File("folder.wav")));
    EXPECT_FALSE(LoadWavFile(""));
}

TEST(LoadFile, RefusesAFifoWithoutBlocking) {
    TempFolder dir;
    const std::string fifo = dir.File("fifo.wav");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto load = std::async(std::launch::async, [&] { return LoadWavFile(fifo).has_value(); });
    const bool returned = load.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    if (!returned) {
        // Release the blocked reader so the test can end.
        const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) close(fd);
    }
    EXPECT_TRUE(returned);
    EXPECT_FALSE(load.get());
}

TEST(LoadFile, RefusesAFileOver64MiB) {
    TempFolder dir;
    constexpr off_t kLimit = 64 << 20;
    // A valid WAV of exactly the limit, silent and sparse on disk, plays ...
    dir.Write("big.wav", Wav(WavFormat{}, "", static_cast<uint32_t>(kLimit - 44), static_cast<uint32_t>(kLimit - 8)));
    ASSERT_EQ(truncate(dir.File("big.wav").c_str(), kLimit), 0);
    EXPECT_TRUE(LoadWavFile(dir.File("big.wav")));
    // ... and one byte more is refused.
    ASSERT_EQ(truncate(dir.File("big.wav").c_str(), kLimit + 1), 0);
    EXPECT_FALSE(LoadWavFile(dir.File("big.wav")));
}

TEST(DefaultChime, IsAShortAudibleClipWithoutClicks) {
    const AudioClip& chime = platform::DefaultChime();
    ASSERT_EQ(chime.format, SampleFormat::kS16);
    ASSERT_EQ(chime.channels, 1);
    EXPECT_GE(chime.DurationMs(), 200);
    EXPECT_LE(chime.DurationMs(), 300);
    std::vector<int> s;
    for (std::size_t i = 0; i + 1 < chime.samples.size(); i += 2)
        s.push_back(static_cast<int16_t>(chime.samples[i] | (chime.samples[i + 1] << 8)));
    int peak = 0;
    for (int v : s) peak = std::max(peak, std::abs(v));
    EXPECT_GE(peak, 3000);
    EXPECT_LE(peak, 20000);
    EXPECT_LE(std::abs(s.front()), 300);
    EXPECT_LE(std::abs(s.back()), 300);
}

}  // namespace
