#include "platform/SoundSystem.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

constexpr std::string_view kOpenStart = "open \"";
constexpr std::string_view kOpenType = "\" type waveaudio alias ";
constexpr std::uint16_t kAsync = 1;

// Copies text and a terminator into a caller's buffer, cut to fit.
void CopyOut(std::string_view text, char* buffer, uint32_t length) {
    if (!buffer || length == 0) return;
    const std::size_t n = std::min<std::size_t>(text.size(), length - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

bool IsName(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// "verb NAME" or "verb NAME tail": the name, when the command has that shape.
std::optional<std::string_view> NameAfter(std::string_view command, std::string_view verb, std::string_view tail) {
    if (command.size() < verb.size() + 1 || command.substr(0, verb.size()) != verb || command[verb.size()] != ' ')
        return std::nullopt;
    std::string_view rest = command.substr(verb.size() + 1);
    if (!tail.empty()) {
        if (rest.size() < tail.size() + 1 || rest.substr(rest.size() - tail.size()) != tail ||
            rest[rest.size() - tail.size() - 1] != ' ')
            return std::nullopt;
        rest = rest.substr(0, rest.size() - tail.size() - 1);
    }
    if (!IsName(rest)) return std::nullopt;
    return rest;
}

}  // namespace

void SoundSystem::PlaySound(const std::string& path, uint16_t flags) {
    const std::optional<AudioClip> clip = LoadWavFile(path);
    output_.Start(Channel::kOneShot, clip ? *clip : DefaultChime());
    if ((flags & kAsync) == 0) output_.Wait(Channel::kOneShot);
}

uint32_t SoundSystem::SendString(std::string_view command, char* reply, uint32_t length, const void*) {
    CopyOut("", reply, length);
    if (command.substr(0, kOpenStart.size()) == kOpenStart) return OpenFile(command);
    if (auto name = NameAfter(command, "play", "")) {
        Open* o = Find(*name);
        if (!o) return kMediaAliasNotOpen;
        output_.Start(Channel::kMedia, o->clip);
        o->started = true;
        return 0;
    }
    if (auto name = NameAfter(command, "status", "mode")) {
        Open* o = Find(*name);
        if (!o) return kMediaAliasNotOpen;
        CopyOut(o->started && output_.Playing(Channel::kMedia) ? "playing" : "stopped", reply, length);
        return 0;
    }
    if (auto name = NameAfter(command, "stop", "")) {
        Open* o = Find(*name);
        if (!o) return kMediaAliasNotOpen;
        output_.Stop(Channel::kMedia);
        o->started = false;
        return 0;
    }
    if (auto name = NameAfter(command, "close", "")) {
        if (!Find(*name)) return kMediaAliasNotOpen;
        output_.Stop(Channel::kMedia);
        open_.reset();
        return 0;
    }
    return kMediaUnknownCommand;
}

uint32_t SoundSystem::OpenFile(std::string_view command) {
    // The ending is fixed, so the path reaches up to its last occurrence.
    const std::size_t end = command.rfind(kOpenType);
    if (end == std::string_view::npos || end < kOpenStart.size()) return kMediaUnknownCommand;
    const std::string_view alias = command.substr(end + kOpenType.size());
    if (!IsName(alias)) return kMediaUnknownCommand;
    if (open_) return open_->alias == alias ? kMediaAliasInUse : kMediaDeviceBusy;

    const std::string_view path = command.substr(kOpenStart.size(), end - kOpenStart.size());
    if (path.empty() || path.find('\0') != std::string_view::npos) return kMediaFileNotFound;
    const std::string file(path);
    struct stat st {};
    if (stat(file.c_str(), &st) != 0) return kMediaFileNotFound;
    std::optional<AudioClip> clip = LoadWavFile(file);
    if (!clip) return kMediaUnreadableFile;
    open_ = Open{std::string(alias), std::move(*clip), false};
    return 0;
}

SoundSystem::Open* SoundSystem::Find(std::string_view name) {
    return open_ && open_->alias == name ? &*open_ : nullptr;
}

bool SoundSystem::GetErrorString(uint32_t error, char* text, uint32_t length) {
    const char* message = nullptr;
    switch (error) {
        case kMediaUnknownCommand: message = "The command is not understood."; break;
        case kMediaFileNotFound: message = "The file cannot be found."; break;
        case kMediaAliasInUse: message = "The alias is already open."; break;
        case kMediaAliasNotOpen: message = "Nothing is open under that alias."; break;
        case kMediaUnreadableFile: message = "The file is not a playable WAV file."; break;
        case kMediaDeviceBusy: message = "Another clip is open; close it first."; break;
        default: break;
    }
    CopyOut(message ? message : "Unknown error.", text, length);
    return message != nullptr;
}

}  // namespace platform
