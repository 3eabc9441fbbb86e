// The stage's schedule.  Once per cycle (5, 10, 20 or 60 minutes) a
// character walks in (phase 0), poses at three places while it soaks
// (phases 1 to 3, a pose step on every tick) and walks out (phase 4); the
// next cycle brings another of the characters allowed on the stage.  Each
// phase begins at a fixed minute of the cycle.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "characters/Character.h"
#include "face/ClockFace.h"
#include "platform/Services.h"
#include "stage/StageCanvas.h"
#include "voice/ClipCatalogue.h"
#include "voice/Voice.h"

// One step of the stage, as the alarm and the countdown run it while they
// hold the clock.
class StageDriver {
public:
    virtual ~StageDriver() = default;
    // Enters the phase of the present minute, or poses once more in it.
    virtual void AnimateStage() = 0;
};

// What the alarm and the countdown keep going on the clock while they hold
// the thread, and the sign they leave when they are over.
struct ClockParts {
    ClockDisplay& face;
    SignDisplay& sign;
    StageDriver& stage;
    // Shows the sign of whatever is still set.
    std::function<void()> showRestingSign;
};

class Stage final : public StageDriver {
public:
    // The cycle codes of the settings file: 0 = 5, 1 = 10, 2 = 20, 3 = 60
    // minutes.  Any other code leaves the stage bare.
    static constexpr int16_t kEveryHour = 3;
    static constexpr int16_t kNoCycle = -1;
    static constexpr uint32_t kWalkStepMs = 50;
    // How long after a change of the second the face is redrawn while a
    // pose holds the thread.
    static constexpr uint32_t kSecondMarginMs = 3;

    struct Machine {
        platform::SystemClock& clock;
        platform::EventPump& pump;
        platform::RandomSource& random;
    };
    Stage(Machine machine, StageCanvas& canvas, Voice& voice, ClockDisplay& face);

    void AnimateStage() override;
    // Draws the next stage character from the allowed ones; with two or more
    // allowed never the one on the stage now.  With resetPhases a new
    // character starts the present phase afresh.
    void PickStageCharacter(bool resetPhases);
    // The phase (0..4) of minute m under the present cycle; -1 when the cycle
    // code is not one of 0..3.
    [[nodiscard]] int PhaseOfMinute(int minute) const;
    // True while no tick can change the stage before the minute changes:
    // no soaking phase (which poses on every tick) is under way.
    [[nodiscard]] bool StageIsResting() const { return !(phaseShown_[1] || phaseShown_[2] || phaseShown_[3]); }

    void SetCycle(int16_t code) { cycle_ = code; }
    [[nodiscard]] int16_t Cycle() const { return cycle_; }
    void SetAllowed(Character c, bool allowed) { allowed_[static_cast<std::size_t>(IndexOf(c))] = allowed; }
    [[nodiscard]] bool Allowed(Character c) const { return allowed_[static_cast<std::size_t>(IndexOf(c))]; }
    // The character on the stage, or the next to come; also the voice of the
    // spoken time.
    [[nodiscard]] Character OnStage() const { return onStage_; }
    // Puts a character on the stage without a draw (tests, tools).
    void PutOnStage(Character c) { onStage_ = c; }
    // Which phase has been entered in this cycle (0..4); at most one.
    [[nodiscard]] int PhaseEntered() const;
    // Marks phase p as entered, as if it had run (tests, tools); -1: none.
    void MarkPhaseEntered(int phase);

private:
    // Runs phase p: 0 walk in, 1-3 one pose step at the first, second or
    // third place, 4 walk out.
    void RunPhase(int phase);
    // One pose step: the frame held for a second while events and the face
    // go on, then the other frame of the pair.
    void Pose(int32_t x, int first, int second);
    // Walking holds the thread on purpose: 4 pixels every 50 ms, each step
    // on the screen at once.
    void Walk(int32_t from, int32_t last, int frame);
    // n tenths of a second in which events are handled and the face kept
    // up to date.
    void PauseTenths(int n);
    int StageClip(clips::StageLine line) const { return clips::Stage(onStage_, line); }

    Machine machine_;
    StageCanvas& canvas_;
    Voice& voice_;
    ClockDisplay& face_;
    int16_t cycle_ = kEveryHour;
    std::array<bool, kCharacterCount> allowed_{};
    Character onStage_ = Character::kRumika;
    std::array<bool, 5> phaseShown_{};
    int poseFrame_ = 0;
};
