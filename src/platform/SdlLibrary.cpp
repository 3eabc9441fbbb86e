#include "platform/SdlLibrary.h"

#include <dlfcn.h>

namespace platform {
namespace {

const SdlApi* Resolve() {
    // The library stays loaded for the life of the process.
    void* lib = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return nullptr;
    static SdlApi api;
    bool complete = true;
#define TESSURI_SDL_RESOLVE(name)                                       \
    api.name = reinterpret_cast<decltype(api.name)>(dlsym(lib, #name)); \
    complete = complete && api.name != nullptr;
    TESSURI_SDL_FUNCTIONS(TESSURI_SDL_RESOLVE)
#undef TESSURI_SDL_RESOLVE
    return complete ? &api : nullptr;
}

}  // namespace

const SdlApi* LoadSdl() {
    static const SdlApi* const api = Resolve();
    return api;
}

}  // namespace platform
