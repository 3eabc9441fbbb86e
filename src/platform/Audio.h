// Decoded sound and the outputs that play it.  The sound layer
// (SoundSystem) works on these; SdlAudio is the real output, and tests hand
// in outputs of their own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Sample formats, as the WAV file stored them.
enum class SampleFormat : uint8_t { kU8, kS16, kS32, kF32 };

// A clip: PCM samples, interleaved, little-endian, exactly as they are to be
// played.
struct AudioClip {
    int rate = 0;      // frames per second
    int channels = 0;  // 1 mono, 2 stereo ...
    SampleFormat format = SampleFormat::kS16;
    std::vector<uint8_t> samples;

    [[nodiscard]] int BytesPerFrame() const;
    [[nodiscard]] int64_t DurationMs() const;  // rounded up
    [[nodiscard]] bool SameFormat(const AudioClip& o) const {
        return rate == o.rate && channels == o.channels && format == o.format;
    }
};

// Reads a WAV file.  Nothing when the file is missing, unreadable, not a
// WAV, or holds no sound.  Never allocates much more than the file holds,
// whatever sizes its header declares.
std::optional<AudioClip> LoadWavFile(const std::string& path);
// The same for the bytes of a file already in memory.
std::optional<AudioClip> LoadWavBytes(std::string_view bytes);

// The program's own short chime, played where a clip cannot be.
const AudioClip& DefaultChime();

// Two outputs that play side by side: one-shot clips, and the media clip.
enum class Channel : uint8_t { kOneShot, kMedia };

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts the clip on that channel at once, cutting off whatever still
    // plays there.  Without a sound device the clip is silently dropped.
    virtual void Start(Channel channel, const AudioClip& clip) = 0;
    // True until the channel has played its clip to the end.
    virtual bool Playing(Channel channel) = 0;
    // Silences the channel now.
    virtual void Stop(Channel channel) = 0;
    // Blocks the calling thread until the channel has played its clip to the
    // end (at once when nothing plays).  Events are not processed meanwhile.
    virtual void Wait(Channel channel) = 0;
};

}  // namespace platform
