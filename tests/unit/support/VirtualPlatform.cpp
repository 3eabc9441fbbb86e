#include "support/VirtualPlatform.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace testing_support {

platform::LocalTime VirtualClock::Now() {
    const int64_t dayMs = 24LL * 3600 * 1000;
    int64_t days = nowMs >= 0 ? nowMs / dayMs : (nowMs - dayMs + 1) / dayMs;
    int64_t inDay = nowMs - days * dayMs;
    platform::LocalTime t;
    t.year = 2026;
    t.month = 12;
    t.day = static_cast<int>(10 + days);
    t.hour = static_cast<int>(inDay / 3'600'000);
    t.minute = static_cast<int>(inDay / 60'000 % 60);
    t.second = static_cast<int>(inDay / 1000 % 60);
    t.millisecond = static_cast<int>(inDay % 1000);
    return t;
}

struct VirtualPump::Entry {
    int interval = 0;
    bool enabled = false;
    bool running = false;
    int64_t due = 0;
    std::function<void()> onTimer;
};

class VirtualTimer final : public platform::Timer {
public:
    VirtualTimer(VirtualPump& pump, VirtualClock& clock, int interval, std::function<void()> onTimer)
        : pump_(pump), clock_(clock) {
        entry_.interval = interval;
        entry_.onTimer = std::move(onTimer);
        pump_.timers_.push_back(&entry_);
    }
    ~VirtualTimer() override { std::erase(pump_.timers_, &entry_); }
    // As a running real timer does, a new interval starts counting now.
    void SetInterval(int ms) override {
        entry_.interval = ms;
        if (entry_.enabled) entry_.due = static_cast<int64_t>(clock_.tickMs) + ms;
    }
    void SetEnabled(bool on) override {
        if (on && !entry_.enabled) entry_.due = static_cast<int64_t>(clock_.tickMs) + entry_.interval;
        entry_.enabled = on;
    }
    [[nodiscard]] bool Enabled() const override { return entry_.enabled; }

private:
    VirtualPump& pump_;
    VirtualClock& clock_;
    VirtualPump::Entry entry_;
};

std::unique_ptr<platform::Timer> VirtualPump::CreateTimer(int intervalMs, std::function<void()> onTimer) {
    return std::make_unique<VirtualTimer>(*this, clock_, intervalMs, std::move(onTimer));
}

void VirtualPump::FireDue() {
    // Copy: a handler may create or destroy timers.
    std::vector<Entry*> due;
    for (Entry* e : timers_)
        if (e->enabled && !e->running && e->due <= Now()) due.push_back(e);
    for (Entry* e : due) {
        if (std::find(timers_.begin(), timers_.end(), e) == timers_.end()) continue;
        e->due = Now() + e->interval;
        e->running = true;
        ++fired;
        e->onTimer();
        e->running = false;
    }
}

void VirtualPump::DoEvents() { FireDue(); }

void VirtualPump::RunFor(int64_t ms) {
    const int64_t end = Now() + ms;
    for (;;) {
        std::optional<int64_t> next;
        for (Entry* e : timers_)
            if (e->enabled && !e->running) next = std::min(next.value_or(e->due), std::max(e->due, Now()));
        if (!next || *next > end) {
            if (end > Now()) clock_.Advance(end - Now());
            return;
        }
        if (*next > Now()) clock_.Advance(*next - Now());
        FireDue();
    }
}

TempFolder::TempFolder() {
    std::string tmpl = std::filesystem::temp_directory_path().string() + "/tessuri-test-XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    path_ = mkdtemp(name.data());
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string TempFolder::Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TempFolder::Exists(const std::string& name) const { return std::filesystem::exists(File(name)); }

}  // namespace testing_support
