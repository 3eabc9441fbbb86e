// Stand-ins for what the alarm and the countdown work with on the clock,
// each noting what it was asked in the rig's log among the pump's
// "sleep N" lines, and the machine they share.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "callout/CallOut.h"
#include "face/ClockFace.h"
#include "stage/Stage.h"
#include "support/VirtualPlatform.h"
#include "voice/ClipCatalogue.h"

namespace testing_support {
// "open 0196" for clip 196: the media clip call as the recording sound layer
// notes it; its log line has "clip " in front.
inline std::string ClipOpen(int clip) { return "open " + clips::FileName(clip).substr(0, 4); }

// How often clip n was opened as the media clip.
inline int Opened(const RecordingSound& sound, int clip) {
    return static_cast<int>(std::count(sound.clipCalls.begin(), sound.clipCalls.end(), ClipOpen(clip)));
}

// ---------------------------------------------------------------------------
// Stand-ins for what the alarm and the countdown work with.  Each notes
// what it was asked in the rig's log, among the pump's "sleep N" lines.

// The face: notes the wall-clock second of every redraw, as the real face
// would draw it.
class NotedFace final : public ClockDisplay {
public:
    NotedFace(VirtualClock& clock, std::vector<std::string>& log) : clock_(clock), log_(log) {}
    void UpdateClockDisplay() override {
        const platform::LocalTime now = clock_.Now();
        redraws.push_back(((now.hour * 60 + now.minute) * 60 + now.second) * 1000LL + now.millisecond);
        drawnSeconds.insert(now.second);
        log_.push_back("face");
    }
    std::vector<int64_t> redraws;  // milliseconds of the day
    std::set<int> drawnSeconds;

private:
    VirtualClock& clock_;
    std::vector<std::string>& log_;
};

class NotedSign final : public SignDisplay {
public:
    explicit NotedSign(std::vector<std::string>& log) : log_(log) {}
    void ShowSign(Sign sign) override {
        shown.push_back(sign);
        log_.push_back("sign");
    }
    std::vector<Sign> shown;

private:
    std::vector<std::string>& log_;
};

// A stage on which nothing walks or poses: only the steps are counted.
class NotedStage final : public StageDriver {
public:
    explicit NotedStage(std::vector<std::string>& log) : log_(log) {}
    void AnimateStage() override {
        ++steps;
        log_.push_back("stage");
    }
    int steps = 0;

private:
    std::vector<std::string>& log_;
};

// The call-out: notes each one with its choice and the wall clock, and holds
// the thread as a call-out does (an alarm line of 0.7 s, then 3 s).
class NotedCallOut final : public CallOut {
public:
    NotedCallOut(VirtualClock& clock, VirtualPump& pump, std::vector<std::string>& log)
        : clock_(clock), pump_(pump), log_(log) {}
    struct Presented {
        CallOutKind kind;
        Character speaker;
        platform::LocalTime at;
    };
    void Present(const CallOutChoice& choice) override {
        presented.push_back({choice.kind, choice.speaker, clock_.Now()});
        log_.push_back(std::string("call-out ") + (choice.kind == CallOutKind::kAlarm ? "alarm " : "countdown ") +
                       std::string(NameOf(choice.speaker)));
        pump_.Sleep(lastsMs);
    }
    std::vector<Presented> presented;
    uint32_t lastsMs = 3'700;

private:
    VirtualClock& clock_;
    VirtualPump& pump_;
    std::vector<std::string>& log_;
};

// What the alarm and the countdown share: the machine, the stand-ins, the
// choice of the next call-out.
struct StandIns {
    // The first log line at or after `from` that starts with `prefix`; the
    // log's size when there is none.
    [[nodiscard]] std::size_t Find(const std::string& prefix, std::size_t from = 0) const {
        for (std::size_t i = from; i < log.size(); ++i)
            if (log[i].starts_with(prefix)) return i;
        return log.size();
    }
    [[nodiscard]] int CallOuts() const { return static_cast<int>(callOut.presented.size()); }

    TempFolder folder;
    VirtualClock clock;
    std::vector<std::string> log;
    VirtualPump pump{clock, &log};
    NotedFace face{clock, log};
    NotedSign sign{log};
    NotedStage stage{log};
    NotedCallOut callOut{clock, pump, log};
    CallOutChoice choice;
    // How often the sign of whatever is still set was asked for.
    int restingSigns = 0;
    std::function<void()> showRestingSign = [this] {
        ++restingSigns;
        log.push_back("resting sign");
    };
};

// The choices a countdown's call-out is tried with: the kind a later
// confirmation in alarm mode may have set meanwhile, and the speaker.
struct CountdownCallOutCase {
    const char* name;
    CallOutKind kindAfterStart;
    Character speaker;
};
inline constexpr CountdownCallOutCase kCountdownCallOutCases[] = {
    {"countdown kind", CallOutKind::kCountdown, Character::kRumika},
    {"countdown kind, Yatsuha", CallOutKind::kCountdown, Character::kYatsuha},
    {"alarm kind", CallOutKind::kAlarm, Character::kRumika},
    {"alarm kind, Mazeri", CallOutKind::kAlarm, Character::kMazeri}};

}  // namespace testing_support
