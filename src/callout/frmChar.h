// The call-out window: the wooden-framed window that comes up beside the
// clock when the alarm goes off or a countdown ends.  The character's face
// talks while its line plays (alarm), or stands beside the waving mascot
// while the timer sound plays (countdown); three seconds later the window
// closes by itself.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/Form.h"
#include "platform/Picture.h"

class Application;

class frmChar {
public:
    static constexpr int kWidth = 208;
    static constexpr int kHeight = 224;
    static constexpr int kFace = 120;  // a face frame is kFace x kFace
    // Left of the clock window's left edge, at the same top.
    static constexpr int kOffsetFromClock = 56;
    static constexpr uint32_t kMouthFrameMs = 150;
    static constexpr uint32_t kLingerMs = 3000;

    explicit frmChar(Application& app);
    ~frmChar();
    frmChar(const frmChar&) = delete;
    frmChar& operator=(const frmChar&) = delete;

    // Makes the call-out window afresh and runs its load sequence: returns
    // when the call-out is over.  The window then waits for its activation,
    // which closes it.
    static void Load(Application& app);

    // The whole call-out: shows the window, lets the character speak, waits
    // three seconds.  No event is handled meanwhile.
    void Form_Load();
    // Activation closes the window.
    void Form_Activate();
    // Releases the program's reference to the window, which destroys it.
    void Form_QueryUnload();

    // Face frame 0 (mouth closed) or 1 (open) of the call-out character at
    // its place over the background of the call-out kind, on the screen.
    void DrawFace(int16_t frame);
    // The timer layout: background, face and the mascot in front.
    void DrawFaceWithMascot();
    // Plays the clip to its end while the mouth opens and closes; returns at
    // once when it cannot be played.  owner goes with every media command.
    void SpeakAnimation(const std::string& path, const void* owner);

    platform::Form window;

    std::array<platform::Picture, 2> picBG;             // 208 x 224: [0] alarm, [1] timer
    std::array<platform::Picture, 5> picTimerChar;      // 240 x 120: closed, open
    std::array<platform::Picture, 5> picTimerCharMask;  // black where the face is
    platform::Picture picCharPokku;                     // 86 x 46, the mascot
    platform::Picture picCharPokkuMask;
    platform::Picture picOffScreen;                     // work buffer

private:
    // The call-out kind (0 alarm, 1 timer) and character, as indexes that
    // are always in range.
    [[nodiscard]] int Kind() const;
    [[nodiscard]] int Character() const;

    Application& app_;
};
