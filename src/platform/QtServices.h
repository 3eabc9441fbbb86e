// The real machine behind the platform interfaces.
#pragma once

#include <memory>
#include <string>

#include "platform/Dialog.h"
#include "platform/IniFile.h"
#include "platform/SdlAudio.h"
#include "platform/Services.h"
#include "platform/SoundSystem.h"

namespace platform {

class RealClock final : public SystemClock {
public:
    LocalTime Now() override;
    uint64_t TickCount() override;
};

// Sleep blocks the thread; ProcessPendingEvents and the timers run on Qt's event loop.
class QtEventPump final : public EventPump {
public:
    void Sleep(uint32_t milliseconds) override;
    void ProcessPendingEvents() override;
    std::unique_ptr<Timer> CreateTimer(int intervalMs, std::function<void()> onTimer) override;
};

class RealRandom final : public RandomSource {
public:
    RealRandom();
    void Reseed() override;
    double NextFraction() override;

private:
    uint64_t state_ = 0;
};

class RealProcess final : public Process {
public:
    [[noreturn]] void End() override;
};

// The folder of the running executable, symbolic links resolved, without a
// trailing separator.
std::string ExecutableFolder();

// Holds the per-user single-instance lock for the life of the process.
class InstanceLock {
public:
    InstanceLock();
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    // False when another instance of the program holds the lock, or when
    // the lock cannot be taken at all (then Why() says so).
    [[nodiscard]] bool Acquired() const { return acquired_; }
    [[nodiscard]] const std::string& Why() const { return why_; }

private:
    int fd_ = -1;
    bool acquired_ = false;
    std::string why_;
};

// Everything main() needs to hand a Platform to the application.
struct RealPlatform {
    RealClock clock;
    QtEventPump pump;
    RealRandom random;
    IniFile profile;
    RealProcess process;
    SdlAudio audio;
    SoundSystem sound{audio};
    QtMessages messages;
    Platform View() { return View(ExecutableFolder()); }
    // The same with another program folder (tools and tests).
    Platform View(std::string programFolder) {
        return {clock, pump, random, profile, process, sound, messages, std::move(programFolder)};
    }
};

}  // namespace platform
