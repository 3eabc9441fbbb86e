#include "platform/QtServices.h"

#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/Paths.h"

namespace platform {

LocalTime RealClock::Now() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm parts{};
    time_t secs = ts.tv_sec;
    localtime_r(&secs, &parts);
    LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec > 59 ? 59 : parts.tm_sec;  // a leap second shows as :59
    t.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
    return t;
}

uint64_t RealClock::TickCount() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

void QtEventPump::Sleep(uint32_t milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {}
}

void QtEventPump::ProcessPendingEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

namespace {

class QtTimer final : public Timer {
public:
    QtTimer(int intervalMs, std::function<void()> onTimer) : onTimer_(std::move(onTimer)) {
        timer_.setInterval(intervalMs);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (running_) return;  // a nested pump must not re-enter the handler
            running_ = true;
            onTimer_();
            running_ = false;
        });
    }
    void SetInterval(int milliseconds) override { timer_.setInterval(milliseconds); }
    void SetEnabled(bool enabled) override {
        if (enabled && !timer_.isActive()) timer_.start();
        if (!enabled) timer_.stop();
    }
    [[nodiscard]] bool Enabled() const override { return timer_.isActive(); }

private:
    QTimer timer_;
    std::function<void()> onTimer_;
    bool running_ = false;
};

}  // namespace

std::unique_ptr<Timer> QtEventPump::CreateTimer(int intervalMs, std::function<void()> onTimer) {
    return std::make_unique<QtTimer>(intervalMs, std::move(onTimer));
}

RealRandom::RealRandom() { Reseed(); }

void RealRandom::Reseed() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    state_ = static_cast<uint64_t>(ts.tv_sec) * 1000000007ull ^ static_cast<uint64_t>(ts.tv_nsec) ^
             (static_cast<uint64_t>(getpid()) << 32);
}

double RealRandom::NextFraction() {
    // splitmix64: small, fast and well distributed.
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

void RealProcess::End() {
    // Everything the program keeps is already on disk (each settings write
    // is flushed), so nothing is lost by skipping the teardown.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) QGuiApplication::sync();
    _exit(0);
}

std::string ExecutableFolder() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    return FolderOf(std::string_view(buf, static_cast<std::size_t>(n)));
}

namespace {
std::string LockPath() {
    // Per user: the session's runtime folder, or a per-uid name in /tmp.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && access(runtime, W_OK) == 0) return std::string(runtime) + "/tessuri.lock";
    return "/tmp/tessuri-" + std::to_string(getuid()) + ".lock";
}
}  // namespace

// The lock is the kernel's lock on an open file: it goes with the process,
// however the process ends, so a lock left behind never needs to be judged
// stale, and taking it writes nothing that must reach the disk.  The file
// stays; it only names the holder, for people.
InstanceLock::InstanceLock() {
    const std::string path = LockPath();
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        why_ = "cannot open the lock " + path + ": " + std::strerror(errno);
        return;
    }
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) why_ = "cannot lock " + path + ": " + std::strerror(errno);
        return;
    }
    acquired_ = true;
    const std::string holder = std::to_string(getpid()) + "\n";
    // Only a name for people: the lock holds whether or not it is written.
    if (ftruncate(fd_, 0) == 0 && pwrite(fd_, holder.data(), holder.size(), 0) < 0) return;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) close(fd_);
}

}  // namespace platform
