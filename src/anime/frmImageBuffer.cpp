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
    : picScreenBuffer(stageBackground), picOffScreen(120, 120) {
    for (std::size_t i = 0; i < picChar.size(); ++i) {
        picChar[i] = Sheet("char" + std::to_string(i));
        picCharMask[i] = Sheet("char" + std::to_string(i) + "_mask");
    }
}
