#include "platform/SoundSystem.h"

namespace platform {

void SoundSystem::PlaySound(const std::string&, uint16_t) {}
uint32_t SoundSystem::SendString(std::string_view, char*, uint32_t, const void*) { return 1; }
bool SoundSystem::GetErrorString(uint32_t, char*, uint32_t) { return false; }

}  // namespace platform
