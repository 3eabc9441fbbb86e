#include "callout/frmChar.h"

#include <algorithm>

#include "app/Application.h"
#include "app/frmClock.h"

using platform::BitBlt;
using platform::LoadPicture;
using platform::RasterOp;

namespace {
constexpr int kFaceLeft = 44;        // alarm layout: the face, centred
constexpr int kTimerFaceLeft = 16;   // timer layout: the face at the left
constexpr int kFaceTop = 86;
constexpr int kPokkuLeft = 104;
constexpr int kPokkuTop = 160;
constexpr int kPokkuWidth = 86;
constexpr int kPokkuHeight = 46;
}  // namespace

frmChar::frmChar(Application& app) : window("Tessuri"), app_(app) {
    window.SetIcon("icon");
    picBG[0] = LoadPicture("callout_bg0", kWidth, kHeight, 0xFFFFFF);
    picBG[1] = LoadPicture("callout_bg1", kWidth, kHeight, 0xFFFFFF);
    // A missing sheet or mascot is white under a white mask: nothing shows.
    for (std::size_t i = 0; i < picTimerChar.size(); ++i) {
        const std::string name = "talk" + std::to_string(i);
        picTimerChar[i] = LoadPicture(name, 2 * kFace, kFace, 0xFFFFFF);
        picTimerCharMask[i] = LoadPicture(name + "_mask", 2 * kFace, kFace, 0xFFFFFF);
    }
    picCharPokku = LoadPicture("pokku", kPokkuWidth, kPokkuHeight, 0xFFFFFF);
    picCharPokkuMask = LoadPicture("pokku_mask", kPokkuWidth, kPokkuHeight, 0xFFFFFF);
    window.onActivate = [this] { Form_Activate(); };
    window.onQueryUnload = [this] { Form_QueryUnload(); };
}

frmChar::~frmChar() = default;

void frmChar::Load(Application& app) {
    // A call-out still waiting for its activation gives way to the new one,
    // so this one is seen and heard in full.
    app.charWindow.reset();
    app.charWindow = std::make_unique<frmChar>(app);
    frmChar& w = *app.charWindow;
    w.Form_Load();
    // The load held the thread, so the activation the window manager may
    // have given meanwhile is still queued; asking again makes sure one
    // comes where the manager grants it.
    w.window.Activate();
}

void frmChar::Form_Load() {
    const int kind = Kind();
    const int c = Character();
    mdlClockVoice& voice = app_.voice;

    // Above every other window, but the user's own choice for the clock
    // ("ZOrder") is not touched: this window is not the clock.
    app_.form.SetTopMost(window, true, true);
    app_.form.ShapeCharWindow(window);
    window.SetBackground(picBG[kind]);
    platform::Rect clock{};
    if (app_.clockWindow) clock = app_.clockWindow->window.GetWindowRect();
    window.Move(clock.left + kOffsetFromClock, clock.top, kWidth, kHeight);
    window.ShowOnScreen();
    if (kind == 0) {
        DrawFace(0);
        SpeakAnimation(voice.WavPath + mdlClockVoice::ClipName(191 + c), this);
        DrawFace(0);
    } else {
        DrawFaceWithMascot();
        voice.PlaySoundFile(voice.WavPath + mdlClockVoice::ClipName(201), mdlClockVoice::kWait);
    }
    app_.platform.pump.Sleep(kLingerMs);
}

int frmChar::Kind() const { return app_.setting.CallOutKind == 1 ? 1 : 0; }

int frmChar::Character() const {
    return std::clamp<int>(app_.setting.CallOutCharacter, 0, static_cast<int>(picTimerChar.size()) - 1);
}

void frmChar::Form_Activate() { Form_QueryUnload(); }

void frmChar::Form_QueryUnload() {
    if (app_.charWindow.get() == this) app_.charWindow.reset();
}

void frmChar::DrawFace(int16_t frame) {
    const int kind = Kind();
    const int c = Character();
    picOffScreen.Resize(kFace, kFace);
    BitBlt(picOffScreen, 0, 0, kFace, kFace, picBG[kind], kFaceLeft, kFaceTop, RasterOp::kSrcCopy);
    BitBlt(picOffScreen, 0, 0, kFace, kFace, picTimerCharMask[c], kFace * frame, 0, RasterOp::kSrcErase);
    BitBlt(picOffScreen, 0, 0, kFace, kFace, picTimerChar[c], kFace * frame, 0, RasterOp::kSrcInvert);
    BitBlt(window.Image(), kFaceLeft, kFaceTop, kFace, kFace, picOffScreen, 0, 0, RasterOp::kSrcCopy);
    window.Refresh();
}

void frmChar::DrawFaceWithMascot() {
    const int kind = Kind();
    const int c = Character();
    picOffScreen.Resize(kWidth, kHeight);
    BitBlt(picOffScreen, 0, 0, kWidth, kHeight, picBG[kind], 0, 0, RasterOp::kSrcCopy);
    BitBlt(picOffScreen, kTimerFaceLeft, kFaceTop, kFace, kFace, picTimerCharMask[c], 0, 0, RasterOp::kSrcErase);
    BitBlt(picOffScreen, kTimerFaceLeft, kFaceTop, kFace, kFace, picTimerChar[c], 0, 0, RasterOp::kSrcInvert);
    BitBlt(picOffScreen, kPokkuLeft, kPokkuTop, kPokkuWidth, kPokkuHeight, picCharPokkuMask, 0, 0,
           RasterOp::kSrcErase);
    BitBlt(picOffScreen, kPokkuLeft, kPokkuTop, kPokkuWidth, kPokkuHeight, picCharPokku, 0, 0,
           RasterOp::kSrcInvert);
    BitBlt(window.Image(), 0, 0, kWidth, kHeight, picOffScreen, 0, 0, RasterOp::kSrcCopy);
    window.Refresh();
}

void frmChar::SpeakAnimation(const std::string& path, const void* owner) {
    mdlClockVoice& voice = app_.voice;
    if (!voice.MciOpenAndPlay(path, owner)) return;
    int16_t frame = 0;
    // The whole program waits here on purpose: one mouth frame per query.
    while (voice.MciIsPlaying(owner).value_or(false)) {
        DrawFace(frame);
        app_.platform.pump.Sleep(kMouthFrameMs);
        frame = frame == 0 ? 1 : 0;
    }
}
