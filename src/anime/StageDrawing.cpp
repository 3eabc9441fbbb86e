// Compositing on the stage: a sprite goes through its mask onto a clean
// copy of the background in a work buffer, and the strip is then copied to
// the stage in one piece, so the stage never shows a half-drawn frame.
#include <memory>

#include "anime/frmImageBuffer.h"
#include "anime/mdlAnime.h"
#include "app/Application.h"
#include "app/frmClock.h"

using platform::BitBlt;
using platform::RasterOp;

frmImageBuffer& mdlAnime::ImageBuffer() {
    if (!app_.imageBuffer)
        app_.imageBuffer = std::make_unique<frmImageBuffer>(app_.clockWindow->picAnimeStage().GetPicture());
    return *app_.imageBuffer;
}

void mdlAnime::DrawStageFrame(int32_t x, int16_t frame, int32_t trail) {
    frmImageBuffer& store = ImageBuffer();
    platform::PictureBox& stage = app_.clockWindow->picAnimeStage();
    platform::Picture& work = store.picOffScreen;
    const int c = StageChar;
    store.Hold(c);
    const int w = frmImageBuffer::kFrameWidth;
    const int h = frmImageBuffer::kFrameHeight;

    // Clean background under the whole strip, then the silhouette punched
    // out (mask AND NOT background) and filled (XOR sprite): where the mask
    // is white the background comes back unchanged, where it is black the
    // sprite's colour replaces it.
    BitBlt(work, 0, 0, trail + w, h, store.picScreenBuffer, x - trail, 0, RasterOp::kSrcCopy);
    BitBlt(work, trail, 0, w, h, store.picCharMask[c], w * frame, 0, RasterOp::kSrcErase);
    BitBlt(work, trail, 0, w, h, store.picChar[c], w * frame, 0, RasterOp::kSrcInvert);
    BitBlt(stage.Image(), x - trail, 0, trail + w, h, work, 0, 0, RasterOp::kSrcCopy);
    stage.Refresh({x - trail, 0, x + w, h});  // only the strip has changed
    if (onFrameDrawn) onFrameDrawn(x, frame, trail);
}

void mdlAnime::ClearStage() {
    app_.clockWindow->picAnimeStage().Cls();
    if (onStageCleared) onStageCleared();
}
