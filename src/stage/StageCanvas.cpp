#include "stage/StageCanvas.h"

#include "platform/Form.h"

using platform::BitBlt;
using platform::RasterOp;

StageCanvas::StageCanvas(platform::PictureBox& stage) : stage_(stage) {}

StageCanvas::~StageCanvas() = default;

SpriteStore& StageCanvas::Store() {
    if (!store_) store_ = std::make_unique<SpriteStore>(stage_.GetPicture());
    return *store_;
}

void StageCanvas::DrawStageFrame(Character who, int32_t x, int frame, int32_t trail) {
    SpriteStore& store = Store();
    store.Hold(who);
    platform::Picture& work = store.WorkBuffer();
    const int w = SpriteStore::kFrameWidth;
    const int h = SpriteStore::kFrameHeight;

    // Clean background under the whole strip, then the silhouette punched
    // out (mask AND NOT background) and filled (XOR sprite): where the mask
    // is white the background comes back unchanged, where it is black the
    // sprite's colour replaces it.
    BitBlt(work, 0, 0, trail + w, h, store.Background(), x - trail, 0, RasterOp::kSrcCopy);
    BitBlt(work, trail, 0, w, h, store.Mask(), w * frame, 0, RasterOp::kSrcErase);
    BitBlt(work, trail, 0, w, h, store.Sheet(), w * frame, 0, RasterOp::kSrcInvert);
    BitBlt(stage_.Image(), x - trail, 0, trail + w, h, work, 0, 0, RasterOp::kSrcCopy);
    stage_.Refresh({x - trail, 0, x + w, h});  // only the strip has changed
    if (onFrameDrawn) onFrameDrawn(x, frame, trail);
}

void StageCanvas::ClearStage() {
    stage_.RestorePicture();
    if (onStageCleared) onStageCleared();
}
