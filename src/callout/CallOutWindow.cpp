#include "callout/CallOutWindow.h"

#include <string>

#include "voice/ClipCatalogue.h"
#include "window/Outlines.h"
#include "window/Stacking.h"

using platform::BitBlt;
using platform::LoadPicture;
using platform::RasterOp;

namespace {
constexpr int kFaceLeft = 44;       // alarm layout: the face, centred
constexpr int kTimerFaceLeft = 16;  // countdown layout: the face at the left
constexpr int kFaceTop = 86;
constexpr int kMascotLeft = 104;
constexpr int kMascotTop = 160;
constexpr int kMascotWidth = 86;
constexpr int kMascotHeight = 46;
}  // namespace

CallOutWindow::CallOutWindow(platform::EventPump& pump, Voice& voice, std::function<void(CallOutWindow&)> onClosed)
    : pump_(pump), voice_(voice), window_("Tessuri"), onClosed_(std::move(onClosed)) {
    window_.SetIcon("icon");
    backgrounds_[0] = LoadPicture("callout_bg0", kWidth, kHeight, 0xFFFFFF);
    backgrounds_[1] = LoadPicture("callout_bg1", kWidth, kHeight, 0xFFFFFF);
    // A missing sheet or mascot is white under a white mask: nothing shows.
    for (std::size_t i = 0; i < faces_.size(); ++i) {
        const std::string name = "talk" + std::to_string(i);
        faces_[i] = LoadPicture(name, 2 * kFace, kFace, 0xFFFFFF);
        faceMasks_[i] = LoadPicture(name + "_mask", 2 * kFace, kFace, 0xFFFFFF);
    }
    mascot_ = LoadPicture("pokku", kMascotWidth, kMascotHeight, 0xFFFFFF);
    mascotMask_ = LoadPicture("pokku_mask", kMascotWidth, kMascotHeight, 0xFFFFFF);
    // Activation closes the window.
    window_.onActivate = [this] { onClosed_(*this); };
    window_.onCloseRequest = [this] { onClosed_(*this); };
}

CallOutWindow::~CallOutWindow() = default;

void CallOutWindow::Run(const CallOutChoice& choice, const platform::Rect& clock) {
    choice_ = choice;
    // Above every other window, but the user's own choice for the clock
    // ("ZOrder") is not touched: this window is not the clock.
    Stacking::KeepAbove(window_);
    outlines::ShapeCallOutWindow(window_);
    window_.SetBackground(backgrounds_[Layout()]);
    window_.Move(clock.left + kOffsetFromClock, clock.top, kWidth, kHeight);
    window_.ShowOnScreen();
    if (choice_.kind == CallOutKind::kAlarm) {
        DrawFace(0);
        SpeakAnimation(clips::AlarmLine(choice_.speaker));
        DrawFace(0);
    } else {
        DrawFaceWithMascot();
        voice_.PlayClip(clips::kTimerCallOutSound, platform::PlayMode::kWait);
    }
    pump_.Sleep(kLingerMs);
}

void CallOutWindow::DrawFace(int frame) {
    const platform::Picture& background = backgrounds_[Layout()];
    work_.Resize(kFace, kFace);
    BitBlt(work_, 0, 0, kFace, kFace, background, kFaceLeft, kFaceTop, RasterOp::kSrcCopy);
    BitBlt(work_, 0, 0, kFace, kFace, faceMasks_[Face()], kFace * frame, 0, RasterOp::kSrcErase);
    BitBlt(work_, 0, 0, kFace, kFace, faces_[Face()], kFace * frame, 0, RasterOp::kSrcInvert);
    BitBlt(window_.Image(), kFaceLeft, kFaceTop, kFace, kFace, work_, 0, 0, RasterOp::kSrcCopy);
    window_.Refresh();
}

void CallOutWindow::DrawFaceWithMascot() {
    work_.Resize(kWidth, kHeight);
    BitBlt(work_, 0, 0, kWidth, kHeight, backgrounds_[Layout()], 0, 0, RasterOp::kSrcCopy);
    BitBlt(work_, kTimerFaceLeft, kFaceTop, kFace, kFace, faceMasks_[Face()], 0, 0, RasterOp::kSrcErase);
    BitBlt(work_, kTimerFaceLeft, kFaceTop, kFace, kFace, faces_[Face()], 0, 0, RasterOp::kSrcInvert);
    BitBlt(work_, kMascotLeft, kMascotTop, kMascotWidth, kMascotHeight, mascotMask_, 0, 0, RasterOp::kSrcErase);
    BitBlt(work_, kMascotLeft, kMascotTop, kMascotWidth, kMascotHeight, mascot_, 0, 0, RasterOp::kSrcInvert);
    BitBlt(window_.Image(), 0, 0, kWidth, kHeight, work_, 0, 0, RasterOp::kSrcCopy);
    window_.Refresh();
}

void CallOutWindow::SpeakAnimation(int clip) {
    if (!voice_.OpenAndPlay(clip)) return;
    int frame = 0;
    // The whole program waits here on purpose: one mouth frame per query.
    while (voice_.IsPlaying().value_or(false)) {
        DrawFace(frame);
        pump_.Sleep(kMouthFrameMs);
        frame = frame == 0 ? 1 : 0;
    }
}

void CallOutWindows::Present(const CallOutChoice& choice) {
    // A call-out still waiting for its activation gives way to the new one,
    // so this one is seen and heard in full.
    window_.reset();
    window_ = std::make_unique<CallOutWindow>(pump_, voice_, [this](CallOutWindow& closing) {
        if (window_.get() == &closing) window_.reset();
    });
    window_->Run(choice, clockWindow_.GetWindowRect());
    // The load held the thread, so the activation the window manager may
    // have given meanwhile is still queued; asking again makes sure one
    // comes where the manager grants it.
    window_->Window().Activate();
}
