// The real sound output, over SDL2's audio (and through it the desktop's
// sound server).
#pragma once

#include <memory>

#include "platform/Audio.h"

namespace platform {

class SdlAudio final : public AudioOutput {
public:
    SdlAudio();
    ~SdlAudio() override;
    SdlAudio(const SdlAudio&) = delete;
    SdlAudio& operator=(const SdlAudio&) = delete;

    void Start(Channel channel, const AudioClip& clip) override;
    bool Playing(Channel channel) override;
    void Stop(Channel channel) override;
    void Wait(Channel channel) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
