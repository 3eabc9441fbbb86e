// The stage and its characters, and the renderer of the time digits.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class Application;
class frmImageBuffer;

class mdlAnime {
public:
    static constexpr int kCharacters = 5;  // 0 Rumika, 1 Shiore, 2 Yatsuha, 3 Pelulu, 4 Mazeri
    static constexpr uint32_t kWalkStepMs = 50;

    explicit mdlAnime(Application& app) : app_(app) {}

    // Draws HH:MM into the digit area from the digit strips; the colon shows
    // in odd seconds.  hour 0..12, minute 0..59, second 0..59.
    void DrawTimeDigits(int16_t hour, int16_t minute, int16_t second);
    // Draws the next stage character from the enabled ones; with two or more
    // enabled never the one on the stage now.
    void PickStageCharacter(bool resetPhases);
    // One step of the stage animation (driven by the clock's 100 ms tick):
    // enters the phase of the present minute, or poses once more in it.
    void AnimateStage();
    // Runs phase p: 0 walk in, 1-3 one pose step at the first, second or
    // third place, 4 walk out; see the .cpp for the timing.
    void RunPhase(int16_t phase);
    // n tenths of a second in which events are handled and the face kept
    // up to date.
    void PauseTenths(int16_t n);
    // The phase (0..4) of minute m under StageInterval; -1 when the cycle
    // code is not one of 0..3.
    [[nodiscard]] int16_t PhaseOfMinute(int minute) const;

    // Draws frame 0..5 of the stage character at stage column x over the
    // clean background, first wiping the `trail` columns left of it, and
    // shows the result at once.
    void DrawStageFrame(int32_t x, int16_t frame, int32_t trail);
    // The stage becomes its bare background again, on the screen at once.
    void ClearStage();
    // The picture store, made at the first drawing on the stage.
    frmImageBuffer& ImageBuffer();
    // True while no tick can change the stage before the minute changes:
    // no soaking phase (which poses on every tick) is under way.
    [[nodiscard]] bool StageIsResting() const { return !(PhaseShown[1] || PhaseShown[2] || PhaseShown[3]); }
    // Fills the five stage clip tables.
    void BuildAnimeVoiceTables();

    int16_t StageChar = 0;
    int16_t StageInterval = 3;  // 0 = 5, 1 = 10, 2 = 20, 3 = 60 minutes
    std::array<bool, kCharacters> CharEnabled{};
    std::array<bool, 5> PhaseShown{};
    int16_t StageFrame = 0;

    std::array<std::string, kCharacters> EnterClip, Phase1Clip, Phase2Clip, Phase3Clip, LeaveClip;

    // Told of every drawing on the stage, for tools that follow the stage
    // without reading its pixels.
    std::function<void(int32_t x, int16_t frame, int32_t trail)> onFrameDrawn;
    std::function<void()> onStageCleared;

private:
    Application& app_;
};
