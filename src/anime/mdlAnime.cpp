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

int16_t mdlAnime::PhaseOfMinute(int m) const {
    // The first minute of phases 1 to 4 within each cycle length; phase 0
    // begins the cycle.
    static constexpr int kCycle[4] = {5, 10, 20, 60};
    static constexpr int kStarts[4][4] = {{1, 2, 3, 4}, {2, 4, 7, 9}, {5, 10, 15, 19}, {15, 30, 50, 59}};
    if (StageInterval < 0 || StageInterval > 3) return -1;
    const int v = m % kCycle[StageInterval];
    int16_t phase = 0;
    for (int start : kStarts[StageInterval])
        if (v >= start) ++phase;
    return phase;
}

void mdlAnime::AnimateStage() {
    const int16_t p = PhaseOfMinute(app_.platform.clock.Now().minute);
    if (p < 0) return;
    if (PhaseShown[p]) {
        if (p >= 1 && p <= 3) RunPhase(p);
        return;
    }
    switch (p) {
        case 0:
            ClearStage();
            RunPhase(0);
            break;
        case 4:
            ClearStage();
            RunPhase(4);
            PickStageCharacter(false);
            break;
        default: {
            // The soaking places: the first and the third start their pair of
            // poses afresh; the second carries on from the first.
            if (p == 1) StageFrame = 1;
            if (p == 3) StageFrame = 3;
            ClearStage();
            const auto& clips = p == 1 ? Phase1Clip : p == 2 ? Phase2Clip : Phase3Clip;
            app_.voice.PlayStageClip(clips[StageChar], mdlClockVoice::kNoWait);
            RunPhase(p);
            break;
        }
    }
}

void mdlAnime::RunPhase(int16_t phase) {
    for (int i = 0; i < 5; ++i) PhaseShown[i] = (i == phase);
    platform::EventPump& pump = app_.platform.pump;
    mdlClockVoice& voice = app_.voice;
    // Walking holds the thread on purpose: 4 pixels every 50 ms, each step
    // on the screen at once.
    auto walk = [&](int32_t from, int32_t last, int16_t frame) {
        for (int32_t x = from; x <= last; x += 4) {
            DrawStageFrame(x, frame, 4);
            pump.Sleep(kWalkStepMs);
        }
    };
    // A pose holds its frame for a second while events and the face go on.
    auto pose = [&](int32_t x, int16_t first, int16_t second) {
        pump.DoEvents();
        DrawStageFrame(x, StageFrame, 0);
        PauseTenths(10);
        StageFrame = (StageFrame == first) ? second : first;
    };
    switch (phase) {
        case 0:
            walk(-60, 10, 0);  // -60 to 8
            voice.PlayStageClip(EnterClip[StageChar], mdlClockVoice::kNoWait);
            break;
        case 1: pose(35, 1, 2); break;
        case 2: pose(76, 1, 2); break;
        case 3: pose(117, 3, 4); break;
        case 4:
            DrawStageFrame(152, 5, 0);
            voice.PlayStageClip(LeaveClip[StageChar], mdlClockVoice::kWait);
            pump.Sleep(1000);
            walk(152, 232, 5);
            break;
        default: break;
    }
}

void mdlAnime::PauseTenths(int16_t n) {
    constexpr uint32_t kTenthMs = 100;
    platform::EventPump& pump = app_.platform.pump;
    for (int16_t i = 1; i <= n; ++i) {
        pump.DoEvents();
        app_.clock.UpdateClockDisplay();
        // A new second within this tenth is shown when it comes, not up to a
        // tenth later: a pose would otherwise leave the face behind by 50 ms
        // on average. The tenth keeps its length.
        const uint32_t toNextSecond =
            1000u - static_cast<uint32_t>(app_.platform.clock.Now().millisecond) + frmClock::kSecondMarginMs;
        if (toNextSecond < kTenthMs) {
            pump.Sleep(toNextSecond);
            app_.clock.UpdateClockDisplay();
            pump.Sleep(kTenthMs - toNextSecond);
        } else {
            pump.Sleep(kTenthMs);
        }
    }
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
