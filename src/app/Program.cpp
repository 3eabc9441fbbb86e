#include "app/Program.h"

#include <algorithm>
#include <vector>

#include "dialog/SettingsDialog.h"
#include "window/Dragging.h"
#include "window/Outlines.h"

Program::Program(platform::Platform& platform)
    : platform_(platform),
      store_(platform.profile, platform.programFolder),
      settings_(store_),
      face_(platform.clock, {window_.Digits(), window_.AmPm(), window_.Sign()}, FacePictures::BuiltIn()),
      voice_(platform.sound, platform.clock, platform::InFolder(platform.programFolder, "wav")),
      canvas_(window_.StageArea()),
      stage_({platform.clock, platform.pump, platform.random}, canvas_, voice_, face_),
      stacking_(window_.Window(), settings_),
      callOuts_(platform.pump, voice_, window_.Window()),
      tick_(platform.pump.CreateTimer(kTickMs, [this] { Tick(); })),
      alarm_(platform.clock, platform.pump, settings_, {face_, face_, stage_, [this] { ShowRestingSign(); }}, callOuts_,
             callOutChoice_),
      countdown_(platform.clock, platform.pump, voice_, {face_, face_, stage_, [this] { ShowRestingSign(); }},
                 callOuts_, callOutChoice_) {
    ConnectInput();
}

Program::~Program() = default;

void Program::ConnectInput() {
    platform::Form& window = window_.Window();
    window.onMouseDown = [&window](platform::MouseButton button) {
        if (button == platform::MouseButton::kLeft) DragWindow(window);
    };
    window.onCloseRequest = [this] { Quit(); };
    platform::PictureBox& close = window_.CloseButton();
    close.onMouseDown = [this](platform::MouseButton) { window_.ShowClosePressed(); };
    close.onMouseUp = [this](platform::MouseButton) { Quit(); };
    platform::PictureBox& stage = window_.StageArea();
    stage.onClick = [this] { SpeakTimeNow(); };
    stage.onMouseDown = [this](platform::MouseButton button) {
        if (button == platform::MouseButton::kRight) PopupStageMenu();
    };
    window_.Sign().onClick = [this] { OpenSettings(); };
}

void Program::Start() {
    Load();
    window_.Window().Show();
    tick_->SetEnabled(true);
}

void Program::Load() {
    // No countdown runs; the alarm as stored.
    alarm_.Load();
    // The stage's cycle and who may come on it; the first to come.
    stage_.SetCycle(settings_.StageCycle().value_or(Stage::kEveryHour));
    LoadStageCharacters();
    stage_.PickStageCharacter(false);
    // Shape, size and place; the stacking as stored, and stored again.
    outlines::ShapeClockWindow(window_.Window());
    stacking_.SetClockOnTop(settings_.StaysOnTop().value_or(false));
    voice_.SetMuted(settings_.Muted());
    outlines::ShapeCloseButton(window_.CloseButton());
    RestorePlace();
}

void Program::LoadStageCharacters() {
    bool any = false;
    for (Character c : kAllCharacters) {
        stage_.SetAllowed(c, settings_.OnStage(c).value_or(false));
        any = any || stage_.Allowed(c);
    }
    if (any) return;
    for (Character c : kAllCharacters) {
        settings_.WriteOnStage(c, true);
        stage_.SetAllowed(c, true);
    }
}

void Program::Quit() {
    SavePlace();
    platform_.process.End();
}

void Program::Tick() {
    face_.UpdateClockDisplay();
    stage_.AnimateStage();
    // While the stage rests nothing can change before the next second (the
    // face changes with the second, the stage's phases with the minute), so
    // the next tick comes just after it instead of ten times a second.
    // That keeps an idle clock to one wake-up a second.  Otherwise a change
    // of the second before the next tick is still shown when it comes: a
    // pose ends 100 ms before the next one starts.
    const int margin = static_cast<int>(Stage::kSecondMarginMs);
    const int toNextSecond = 1000 - platform_.clock.Now().millisecond;
    int next = std::min(kTickMs, toNextSecond + margin);
    if (stage_.StageIsResting()) next = std::clamp(toNextSecond + margin, kTickMs, 1000 + margin);
    tick_->SetInterval(next);
}

void Program::SpeakTimeNow() {
    if (voice_.Muted()) return;  // nothing to wait for
    platform::SetScreenCursor(platform::Cursor::kHourglass);
    voice_.SpeakTime(stage_.OnStage());
    platform::SetScreenCursor(platform::Cursor::kDefault);
}

void Program::PopupStageMenu() {
    enum Item { kSpeakTime, kStayOnTop, kMute, kSeparator, kExit };
    // The marks show the stacking and the mute as they are now, however
    // they were last changed.
    const int chosen = platform::PopupMenu({{"時報(&T)"},
                                            {"常に手前に表示(&U)", true, stacking_.ClockOnTop()},
                                            {"消音(&M)", true, voice_.Muted()},
                                            {""},
                                            {"終了(&E)"}});
    switch (chosen) {
        case kSpeakTime: SpeakTimeNow(); break;
        case kStayOnTop: stacking_.ToggleClockOnTop(); break;
        case kMute: ToggleMute(); break;
        case kExit: Quit(); break;
        default: break;
    }
}

void Program::ToggleMute() {
    voice_.SetMuted(!voice_.Muted());
    settings_.WriteMuted(voice_.Muted());
}

void Program::OpenSettings() {
    stacking_.LowerClockForDialog();
    SettingsDialog::ShowModal({settings_, stage_, alarm_, countdown_, stacking_, callOutChoice_, platform_.messages});
}

void Program::ShowRestingSign() { face_.ShowSign(RestingSign(alarm_.Armed(), countdown_.Running())); }

void Program::RestorePlace() {
    const std::optional<int32_t> x = settings_.WindowLeft();
    if (!x) return;
    const std::optional<int32_t> y = settings_.WindowTop();
    if (!y) return;
    // A place from which the window would lie wholly outside every screen
    // (a monitor was unplugged) leaves the window at the top-left corner.
    const std::vector<platform::Rect> screens = platform::ScreenRects();
    const int64_t left = *x, top = *y;  // in 64 bits: the far edges of a place near the limits
    const bool visible = screens.empty() || std::any_of(screens.begin(), screens.end(), [&](const platform::Rect& s) {
                             return left < s.right && s.left < left + ClockWindow::kWidth && top < s.bottom &&
                                    s.top < top + ClockWindow::kHeight;
                         });
    if (visible) window_.Window().Move(*x, *y, ClockWindow::kWidth, ClockWindow::kHeight);
}

void Program::SavePlace() {
    const platform::Rect r = window_.Window().GetWindowRect();
    settings_.WriteWindowPlace(r.left, r.top);
}
