#include "platform/Audio.h"

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

std::optional<AudioClip> LoadWavFile(const std::string&) { return std::nullopt; }
std::optional<AudioClip> LoadWavBytes(std::string_view) { return std::nullopt; }

const AudioClip& DefaultChime() {
    static const AudioClip chime{22050, 1, SampleFormat::kS16, std::vector<uint8_t>(2 * 22050 / 4)};
    return chime;
}

}  // namespace platform
