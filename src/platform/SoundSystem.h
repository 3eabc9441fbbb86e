// The sound layer over an audio output: one-shot clips, and the small media
// command language with its aliases, replies and error codes.
#pragma once

#include <map>
#include <string>

#include "platform/Audio.h"
#include "platform/Services.h"

namespace platform {

class SoundSystem final : public Sound {
public:
    explicit SoundSystem(AudioOutput& output) : output_(output) {}

    void PlaySound(const std::string& path, uint16_t flags) override;
    uint32_t SendString(std::string_view command, char* reply, uint32_t length, const void* owner) override;
    bool GetErrorString(uint32_t error, char* text, uint32_t length) override;

private:
    AudioOutput& output_;
};

}  // namespace platform
