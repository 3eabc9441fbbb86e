#include "platform/SoundSystem.h"

#include <sys/stat.h>

namespace platform {

void SoundSystem::PlaySound(const std::string& path, PlayMode mode) {
    const std::optional<AudioClip> clip = LoadWavFile(path);
    output_.Start(Channel::kOneShot, clip ? *clip : DefaultChime());
    if (mode == PlayMode::kWait) output_.Wait(Channel::kOneShot);
}

ClipError SoundSystem::OpenClip(const std::string& path) {
    if (open_) return ClipError::kAlreadyOpen;
    // The file system would read a path only up to a NUL: some other file.
    if (path.empty() || path.find('\0') != std::string::npos) return ClipError::kFileNotFound;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return ClipError::kFileNotFound;
    std::optional<AudioClip> clip = LoadWavFile(path);
    if (!clip) return ClipError::kUnreadableFile;
    open_ = Open{std::move(*clip), false};
    return ClipError::kNone;
}

ClipError SoundSystem::PlayClip() {
    if (!open_) return ClipError::kNotOpen;
    output_.Start(Channel::kMedia, open_->clip);
    open_->started = true;
    return ClipError::kNone;
}

ClipQuery SoundSystem::IsClipPlaying() {
    if (!open_) return {ClipError::kNotOpen, false};
    return {ClipError::kNone, open_->started && output_.Playing(Channel::kMedia)};
}

ClipError SoundSystem::CloseClip() {
    if (!open_) return ClipError::kNotOpen;
    output_.Stop(Channel::kMedia);
    open_.reset();
    return ClipError::kNone;
}

}  // namespace platform
