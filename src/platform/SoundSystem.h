// The sound layer over an audio output: one-shot clips, and the small media
// command language with its alias, replies and error codes.
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
        bool started = false;
    };
    AudioOutput& output_;
    std::optional<Open> open_;
};

}  // namespace platform
