#include "anime/mdlAnime.h"

#include <cmath>
#include <vector>

#include "app/Application.h"
#include "app/frmClock.h"
#include "voice/mdlClockVoice.h"

using platform::BitBlt;
using platform::RasterOp;

void mdlAnime::DrawTimeDigits(int16_t hour, int16_t minute, int16_t second) {
    frmClock& f = *app_.clockWindow;
    platform::PictureBox& area = f.picTimr();
    platform::Picture& image = area.Image();

    struct Cell {
        int x;
        const platform::Picture& strip;
        int digit;
    };
    const Cell cells[] = {
        {0, f.picHour00, hour / 10},
        {20, f.picHour0, hour % 10},
        {52, f.picMin00, minute / 10},
        {72, f.picMin0, minute % 10},
    };
    for (const Cell& c : cells) BitBlt(image, c.x, 0, 20, 26, c.strip, 20 * c.digit, 0, RasterOp::kSrcCopy);

    const platform::Picture& colon = (second % 2 != 0) ? f.picKoron[0] : f.picKoron[1];
    BitBlt(image, 40, 0, 12, 26, colon, 0, 0, RasterOp::kSrcCopy);
    area.Refresh();
}

void mdlAnime::PickStageCharacter(bool resetPhases) {
    std::vector<int16_t> enabled;
    for (int16_t i = 0; i < kCharacters; ++i)
        if (CharEnabled[i]) enabled.push_back(i);
    if (enabled.empty()) return;  // start-up and the dialog make sure this never happens

    platform::RandomSource& random = app_.platform.random;
    random.Randomize();
    const int16_t old = StageChar;
    const auto n = static_cast<double>(enabled.size());
    auto pick = [&] {
        auto index = static_cast<std::size_t>(std::floor(n * random.Rnd()));
        if (index >= enabled.size()) index = enabled.size() - 1;
        return enabled[index];
    };
    if (enabled.size() >= 2) {
        do {
            StageChar = pick();
        } while (StageChar == old);
    } else {
        StageChar = pick();
    }
    if (resetPhases && StageChar != old) PhaseShown.fill(false);
}

void mdlAnime::AnimateStage() {
    // The stage stays bare until the characters' schedule is in place.
}

void mdlAnime::BuildAnimeVoiceTables() {
    for (int c = 0; c < kCharacters; ++c) {
        EnterClip[c] = mdlClockVoice::ClipName(202 + 5 * c);
        Phase1Clip[c] = mdlClockVoice::ClipName(203 + 5 * c);
        Phase2Clip[c] = mdlClockVoice::ClipName(204 + 5 * c);
        Phase3Clip[c] = mdlClockVoice::ClipName(205 + 5 * c);
        LeaveClip[c] = mdlClockVoice::ClipName(206 + 5 * c);
    }
}
