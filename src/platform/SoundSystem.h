// The sound layer over an audio output: one-shot clips, and the small media
// command language with its alias, replies and error codes.
#pragma once

#include <optional>
#include <string>

#include "platform/Audio.h"
#include "platform/Services.h"

namespace platform {

// Error codes of SendString; 0 is success.
enum MediaError : uint32_t {
    kMediaUnknownCommand = 1,
    kMediaFileNotFound = 2,
    kMediaUnreadableFile = 3,
    kMediaAliasInUse = 4,
    kMediaAliasNotOpen = 5,
    kMediaDeviceBusy = 6,
};

// Commands, one per call, matched exactly (words are lower case):
//   open "PATH" type waveaudio alias NAME   loads PATH; one alias at a time
//   play NAME                                starts it from the beginning
//   status NAME mode                         replies "playing" or "stopped"
//   stop NAME                                silences it
//   close NAME                               stops and forgets it
// PATH is everything between the first quote and the quote that begins the
// fixed ending, so a quote inside a path stays part of the path, and nothing
// in a path is ever read as a command.
class SoundSystem final : public Sound {
public:
    explicit SoundSystem(AudioOutput& output) : output_(output) {}

    void PlaySound(const std::string& path, uint16_t flags) override;
    uint32_t SendString(std::string_view command, char* reply, uint32_t length, const void* owner) override;
    bool GetErrorString(uint32_t error, char* text, uint32_t length) override;

private:
    struct Open {
        std::string alias;
        AudioClip clip;
        bool started = false;
    };
    uint32_t OpenFile(std::string_view command);
    // The open clip when `name` is its alias.
    Open* Find(std::string_view name);

    AudioOutput& output_;
    std::optional<Open> open_;
};

}  // namespace platform
