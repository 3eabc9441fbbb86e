// Compositing on the stage: a sprite goes through its mask onto a clean
// copy of the background in a work buffer, and the strip is then copied to
// the stage in one piece, so the stage never shows a half-drawn frame.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "characters/Character.h"
#include "stage/SpriteStore.h"

namespace platform {
class PictureBox;
}

class StageCanvas {
public:
    // The 212 x 100 stage area; its picture is the bare stage.
    explicit StageCanvas(platform::PictureBox& stage);
    ~StageCanvas();

    // Draws frame 0..5 of `who` at stage column x over the clean
    // background, first wiping the `trail` columns left of it, and shows
    // the result at once.
    void DrawStageFrame(Character who, int32_t x, int frame, int32_t trail);
    // The stage becomes its bare background again, on the screen at once.
    void ClearStage();
    // The picture store, made at the first drawing on the stage.
    SpriteStore& Store();

    // Told of every drawing on the stage, for tools that follow the stage
    // without reading its pixels.
    std::function<void(int32_t x, int frame, int32_t trail)> onFrameDrawn;
    std::function<void()> onStageCleared;

private:
    platform::PictureBox& stage_;
    std::unique_ptr<SpriteStore> store_;
};
