// The small interfaces through which the modules reach the machine: the
// clocks, waiting and the event pump, timers, randomness, the settings file,
// the program's folder and the end of the process.  The real implementations
// live in QtServices; tests hand in virtual ones.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Paths.h"  // kPathSeparator and InFolder, which used to live here
#include "platform/Types.h"

namespace platform {

class SystemClock {
public:
    virtual ~SystemClock() = default;
    // Present local date and time.
    virtual LocalTime Now() = 0;
    // Milliseconds since an arbitrary start; never wraps, keeps counting
    // while the machine sleeps.
    virtual uint64_t TickCount() = 0;
};

// A periodic timer.  Its handler is never re-entered by the timer itself: a
// tick that falls due while the handler still runs is delivered afterwards.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void SetInterval(int milliseconds) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    [[nodiscard]] virtual bool Enabled() const = 0;
};

class EventPump {
public:
    virtual ~EventPump() = default;
    // Blocks the thread; no events are processed meanwhile.
    virtual void Sleep(uint32_t milliseconds) = 0;
    // Handles whatever events are pending, then returns.
    virtual void ProcessPendingEvents() = 0;
    virtual std::unique_ptr<Timer> CreateTimer(int intervalMs, std::function<void()> onTimer) = 0;
};

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Reseeds from the system clock.
    virtual void Reseed() = 0;
    // Uniform in [0, 1).
    virtual double NextFraction() = 0;
};

// Access to an INI file with the semantics of the classic profile calls.
class ProfileStore {
public:
    static constexpr std::size_t kBufferSize = 156;  // value bytes + the terminator
    virtual ~ProfileStore() = default;
    // The value stored under section/key, else the default; either is cut to
    // kBufferSize - 1 bytes.  An empty result means nothing was copied.
    virtual std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                  const std::string& path) = 0;
    // Stores value under section/key, creating file and section as needed;
    // no value removes the key.  Returns false when the file was left as it was.
    virtual bool PutString(std::string_view section, std::string_view key, const std::optional<std::string>& value,
                           const std::string& path) = 0;
};

// How PlaySound returns.
enum class PlayMode {
    kWait,    // when the clip has ended
    kNoWait,  // at once, while the clip plays on
};

// Why a media clip call failed; kNone is success.
enum class ClipError : uint8_t {
    kNone,
    kFileNotFound,    // no file at that path
    kUnreadableFile,  // not a playable WAV file
    kAlreadyOpen,     // another clip is open: close it first
    kNotOpen,         // no clip is open
};

// What IsClipPlaying found: the open clip still playing, or an error.
struct ClipQuery {
    ClipError error = ClipError::kNone;
    bool playing = false;
};

// The sound layer: one-shot clips, and one media clip at a time that plays
// beside them and can be asked whether it still plays.
class Sound {
public:
    virtual ~Sound() = default;
    // Plays a WAV file once.  A new clip cuts off the one-shot clip still
    // playing.  A file that cannot be played sounds the default chime.
    virtual void PlaySound(const std::string& path, PlayMode mode) = 0;
    // Loads the media clip at path, taken as one path whatever it holds;
    // nothing plays yet.  While another clip is open it fails with
    // kAlreadyOpen and leaves that one as it is.
    virtual ClipError OpenClip(const std::string& path) = 0;
    // Starts the open clip from its beginning.
    virtual ClipError PlayClip() = 0;
    // Whether the open clip has been started and not yet played to its end.
    virtual ClipQuery IsClipPlaying() = 0;
    // Silences and forgets the open clip.
    virtual ClipError CloseClip() = 0;
};

enum class MessageIcon { kInformation, kExclamation };

// Messages to the user.
class Messages {
public:
    virtual ~Messages() = default;
    // A modal message box with one OK button; returns when it is dismissed.
    virtual void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) = 0;
};

class Process {
public:
    virtual ~Process() = default;
    // Ends the process at once: no further handler or statement runs.
    [[noreturn]] virtual void End() = 0;
};

// Everything a module may ask of the machine, handed down from main().
struct Platform {
    SystemClock& clock;
    EventPump& pump;
    RandomSource& random;
    ProfileStore& profile;
    Process& process;
    Sound& sound;
    Messages& messages;
    std::string programFolder;  // the folder of the executable, no trailing separator
};

}  // namespace platform
