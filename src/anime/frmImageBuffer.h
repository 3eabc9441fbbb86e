// The hidden store of the stage's pictures: the sprite sheet and mask of the
// character on the stage, a clean copy of the stage background, and the work
// buffer in which one strip is composed before it goes to the stage.
#pragma once

#include <array>

#include "platform/Picture.h"

class frmImageBuffer {
public:
    static constexpr int kFrameWidth = 60;
    static constexpr int kFrameHeight = 100;
    static constexpr int kFrames = 6;

    // stageBackground becomes picScreenBuffer; no sheet is loaded yet.
    explicit frmImageBuffer(const platform::Picture& stageBackground);
    // Makes sure the sheets of `character` are loaded, and lets go of the
    // others: one character is on the stage at a time, and a new one comes
    // once a cycle, so the program need not hold all five (1.4 MB, four
    // times that on a 2x screen).
    void Hold(int character);

    platform::Picture picScreenBuffer;  // 212 x 100, never drawn on
    platform::Picture picOffScreen;     // 120 x 120 work buffer
    std::array<platform::Picture, 5> picChar;      // 360 x 100: frames 0..5 side by side; empty when not held
    std::array<platform::Picture, 5> picCharMask;  // black where the character is, white elsewhere
};
