// A machine for tests: virtual local time and ticks, timers fired by
// advancing that time, a scripted random source, a recording settings store
// in front of a real file, and a process end that throws.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "platform/Services.h"

namespace testing_support {

struct ProcessEnded : std::runtime_error {
    ProcessEnded() : std::runtime_error("process ended") {}
};

class VirtualClock final : public platform::SystemClock {
public:
    // Local time as milliseconds since the start of 2026-12-10, on a real
    // calendar (a month later it is 2027-01-10); SetTime moves only this, as
    // setting the system clock would.
    int64_t nowMs = 0;
    uint64_t tickMs = 1'000'000;
    void SetTime(int hour, int minute, int second, int millisecond = 0) {
        nowMs = ((hour * 60 + minute) * 60 + second) * 1000LL + millisecond;
    }
    void Advance(int64_t ms) {
        nowMs += ms;
        tickMs += static_cast<uint64_t>(ms);
    }
    platform::LocalTime Now() override;
    uint64_t TickCount() override { return tickMs; }
};

class VirtualPump final : public platform::EventPump {
public:
    explicit VirtualPump(VirtualClock& clock, std::vector<std::string>* log = nullptr) : clock_(clock), log_(log) {}
    void Sleep(uint32_t ms) override;
    void ProcessPendingEvents() override;
    std::unique_ptr<platform::Timer> CreateTimer(int intervalMs, std::function<void()> onTimer) override;
    // Lets virtual time pass, firing every timer that falls due, in order.
    void RunFor(int64_t ms);
    // How many timer handlers have run.
    int fired = 0;
    // Told of every Sleep before virtual time moves on, so a test can look
    // at what is on the screen while the thread is held.
    std::function<void(uint32_t ms)> onSleep;

    struct Entry;

private:
    void DeliverPosted();
    void FireDue();
    // Timers run on the tick count, as real ones do: setting the wall clock
    // does not move them.
    [[nodiscard]] int64_t Now() const { return static_cast<int64_t>(clock_.tickMs); }
    VirtualClock& clock_;
    std::vector<std::string>* log_;
    std::vector<Entry*> timers_;
    friend class VirtualTimer;
};

class ScriptedRandom final : public platform::RandomSource {
public:
    // Values handed out first; afterwards 0.5, then a fixed sequence that
    // visits the whole range, so a caller that draws until it gets a
    // different pick always gets one.
    std::deque<double> script;
    int reseedCalls = 0;
    void Reseed() override { ++reseedCalls; }
    double NextFraction() override {
        if (script.empty()) {
            const double v = after_;
            after_ += 0.6180339887;
            if (after_ >= 1.0) after_ -= 1.0;
            return v;
        }
        double v = script.front();
        script.pop_front();
        return v;
    }

private:
    double after_ = 0.5;
};

// Every call is noted, then passed on to the real INI file code.
class RecordingProfile final : public platform::ProfileStore {
public:
    struct Call {
        bool write;
        std::string section, key, value;  // value: the default for reads, the value for writes
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> calls;
    std::string GetString(std::string_view section, std::string_view key, std::string_view def,
                          const std::string& path) override {
        calls.push_back({false, std::string(section), std::string(key), std::string(def)});
        return file_.GetString(section, key, def, path);
    }
    bool PutString(std::string_view section, std::string_view key, const std::optional<std::string>& value,
                   const std::string& path) override {
        calls.push_back({true, std::string(section), std::string(key), value.value_or("<remove>")});
        return file_.PutString(section, key, value, path);
    }

private:
    platform::IniFile file_;
};

// The sound layer as the modules see it, on virtual time.  One-shot clips
// are noted; a waiting one lets virtual time pass for the clip's length.
// Media clip calls are noted and answered from a script, or by a simulated
// clip.
class RecordingSound final : public platform::Sound {
public:
    explicit RecordingSound(VirtualClock& clock, std::vector<std::string>* log) : clock_(clock), log_(log) {}
    struct Play {
        int clip;  // the number of the file ("0203.wav" is 203); -1 for another name
        platform::PlayMode mode;
        bool operator==(const Play&) const = default;
        friend void PrintTo(const Play& p, std::ostream* os) {
            *os << p.clip << (p.mode == platform::PlayMode::kWait ? "/wait" : "/no wait");
        }
    };
    std::vector<Play> plays;
    // Every media clip call in order: "open 0196" (with the clip's number),
    // "play", "query", "close".  The log has them as "clip open 0196" ...
    std::vector<std::string> clipCalls;
    // How long a clip lasts; clipMs[number] overrides defaultClipMs.
    int64_t defaultClipMs = 700;
    std::map<int, int64_t> clipMs;
    // Answers to media clip calls, in order.  When the script is empty the
    // calls act on a simulated clip: opening fails with kFileNotFound for a
    // clip in `missing` and with kAlreadyOpen while one is open; a query
    // answers "playing" until the clip's length has passed since it was
    // started.
    struct Answer {
        platform::ClipError error = platform::ClipError::kNone;
        bool playing = false;  // for a query
    };
    std::deque<Answer> script;
    // Clips whose file cannot be opened; PlaySound still notes them, as the
    // real layer sounds its chime for them.
    std::set<int> missing;

