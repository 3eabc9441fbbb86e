// The running program: every part of the clock, made and wired together
// here and nowhere else.  Each part gets what it needs through its
// constructor; none of them knows this class.
#pragma once

#include <memory>

#include "alarm/Alarm.h"
#include "app/ClockWindow.h"
#include "callout/CallOutWindow.h"
#include "countdown/Countdown.h"
#include "face/ClockFace.h"
#include "platform/Services.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "stage/Stage.h"
#include "stage/StageCanvas.h"
#include "voice/Voice.h"
#include "window/Stacking.h"

class Program {
public:
    // The clock tick while the stage has work on every tick.
    static constexpr int kTickMs = 100;

    explicit Program(platform::Platform& platform);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Sets every part up, in a fixed order, and shows the clock.  The
    // single-instance test has been made before (see RunTessuri): a second
    // instance never gets this far.
    void Start();
    // Every request to close the clock: saves its place, ends the process.
    void Quit();

    // The clock's tick: the face, one step of the stage, and when to come
    // again.
    void Tick();
    // A click on the stage speaks the time, with the busy pointer.
    void SpeakTimeNow();
    // The stage's menu at the pointer, and what was chosen from it.
    void PopupStageMenu();
    // Silences the stage and the spoken time, or lets them sound again, and
    // stores the choice.
    void ToggleMute();
    // A click on the sign: the settings dialog, the clock off the top level.
    void OpenSettings();

    // The parts, for tests and tools.
    ClockWindow& Window() { return window_; }
    Settings& SettingsFile() { return settings_; }
    ClockFace& Face() { return face_; }
    Voice& VoiceClips() { return voice_; }
    StageCanvas& Canvas() { return canvas_; }
    Stage& StageSchedule() { return stage_; }
    Stacking& WindowStacking() { return stacking_; }
    CallOutChoice& NextCallOut() { return callOutChoice_; }
    CallOutWindows& CallOuts() { return callOuts_; }
    Alarm& AlarmClock() { return alarm_; }
    Countdown& CountdownTimer() { return countdown_; }
    platform::Timer& TickTimer() { return *tick_; }

private:
    // The load sequence, before the window is first shown.
    void Load();
    // The characters that may come on the stage; all of them, stored, when
    // the file allows none.
    void LoadStageCharacters();
    void ConnectInput();
    void ShowRestingSign();
    void RestorePlace();
    void SavePlace();

    platform::Platform& platform_;
    SettingsStore store_;
    Settings settings_;
    ClockWindow window_;
    ClockFace face_;
    Voice voice_;
    StageCanvas canvas_;
    Stage stage_;
    Stacking stacking_;
    CallOutChoice callOutChoice_;
    CallOutWindows callOuts_;
    // Made before the alarm's and the countdown's timers: a tick due at the
    // same moment as their checks runs first.
    std::unique_ptr<platform::Timer> tick_;
    Alarm alarm_;
    Countdown countdown_;
};
