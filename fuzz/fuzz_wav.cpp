// WAV decoding of arbitrary bytes, from memory and from a file.  Checked: a
// decoded clip has a format the outputs know, a positive rate and channel
// count, whole frames only, and no more sample bytes than a small multiple of
// the input (the widest expansion SDL does is 4-bit ADPCM to 16-bit, four
// times; 8 leaves room for the headers of a tiny file).  The file path must
// agree with the memory path.  Large allocations themselves are caught by
// libFuzzer's -malloc_limit_mb, which run.sh sets.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "platform/Audio.h"

namespace {

std::string g_path;
constexpr std::size_t kExpansion = 8;
constexpr std::size_t kSlack = 4096;  // a few headers' worth for tiny inputs

void CheckClip(const platform::AudioClip& clip, std::size_t inputSize) {
    using platform::SampleFormat;
    FUZZ_CHECK(clip.format == SampleFormat::kU8 || clip.format == SampleFormat::kS16 ||
                   clip.format == SampleFormat::kS32 || clip.format == SampleFormat::kF32,
               "format %d", static_cast<int>(clip.format));
    FUZZ_CHECK(clip.rate > 0 && clip.channels > 0, "rate %d, channels %d", clip.rate, clip.channels);
    FUZZ_CHECK(!clip.samples.empty(), "an empty clip was returned");
    FUZZ_CHECK(clip.samples.size() % static_cast<std::size_t>(clip.BytesPerFrame()) == 0,
               "%zu sample bytes is not a whole number of %d-byte frames", clip.samples.size(), clip.BytesPerFrame());
    FUZZ_CHECK(clip.samples.size() <= kExpansion * inputSize + kSlack, "%zu sample bytes from a %zu-byte file",
               clip.samples.size(), inputSize);
    FUZZ_CHECK(clip.DurationMs() >= 0, "duration %lld ms", static_cast<long long>(clip.DurationMs()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp";
    g_path = std::string(base) + "/tessuri_fuzz_wav." + std::to_string(getpid()) + ".wav";
    FUZZ_CHECK(platform::LoadWavBytes(std::string_view("RIFF", 4)) == std::nullopt, "four bytes decoded");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<platform::AudioClip> clip = platform::LoadWavBytes(bytes);
    if (clip) CheckClip(*clip, size);

    // The file path reads the same bytes back; the two must agree.  Only for
    // a share of inputs, as the file costs more than the decoding.
    if (size > 0 && data[size - 1] % 4 == 0) {
        {
            std::ofstream out(g_path, std::ios::binary | std::ios::trunc);
            out.write(bytes.data(), static_cast<std::streamsize>(size));
        }
        const std::optional<platform::AudioClip> fromFile = platform::LoadWavFile(g_path);
        unlink(g_path.c_str());
        FUZZ_CHECK(fromFile.has_value() == clip.has_value(), "file %d, memory %d", fromFile.has_value(),
                   clip.has_value());
        if (clip)
            FUZZ_CHECK(fromFile->samples == clip->samples && fromFile->SameFormat(*clip), "file and memory differ");
    }
    return 0;
}
