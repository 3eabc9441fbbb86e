// The hidden store of the stage's pictures: the five sprite sheets with
// their masks, a clean copy of the stage background, and the work buffer in
// which one strip is composed before it goes to the stage.
#pragma once

#include <array>

#include "platform/Picture.h"

class frmImageBuffer {
public:
    static constexpr int kFrameWidth = 60;
    static constexpr int kFrameHeight = 100;
    static constexpr int kFrames = 6;

    // Loads the built-in sheets; stageBackground becomes picScreenBuffer.
    explicit frmImageBuffer(const platform::Picture& stageBackground);

    platform::Picture picScreenBuffer;  // 212 x 100, never drawn on
    platform::Picture picOffScreen;     // 120 x 120 work buffer
    std::array<platform::Picture, 5> picChar;      // 360 x 100: frames 0..5 side by side
    std::array<platform::Picture, 5> picCharMask;  // black where the character is, white elsewhere
};
