// The call-out window: the wooden-framed window that comes up beside the
// clock when the alarm goes off or a countdown ends.  The character's face
// talks while its line plays (alarm), or stands beside the waving mascot
// while the timer sound plays (countdown); three seconds later the window
// closes by itself.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "callout/CallOut.h"
#include "platform/Form.h"
#include "platform/Picture.h"
#include "platform/Services.h"
#include "voice/Voice.h"

class CallOutWindow {
public:
    static constexpr int kWidth = 208;
    static constexpr int kHeight = 224;
    static constexpr int kFace = 120;  // a face frame is kFace x kFace
    // Right of the clock window's left edge, at the same top.
    static constexpr int kOffsetFromClock = 56;
    static constexpr uint32_t kMouthFrameMs = 150;
    static constexpr uint32_t kLingerMs = 3000;

    // onClosed runs when the window asks to be closed: on its activation, or
    // any close request.  It may destroy the window.
    CallOutWindow(platform::EventPump& pump, Voice& voice, std::function<void(CallOutWindow&)> onClosed);
    ~CallOutWindow();
    CallOutWindow(const CallOutWindow&) = delete;
    CallOutWindow& operator=(const CallOutWindow&) = delete;

    // The whole call-out beside `clock`: shows the window, lets the
    // character speak, waits three seconds.
    void Run(const CallOutChoice& choice, const platform::Rect& clock);
    // Face frame 0 (mouth closed) or 1 (open) at its place over the
    // background of the call-out kind, on the screen.
    void DrawFace(int frame);
    // The countdown layout: background, face and the mascot in front.
    void DrawFaceWithMascot();
    // Plays the clip to its end while the mouth opens and closes; returns at
    // once when it cannot be played.
    void SpeakAnimation(int clip);

    platform::Form& Window() { return window_; }

private:
    [[nodiscard]] std::size_t Layout() const { return choice_.kind == CallOutKind::kCountdown ? 1 : 0; }
    [[nodiscard]] std::size_t Face() const { return static_cast<std::size_t>(IndexOf(choice_.speaker)); }

    platform::EventPump& pump_;
    Voice& voice_;
    platform::Form window_;
    std::function<void(CallOutWindow&)> onClosed_;
    CallOutChoice choice_;
    std::array<platform::Picture, 2> backgrounds_;  // 208 x 224: alarm, countdown
    std::array<platform::Picture, 5> faces_;        // 240 x 120: closed, open
    std::array<platform::Picture, 5> faceMasks_;    // black where the face is
    platform::Picture mascot_, mascotMask_;         // 86 x 46
    platform::Picture work_;
};

// The call-outs of the running program: each one in a window made afresh,
// which waits after the call-out for its activation and then goes.
class CallOutWindows final : public CallOut {
public:
    // clockWindow: the call-out comes up beside it.
    CallOutWindows(platform::EventPump& pump, Voice& voice, const platform::Form& clockWindow)
        : pump_(pump), voice_(voice), clockWindow_(clockWindow) {}

    void Present(const CallOutChoice& choice) override;
    // The window of the last call-out while it waits for its activation.
    [[nodiscard]] CallOutWindow* Waiting() const { return window_.get(); }

private:
    platform::EventPump& pump_;
    Voice& voice_;
    const platform::Form& clockWindow_;
    std::unique_ptr<CallOutWindow> window_;
};
