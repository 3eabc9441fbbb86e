// The stage's pictures kept for copying: the sprite sheet and mask of the
// character on the stage, a clean copy of the stage background, and the work
// buffer in which one strip is composed before it goes to the stage.
#pragma once

#include <optional>

#include "characters/Character.h"
#include "platform/Picture.h"

class SpriteStore {
public:
    static constexpr int kFrameWidth = 60;
    static constexpr int kFrameHeight = 100;
    static constexpr int kFrames = 6;

    // No sheet is loaded yet.
    explicit SpriteStore(const platform::Picture& stageBackground);
    // Makes sure the sheets of `c` are loaded, and lets go of the others:
    // one character is on the stage at a time, and a new one comes once a
    // cycle, so the program need not hold all five (1.4 MB, four times that
    // on a 2x screen).
    void Hold(Character c);

    [[nodiscard]] const platform::Picture& Background() const { return background_; }
    [[nodiscard]] platform::Picture& WorkBuffer() { return work_; }
    // 360 x 100: frames 0..5 side by side; and its mask, black where the
    // character is, white elsewhere.  Only for the character held.
    [[nodiscard]] const platform::Picture& Sheet() const { return sheet_; }
    [[nodiscard]] const platform::Picture& Mask() const { return mask_; }
    // The character whose sheets are held, if any.
    [[nodiscard]] std::optional<Character> Held() const { return held_; }

private:
    platform::Picture background_;  // 212 x 100, never drawn on
    platform::Picture work_;        // 120 x 120
    platform::Picture sheet_, mask_;
    std::optional<Character> held_;
};
