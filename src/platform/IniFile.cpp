#include "platform/IniFile.h"

#include <time.h>

#include "platform/AsciiText.h"

namespace platform {
namespace {

constexpr std::size_t kMaxValue = ProfileStore::kBufferSize - 1;

// File times come from the kernel's coarse clock, which moves in ticks of a
// few milliseconds: a change made in the same tick as the one the kept copy
// was read in could leave size and time as they were.  A copy counts only
// once the file it was read from had not been modified for this long.
constexpr long long kSettleNanoseconds = 100'000'000;

}  // namespace

IniFile::Snapshot* IniFile::Load(const std::string& path) {
    if (snapshot_ && snapshot_->settled && snapshot_->path == path && StampOf(path) == snapshot_->stamp)
        return &*snapshot_;

    snapshot_.reset();
    // Taken before the read: a change made while reading can only make the
    // copy look younger than it is, never settled too early.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    FileContents file = ReadWholeFile(path);
    if (file.result != ReadResult::kOk) return nullptr;
    Snapshot fresh;
    fresh.path = path;
    fresh.stamp = file.stamp;
    // A time in the future (the clock was set back) never settles.
    const long long age = (static_cast<long long>(now.tv_sec) - fresh.stamp.seconds) * 1'000'000'000LL +
                          (now.tv_nsec - fresh.stamp.nanoseconds);
    fresh.settled = age > kSettleNanoseconds;
    fresh.text = IniText(std::move(file.data));
    snapshot_ = std::move(fresh);
    return &*snapshot_;
}

std::optional<IniText::Section> IniFile::SectionOf(Snapshot& file, std::string_view section) {
    auto [at, added] = file.sections.try_emplace(AsciiLower(section));
    if (added) at->second = file.text.FindSection(section);
    return at->second;
}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                               const std::string& path) {
    std::string_view result = defaultValue;
    if (Snapshot* file = Load(path)) {
        if (auto body = SectionOf(*file, section)) {
            if (auto value = file->text.Find(*body, key)) result = *value;
        }
    }
    // The value ends at its first zero byte, as a C buffer would end it.
    result = result.substr(0, result.find('\0'));
    return std::string(result.substr(0, kMaxValue));
}

bool IniFile::PutString(std::string_view section, std::string_view key, const std::optional<std::string>& value,
                        const std::string& path) {
    const std::optional<std::string_view> newValue(value);
    // Refused before anything on disk is touched.
    if (!IniText::Accepts(section, key, newValue)) return false;

    // Before the write, so that the space they take is free for it.
    RemoveLeftovers(path);
    // The next read reads what this write leaves.
    snapshot_.reset();

    FileContents file = ReadWholeFile(path);
    // A file that cannot be read is never replaced by one holding only this key.
    if (file.result == ReadResult::kFailed) return false;
    const IniText text(std::move(file.data));
    const std::optional<std::string> out = text.Put(section, key, newValue);
    if (!out) return false;
    // Unchanged: nothing is written, so removing a key from no file makes no file.
    if (*out == text.Text()) return true;
    return ReplaceFile(path, *out);
}

}  // namespace platform
