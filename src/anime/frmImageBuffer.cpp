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
    for (int i = 0; i < static_cast<int>(picChar.size()); ++i) {
        if (i != character) {
            picChar[i] = Picture();
            picCharMask[i] = Picture();
        } else if (picChar[i].Empty() || picCharMask[i].Empty()) {
            picChar[i] = Sheet("char" + std::to_string(i));
            picCharMask[i] = Sheet("char" + std::to_string(i) + "_mask");
        }
    }
}