    void PlaySound(const std::string& path, platform::PlayMode mode) override;
    platform::ClipError OpenClip(const std::string& path) override;
    platform::ClipError PlayClip() override;
    platform::ClipQuery IsClipPlaying() override;
    platform::ClipError CloseClip() override;
    static int ClipNumber(const std::string& path);

private:
    void Note(const std::string& call);
    std::optional<Answer> Scripted();
    [[nodiscard]] int64_t LengthOf(int clip) const;
    VirtualClock& clock_;
    std::vector<std::string>* log_;
    std::optional<int> openClip_;
    std::optional<uint64_t> playingSince_;
};

// Message boxes noted instead of shown: "msgbox TITLE|i or !|TEXT" in the log.
class RecordingMessages final : public platform::Messages {
public:
    explicit RecordingMessages(std::vector<std::string>* log) : log_(log) {}
    struct Message {
        std::string text;
        platform::MessageIcon icon;
        std::string title;
        bool operator==(const Message&) const = default;
        friend void PrintTo(const Message& m, std::ostream* os) {
            *os << m.title << (m.icon == platform::MessageIcon::kExclamation ? " (!) " : " (i) ") << m.text;
        }
    };
    std::vector<Message> shown;
    void ShowMessage(std::string_view text, platform::MessageIcon icon, std::string_view title) override {
        shown.push_back({std::string(text), icon, std::string(title)});
        if (log_)
            log_->push_back("msgbox " + std::string(title) +
                            (icon == platform::MessageIcon::kExclamation ? "|!|" : "|i|") + std::string(text));
    }

private:
    std::vector<std::string>* log_;
};

class ThrowingProcess final : public platform::Process {
public:
    [[noreturn]] void End() override { throw ProcessEnded(); }
};

// A temporary program folder, removed again at the end of the test.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    [[nodiscard]] const std::string& Path() const { return path_; }
    [[nodiscard]] std::string File(const std::string& name) const { return path_ + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) const;
    [[nodiscard]] std::string Read(const std::string& name) const;
    [[nodiscard]] bool Exists(const std::string& name) const;

private:
    std::string path_;
};

struct VirtualPlatform {
    TempFolder folder;
    VirtualClock clock;
    // What the pump, the sound and the stage did, in order, one line each
    // ("sleep 50", "pump", "play 0203 1", ...).
    std::vector<std::string> log;
    VirtualPump pump{clock, &log};
    ScriptedRandom random;
    RecordingProfile profile;
    ThrowingProcess process;
    RecordingSound sound{clock, &log};
    RecordingMessages messages{&log};
    platform::Platform view{clock, pump, random, profile, process, sound, messages, folder.Path()};
};

}  // namespace testing_support
