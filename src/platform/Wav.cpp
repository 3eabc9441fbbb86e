#include "platform/Audio.h"
#include "platform/SdlLibrary.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>

namespace platform {

int AudioClip::BytesPerFrame() const {
    const int bytes = format == SampleFormat::kU8 ? 1 : format == SampleFormat::kS16 ? 2 : 4;
    return bytes * channels;
}

int64_t AudioClip::DurationMs() const {
    const int64_t frameBytes = BytesPerFrame();
    if (rate <= 0 || frameBytes <= 0) return 0;
    const int64_t frames = static_cast<int64_t>(samples.size()) / frameBytes;
    return (frames * 1000 + rate - 1) / rate;
}

namespace {

// Larger files are not sounds this program plays; refusing them keeps a
// stray path from pulling a huge file into memory.
constexpr off_t kMaxWavFileBytes = 64 * 1024 * 1024;

uint32_t ReadLe32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

void WriteLe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
}

// SDL allocates whatever a chunk header declares before it finds out how much
// is really there, so a header claiming gigabytes costs gigabytes of address
// space (and fails outright under an address-space limit or strict
// overcommit).  Returns a copy whose RIFF and chunk sizes are cut to the bytes
// present, or nothing when every size already fits.
std::optional<std::string> WithSizesClamped(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF") return std::nullopt;
    std::optional<std::string> fixed;
    auto patch = [&](std::size_t at, uint32_t value) {
        if (!fixed) fixed.emplace(bytes);
        WriteLe32(fixed->data() + at, value);
    };
    const std::size_t size = bytes.size();
    const uint64_t riffRoom = size - 8;
    if (ReadLe32(bytes.data() + 4) > riffRoom)
        patch(4, static_cast<uint32_t>(std::min<uint64_t>(riffRoom, UINT32_MAX)));
    for (std::size_t at = 12; at + 8 <= size;) {
        const uint64_t length = ReadLe32(bytes.data() + at + 4);
        const uint64_t room = size - at - 8;
        if (length > room) {
            patch(at + 4, static_cast<uint32_t>(room));
            break;
        }
        at += 8 + length + (length & 1);  // chunks are padded to an even length
    }
    return fixed;
}

uint16_t ReadLe16(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

// Only a RIFF file whose plain sample formats agree with their own frame
// size goes to SDL.  SDL also reads a file that starts right at "WAVE",
// which the size clamp above cannot see into, and it widens 24-bit frames
// to channels x 4 bytes while it counts them by the declared block size: a
// block smaller than the channels need turns a few kilobytes into a clip
// hundreds of times larger, partly of bytes it never read.
bool HeaderAcceptable(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") return false;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const uint64_t length = ReadLe32(bytes.data() + at + 4);
        if (bytes.substr(at, 4) == "fmt ") {
            if (length < 16 || at + 8 + 16 > bytes.size()) return false;
            const char* f = bytes.data() + at + 8;
            const uint16_t tag = ReadLe16(f), channels = ReadLe16(f + 2), align = ReadLe16(f + 12),
                           bits = ReadLe16(f + 14);
            const bool plain = tag == 1 || tag == 3 || tag == 0xFFFE;  // integer, float, extensible
            return !plain || (channels > 0 && align == channels * ((bits + 7) / 8));
        }
        at += 8 + length + (length & 1);
    }
    return true;  // no format chunk: SDL refuses the file itself
}

// The whole of a regular file of at most kMaxWavFileBytes.  A folder, a FIFO
// or a device is refused without blocking: checked before opening, so it is
// never opened at all, and again after, for a file swapped in between.
std::optional<std::string> ReadRegularFile(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxWavFileBytes) return std::nullopt;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::optional<std::string> bytes;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxWavFileBytes) {
        bytes.emplace();
        bytes->reserve(static_cast<std::size_t>(st.st_size));
        // Read to the end rather than trusting the size: the file may grow
        // while it is read.
        char chunk[65536];
        for (;;) {
            const ssize_t n = read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n == 0) break;
            if (n < 0 || bytes->size() + static_cast<std::size_t>(n) > static_cast<std::size_t>(kMaxWavFileBytes)) {
                bytes.reset();
                break;
            }
            bytes->append(chunk, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    return bytes;
}

std::optional<SampleFormat> FromSdl(SDL_AudioFormat format) {
    switch (format) {
        case AUDIO_U8: return SampleFormat::kU8;
        case AUDIO_S16LSB: return SampleFormat::kS16;
        case AUDIO_S32LSB: return SampleFormat::kS32;
        case AUDIO_F32LSB: return SampleFormat::kF32;
        default: return std::nullopt;
    }
}

}  // namespace

std::optional<AudioClip> LoadWavBytes(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    if (!HeaderAcceptable(bytes)) return std::nullopt;
    const std::optional<std::string> clamped = WithSizesClamped(bytes);
    const std::string_view input = clamped ? std::string_view(*clamped) : bytes;

    const SdlApi* sdl = LoadSdl();
    if (!sdl) return std::nullopt;
    SDL_RWops* rw = sdl->SDL_RWFromConstMem(input.data(), static_cast<int>(input.size()));
    if (!rw) return std::nullopt;
    SDL_AudioSpec spec{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (!sdl->SDL_LoadWAV_RW(rw, 1, &spec, &data, &length)) return std::nullopt;

    // SDL hands back every WAV encoding it decodes (ADPCM, A-law, mu-law,
    // 24-bit) as one of these four; anything else is refused, not converted.
    std::optional<AudioClip> clip;
    const std::optional<SampleFormat> format = FromSdl(spec.format);
    if (format && spec.channels > 0 && spec.freq > 0) {
        clip.emplace();
        clip->rate = spec.freq;
        clip->channels = spec.channels;
        clip->format = *format;
        const Uint32 whole = length - length % static_cast<Uint32>(clip->BytesPerFrame());
        clip->samples.assign(data, data + whole);
        if (clip->samples.empty()) clip.reset();
    }
    sdl->SDL_FreeWAV(data);
    return clip;
}

std::optional<AudioClip> LoadWavFile(const std::string& path) {
    const std::optional<std::string> bytes = ReadRegularFile(path);
    if (!bytes) return std::nullopt;
    return LoadWavBytes(*bytes);
}

const AudioClip& DefaultChime() {
    static const AudioClip chime = [] {
        constexpr int kRate = 22050;
        constexpr int kFrames = kRate / 4;
        constexpr int kFadeFrames = kRate / 100;
        constexpr double kTone = 880.0;
        constexpr double kAmplitude = 6000.0;  // a fifth of full scale: clear, not harsh
        AudioClip c{kRate, 1, SampleFormat::kS16, std::vector<uint8_t>(2 * kFrames)};
        for (int i = 0; i < kFrames; ++i) {
            const double phase = std::fmod(i * kTone / kRate, 1.0);
            // Linear fades in and out keep the ends from clicking.
            const double fade = std::min(
                {1.0, static_cast<double>(i) / kFadeFrames, static_cast<double>(kFrames - 1 - i) / kFadeFrames});
            const auto s = static_cast<int16_t>(std::lround((phase < 0.5 ? kAmplitude : -kAmplitude) * fade));
            c.samples[2 * i] = static_cast<uint8_t>(s & 0xFF);
            c.samples[2 * i + 1] = static_cast<uint8_t>((s >> 8) & 0xFF);
        }
        return c;
    }();
    return chime;
}

}  // namespace platform
