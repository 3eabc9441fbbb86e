#include "stage/SpriteStore.h"

#include <string>

using platform::Picture;

namespace {

// A sheet of the expected size; a missing one is white, which draws nothing.
Picture LoadSheet(const std::string& name) {
    return platform::LoadPicture(name, SpriteStore::kFrameWidth * SpriteStore::kFrames, SpriteStore::kFrameHeight,
                                 0xFFFFFF);
}

}  // namespace

SpriteStore::SpriteStore(const Picture& stageBackground) : background_(stageBackground), work_(120, 120) {}

void SpriteStore::Hold(Character c) {
    // Called for every frame drawn: the usual case is that nothing changes.
    if (held_ == c) return;
    const std::string name = "char" + std::to_string(IndexOf(c));
    sheet_ = LoadSheet(name);
    mask_ = LoadSheet(name + "_mask");
    held_ = c;
}
