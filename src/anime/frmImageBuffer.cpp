#include "anime/frmImageBuffer.h"

#include <string>

using platform::Picture;

namespace {

// A sheet of the expected size; a missing one is white, which draws nothing.
Picture Sheet(const std::string& name) {
    Picture pic = platform::LoadPicture(name);
    const int width = frmImageBuffer::kFrameWidth * frmImageBuffer::kFrames;
    if (pic.Width() != width || pic.Height() != frmImageBuffer::kFrameHeight)
        return Picture(width, frmImageBuffer::kFrameHeight, 0xFFFFFF);
    return pic;
}

}  // namespace

frmImageBuffer::frmImageBuffer(const Picture& stageBackground)
    : picScreenBuffer(stageBackground), picOffScreen(120, 120) {
    for (std::size_t i = 0; i < picChar.size(); ++i) {
        picChar[i] = Sheet("char" + std::to_string(i));
        picCharMask[i] = Sheet("char" + std::to_string(i) + "_mask");
    }
}
