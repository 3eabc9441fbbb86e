#include "stage/Stage.h"

#include <cmath>
#include <vector>

using clips::StageLine;
using platform::PlayMode;

Stage::Stage(Machine machine, StageCanvas& canvas, Voice& voice, ClockDisplay& face)
    : machine_(machine), canvas_(canvas), voice_(voice), face_(face) {}

void Stage::PickStageCharacter(bool resetPhases) {
    std::vector<Character> allowed;
    for (Character c : kAllCharacters)
        if (Allowed(c)) allowed.push_back(c);
    if (allowed.empty()) return;  // start-up and the dialog make sure this never happens

    platform::RandomSource& random = machine_.random;
    random.Reseed();
    const Character old = onStage_;
    const auto n = static_cast<double>(allowed.size());
    auto pick = [&] {
        auto index = static_cast<std::size_t>(std::floor(n * random.NextFraction()));
        if (index >= allowed.size()) index = allowed.size() - 1;
        return allowed[index];
    };
    if (allowed.size() >= 2) {
        do {
            onStage_ = pick();
        } while (onStage_ == old);
    } else {
        onStage_ = pick();
    }
    if (resetPhases && onStage_ != old) phaseShown_.fill(false);
}

int Stage::PhaseOfMinute(int m) const {
    // The first minute of phases 1 to 4 within each cycle length; phase 0
    // begins the cycle.
    static constexpr int kCycle[4] = {5, 10, 20, 60};
    static constexpr int kStarts[4][4] = {{1, 2, 3, 4}, {2, 4, 7, 9}, {5, 10, 15, 19}, {15, 30, 50, 59}};
    if (cycle_ < 0 || cycle_ > 3) return -1;
    const int v = m % kCycle[cycle_];
    int phase = 0;
    for (int start : kStarts[cycle_])
        if (v >= start) ++phase;
    return phase;
}

int Stage::PhaseEntered() const {
    for (int p = 0; p < 5; ++p)
        if (phaseShown_[static_cast<std::size_t>(p)]) return p;
    return -1;
}

void Stage::MarkPhaseEntered(int phase) {
    for (int p = 0; p < 5; ++p) phaseShown_[static_cast<std::size_t>(p)] = (p == phase);
}

void Stage::AnimateStage() {
    const int p = PhaseOfMinute(machine_.clock.Now().minute);
    if (p < 0) return;
    if (phaseShown_[static_cast<std::size_t>(p)]) {
        if (p >= 1 && p <= 3) RunPhase(p);
        return;
    }
    canvas_.ClearStage();
    switch (p) {
        case 0: RunPhase(0); break;
        case 4:
            RunPhase(4);
            PickStageCharacter(false);
            break;
        default: {
            // The soaking places: the first and the third start their pair of
            // poses afresh; the second carries on from the first.
            if (p == 1) poseFrame_ = 1;
            if (p == 3) poseFrame_ = 3;
            static constexpr StageLine kLines[] = {StageLine::kSoaking, StageLine::kSoakingOn, StageLine::kGettingHot};
            voice_.PlayStageClip(StageClip(kLines[p - 1]), PlayMode::kNoWait);
            RunPhase(p);
            break;
        }
    }
}

void Stage::RunPhase(int phase) {
    MarkPhaseEntered(phase);
    switch (phase) {
        case 0:
            Walk(-60, 10, 0);  // -60 to 8
            voice_.PlayStageClip(StageClip(StageLine::kArriving), PlayMode::kNoWait);
            break;
        case 1: Pose(35, 1, 2); break;
        case 2: Pose(76, 1, 2); break;
        case 3: Pose(117, 3, 4); break;
        case 4:
            canvas_.DrawStageFrame(onStage_, 152, 5, 0);
            voice_.PlayStageClip(StageClip(StageLine::kLeaving), PlayMode::kWait);
            machine_.pump.Sleep(1000);
            Walk(152, 232, 5);
            break;
        default: break;
    }
}

void Stage::Walk(int32_t from, int32_t last, int frame) {
    for (int32_t x = from; x <= last; x += 4) {
        canvas_.DrawStageFrame(onStage_, x, frame, 4);
        machine_.pump.Sleep(kWalkStepMs);
    }
}

void Stage::Pose(int32_t x, int first, int second) {
    machine_.pump.ProcessPendingEvents();
    canvas_.DrawStageFrame(onStage_, x, poseFrame_, 0);
    PauseTenths(10);
    poseFrame_ = (poseFrame_ == first) ? second : first;
}

void Stage::PauseTenths(int n) {
    constexpr uint32_t kTenthMs = 100;
    platform::EventPump& pump = machine_.pump;
    for (int i = 1; i <= n; ++i) {
        pump.ProcessPendingEvents();
        face_.UpdateClockDisplay();
        // A new second within this tenth is shown when it comes, not up to a
        // tenth later: a pose would otherwise leave the face behind by 50 ms
        // on average.  The tenth keeps its length.
        const uint32_t toNextSecond = 1000u - static_cast<uint32_t>(machine_.clock.Now().millisecond) + kSecondMarginMs;
        if (toNextSecond < kTenthMs) {
            pump.Sleep(toNextSecond);
            face_.UpdateClockDisplay();
            pump.Sleep(kTenthMs - toNextSecond);
        } else {
            pump.Sleep(kTenthMs);
        }
    }
}
