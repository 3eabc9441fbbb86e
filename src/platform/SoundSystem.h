// The sound layer over an audio output: one-shot clips on one channel, the
// media clip on the other.
#pragma once

#include <optional>
#include <string>

#include "platform/Audio.h"
#include "platform/Services.h"

namespace platform {

class SoundSystem final : public Sound {
public:
    explicit SoundSystem(AudioOutput& output) : output_(output) {}

    void PlaySound(const std::string& path, PlayMode mode) override;
    ClipError OpenClip(const std::string& path) override;
    ClipError PlayClip() override;
    ClipQuery IsClipPlaying() override;
    ClipError CloseClip() override;

private:
    struct Open {
        AudioClip clip;
        // The channel tells whether something plays, not what: until
        // PlayClip, whatever it is, it is not this clip.
        bool started = false;
    };

    AudioOutput& output_;
    std::optional<Open> open_;
};

}  // namespace platform
