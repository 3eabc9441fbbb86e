#include "anime/frmImageBuffer.h"

#include <string>

using platform::Picture;

namespace {

// A sheet of the expected size; a missing one is white, which draws nothing.
Picture Sheet(const std::string& name) {
    return platform::LoadPicture(name, frmImageBuffer::kFrameWidth * frmImageBuffer::kFrames,
                                 frmImageBuffer::kFrameHeight, 0xFFFFFF);
}

}  // namespace

frmImageBuffer::frmImageBuffer(const Picture& stageBackground)
    : picScreenBuffer(stageBackground), picOffScreen(120, 120) {}

void frmImageBuffer::Hold(int character) {
    // Called for every frame drawn: the usual case is that nothing changes.
    if (!picChar[character].Empty() && !picCharMask[character].Empty()) return;
    for (int i = 0; i < static_cast<int>(picChar.size()); ++i) {
        picChar[i] = i == character ? Sheet("char" + std::to_string(i)) : Picture();
        picCharMask[i] = i == character ? Sheet("char" + std::to_string(i) + "_mask") : Picture();
    }
}
