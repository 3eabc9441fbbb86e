#include "platform/SdlAudio.h"

namespace platform {

struct SdlAudio::Impl {};

SdlAudio::SdlAudio() : impl_(std::make_unique<Impl>()) {}
SdlAudio::~SdlAudio() = default;
void SdlAudio::Start(Channel, const AudioClip&) {}
bool SdlAudio::Playing(Channel) { return false; }
void SdlAudio::Stop(Channel) {}
void SdlAudio::Wait(Channel) {}

}  // namespace platform
