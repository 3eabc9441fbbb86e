// The stage and its characters, and the renderer of the time digits.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class Application;

class mdlAnime {
public:
    static constexpr int kCharacters = 5;  // 0 Rumika, 1 Shiore, 2 Yatsuha, 3 Pelulu, 4 Mazeri

    explicit mdlAnime(Application& app) : app_(app) {}

    // Draws HH:MM into the digit area from the digit strips; the colon shows
    // in odd seconds.  hour 0..12, minute 0..59, second 0..59.
    void DrawTimeDigits(int16_t hour, int16_t minute, int16_t second);
    // Draws the next stage character from the enabled ones; with two or more
    // enabled never the one on the stage now.
    void PickStageCharacter(bool resetPhases);
    // One step of the stage animation (driven by the clock's 100 ms tick).
    void AnimateStage();
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

private:
    Application& app_;
};
