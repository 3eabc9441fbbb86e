// SDL2, loaded when the first sound is wanted rather than at start-up: the
// library and the thirty-odd libraries it pulls in cost several milliseconds
// before the first frame, and a clock that never speaks needs none of them.
#pragma once

#include <SDL.h>

namespace platform {

// clang-format off
#define TESSURI_SDL_FUNCTIONS(X) \
    X(SDL_SetHint) \
    X(SDL_InitSubSystem) \
    X(SDL_QuitSubSystem) \
    X(SDL_OpenAudioDevice) \
    X(SDL_CloseAudioDevice) \
    X(SDL_QueueAudio) \
    X(SDL_GetQueuedAudioSize) \
    X(SDL_ClearQueuedAudio) \
    X(SDL_PauseAudioDevice) \
    X(SDL_GetAudioDeviceStatus) \
    X(SDL_BuildAudioCVT) \
    X(SDL_RWFromConstMem) \
    X(SDL_LoadWAV_RW) \
    X(SDL_FreeWAV)
// clang-format on

// The functions of SDL2 that the sound layer uses.
struct SdlApi {
#define TESSURI_SDL_MEMBER(name) decltype(&::name) name = nullptr;
    TESSURI_SDL_FUNCTIONS(TESSURI_SDL_MEMBER)
#undef TESSURI_SDL_MEMBER
};

// Loads SDL2 on the first call; nullptr, on this call and every later one,
// when it is not installed.  The program then runs silent.
const SdlApi* LoadSdl();

}  // namespace platform
