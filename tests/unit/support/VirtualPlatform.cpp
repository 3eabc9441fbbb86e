#include "support/VirtualPlatform.h"

#include <unistd.h>

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace testing_support {

namespace {

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
constexpr int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

platform::LocalTime VirtualClock::Now() {
    const int64_t dayMs = 24LL * 3600 * 1000;
    int64_t days = nowMs >= 0 ? nowMs / dayMs : (nowMs - dayMs + 1) / dayMs;
    int64_t inDay = nowMs - days * dayMs;
    // The date on a real calendar, counted from 2026-12-10: the day after
    // 2026-12-31 is 2027-01-01.
    const int64_t z = DaysFromCivil(2026, 12, 10) + days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t month = mp + (mp < 10 ? 3 : -9);
    platform::LocalTime t;
    t.year = static_cast<int>(yoe + era * 400 + (month <= 2));
    t.month = static_cast<int>(month);
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
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
        // A handler that ran before may have destroyed or stopped it, as a
        // real timer stopped in time never fires.
        if (std::find(timers_.begin(), timers_.end(), e) == timers_.end() || !e->enabled || e->due > Now()) continue;
        e->due = Now() + e->interval;
        e->running = true;
        ++fired;
        e->onTimer();
        e->running = false;
    }
}

void VirtualPump::Sleep(uint32_t ms) {
    if (log_) log_->push_back("sleep " + std::to_string(ms));
    if (onSleep) onSleep(ms);
    clock_.Advance(ms);
}

// Delivers what Qt has posted meanwhile (queued calls such as a window's
// "later" handlers), as the real event loop does between timers.  Left
// undelivered, they piled up for as long as a test ran.
void VirtualPump::DeliverPosted() {
    if (QCoreApplication::instance()) QCoreApplication::sendPostedEvents();
}

void VirtualPump::ProcessPendingEvents() {
    if (log_) log_->push_back("pump");
    DeliverPosted();
    FireDue();
}

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
        DeliverPosted();
        FireDue();
    }
}

int RecordingSound::ClipNumber(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.size() != 8 || name.substr(4) != ".wav") return -1;
    int n = 0;
    for (int i = 0; i < 4; ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

void RecordingSound::PlaySound(const std::string& path, platform::PlayMode mode) {
    const int clip = ClipNumber(path);
    plays.push_back({clip, mode});
    const bool wait = mode == platform::PlayMode::kWait;
    char line[32];
    std::snprintf(line, sizeof line, "play %04d %s", clip, wait ? "wait" : "nowait");
    if (log_) log_->push_back(line);
    if (wait) clock_.Advance(LengthOf(clip));
}

int64_t RecordingSound::LengthOf(int clip) const {
    auto it = clipMs.find(clip);
    return it == clipMs.end() ? defaultClipMs : it->second;
}

void RecordingSound::Note(const std::string& call) {
    clipCalls.push_back(call);
    if (log_) log_->push_back("clip " + call);
}

std::optional<RecordingSound::Answer> RecordingSound::Scripted() {
    if (script.empty()) return std::nullopt;
    const Answer a = script.front();
    script.pop_front();
    return a;
}

platform::ClipError RecordingSound::OpenClip(const std::string& path) {
    const int clip = ClipNumber(path);
    char call[32];
    std::snprintf(call, sizeof call, "open %04d", clip);
    Note(call);
    if (auto a = Scripted()) return a->error;
    if (openClip_) return platform::ClipError::kAlreadyOpen;
    if (missing.contains(clip)) return platform::ClipError::kFileNotFound;
    openClip_ = clip;
    return platform::ClipError::kNone;
}

platform::ClipError RecordingSound::PlayClip() {
    Note("play");
    if (auto a = Scripted()) return a->error;
    if (!openClip_) return platform::ClipError::kNotOpen;
    playingSince_ = clock_.tickMs;
    return platform::ClipError::kNone;
}

platform::ClipQuery RecordingSound::IsClipPlaying() {
    Note("query");
    if (auto a = Scripted()) return {a->error, a->playing};
    if (!openClip_) return {platform::ClipError::kNotOpen, false};
    const bool over = !playingSince_ || clock_.tickMs - *playingSince_ >= static_cast<uint64_t>(LengthOf(*openClip_));
    return {platform::ClipError::kNone, !over};
}

platform::ClipError RecordingSound::CloseClip() {
    Note("close");
    if (auto a = Scripted()) return a->error;
    if (!openClip_) return platform::ClipError::kNotOpen;
    openClip_.reset();
    playingSince_.reset();
    return platform::ClipError::kNone;
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
