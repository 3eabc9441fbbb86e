#include "platform/IniFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace platform {
namespace {

constexpr std::size_t kMaxValue = ProfileStore::kBufferSize - 1;

std::string_view Trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// One line of the file without its line end, and where it lies in the text.
struct Line {
    std::size_t begin = 0;  // first byte
    std::size_t end = 0;    // one past the last byte of the content (before \r\n or \n)
    std::size_t next = 0;   // first byte of the next line
    std::string_view text;  // content, \r stripped
};

// The line that starts at pos.
Line LineAt(const std::string& data, std::size_t pos) {
    std::size_t nl = data.find('\n', pos);
    Line line;
    line.begin = pos;
    line.next = nl == std::string::npos ? data.size() : nl + 1;
    line.end = nl == std::string::npos ? data.size() : nl;
    if (line.end > pos && data[line.end - 1] == '\r') --line.end;
    line.text = std::string_view(data).substr(pos, line.end - pos);
    return line;
}

std::vector<Line> SplitLines(const std::string& data) {
    std::vector<Line> lines;
    for (std::size_t pos = 0; pos < data.size(); pos = lines.back().next) lines.push_back(LineAt(data, pos));
    return lines;
}

bool IsComment(std::string_view t) { return !t.empty() && (t.front() == ';' || t.front() == '#'); }

// The name of a section header line, or nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view text) {
    std::string_view t = Trim(text);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    std::size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> ParseKey(std::string_view text) {
    std::string_view t = Trim(text);
    if (t.empty() || IsComment(t)) return std::nullopt;
    std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

// Where a section and a key lie among the lines.
struct Located {
    std::optional<std::size_t> section;  // index of the header line
    std::optional<std::size_t> lastKey;  // index of the section's last key line
    std::vector<std::size_t> keys;       // every matching key line in the section; the first counts
};

Located Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Located found;
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionName(lines[i].text)) {
            if (inside) break;  // only the first matching section counts
            if (SameName(*name, section)) {
                inside = true;
                found.section = i;
            }
            continue;
        }
        if (!inside) continue;
        if (auto kv = ParseKey(lines[i].text)) {
            found.lastKey = i;
            if (SameName(kv->key, key)) found.keys.push_back(i);
        }
    }
    return found;
}

enum class ReadResult { kOk, kMissing, kFailed };

// Reads the file at path into out; st, if given, receives what the open
// file was when the read began.
ReadResult ReadWholeFile(const std::string& path, std::string& out, struct stat* st = nullptr) {
    out.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
    if (st) {
        if (::fstat(fd, st) != 0) {
            ::close(fd);
            return ReadResult::kFailed;
        }
        if (S_ISREG(st->st_mode)) out.reserve(static_cast<std::size_t>(st->st_size));
    }
    char buf[8192];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return ReadResult::kFailed;
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadResult::kOk;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The temporary files are named path + "." + six letters or digits, the
// suffix mkostemp puts in place of "XXXXXX".
constexpr std::size_t kTempSuffix = 6;

// Whether a name in the settings file's folder is one of our temporary
// files.  A suffix of one kind of character only ("backup", "BACKUP",
// "241210") is more likely a copy the user made, and is left alone; about
// one temporary file in ninety looks like that and stays.
bool IsTempNameOf(std::string_view name, std::string_view base) {
    if (name.size() != base.size() + 1 + kTempSuffix) return false;
    if (name.substr(0, base.size()) != base || name[base.size()] != '.') return false;
    bool lower = false, upper = false, digit = false;
    for (char c : name.substr(base.size() + 1)) {
        if (c >= 'a' && c <= 'z') {
            lower = true;
        } else if (c >= 'A' && c <= 'Z') {
            upper = true;
        } else if (c >= '0' && c <= '9') {
            digit = true;
        } else {
            return false;
        }
    }
    return int{lower} + int{upper} + int{digit} >= 2;
}

// Removes temporary files that a writer killed between creating and renaming
// them left beside the settings file.  Only this user's regular files of
// exactly that name are touched, and only once they are older than
// IniFile::kLeftoverAge: a younger one may belong to another process that is
// writing right now.  Symbolic links are never followed or removed.  Errors
// are ignored; this is tidying, not part of the write.
void RemoveLeftovers(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) return;
    const int dirFd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return;
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const uid_t me = ::geteuid();
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTempNameOf(entry->d_name, base)) continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) || st.st_uid != me) continue;
        // A file dated in the future (the clock was set back) counts as young.
        const time_t age = now.tv_sec - st.st_mtim.tv_sec;
        if (age < IniFile::kLeftoverAge) continue;
        ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

// Replaces the file at path by data: temporary file beside it, flush, rename.
bool ReplaceFile(const std::string& path, const std::string& data) {
    std::string tmpl = path + "." + std::string(kTempSuffix, 'X');
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return false;
    // Keep the old file's permission bits; a new file gets the usual ones.
    struct stat old {};
    mode_t mode = 0666;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(name.data(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(name.data());
        return false;
    }
    int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

std::string LineEndOf(const std::string& data, const std::vector<Line>& lines) {
    for (const Line& l : lines) {
        if (l.next > l.end) return data.compare(l.end, 2, "\r\n") == 0 ? "\r\n" : "\n";
    }
    return "\n";
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The body of the first section of that name: from the line after its header
// to the next header or the end.  Same rules as Locate.
std::optional<std::pair<std::size_t, std::size_t>> FindSection(const std::string& data, std::string_view section) {
    std::size_t pos = 0;
    while (pos < data.size()) {
        const Line header = LineAt(data, pos);
        pos = header.next;
        auto name = SectionName(header.text);
        if (!name || !SameName(*name, section)) continue;
        while (pos < data.size()) {
            const Line line = LineAt(data, pos);
            if (SectionName(line.text)) break;
            pos = line.next;
        }
        return std::make_pair(header.next, pos);
    }
    return std::nullopt;
}

// The value of the first key of that name within [from, to), which holds no header.
std::optional<std::string_view> FindKey(const std::string& data, std::size_t from, std::size_t to,
                                        std::string_view key) {
    for (std::size_t pos = from; pos < to;) {
        const Line line = LineAt(data, pos);
        pos = line.next;
        if (auto kv = ParseKey(line.text); kv && SameName(kv->key, key)) return kv->value;
    }
    return std::nullopt;
}

// File times come from the kernel's coarse clock, which moves in ticks of a
// few milliseconds: a change made in the same tick as the one the kept copy
// was read in could leave size and time as they were.  A copy counts only
// once the file it was read from had not been modified for this long.
constexpr long long kSettleNanoseconds = 100'000'000;

}  // namespace

IniFile::Snapshot* IniFile::Load(const std::string& path) {
    auto stampOf = [](const struct stat& st) {
        return Stamp{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
                     static_cast<unsigned long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
                     static_cast<long long>(st.st_mtim.tv_nsec)};
    };
    struct stat st {};
    if (snapshot_ && snapshot_->settled && snapshot_->path == path && ::stat(path.c_str(), &st) == 0 &&
        stampOf(st) == snapshot_->stamp)
        return &*snapshot_;

    snapshot_.reset();
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    Snapshot fresh;
    if (ReadWholeFile(path, fresh.data, &st) != ReadResult::kOk) return nullptr;
    fresh.path = path;
    fresh.stamp = stampOf(st);
    // A time in the future (the clock was set back) never settles.
    const long long age = (static_cast<long long>(now.tv_sec) - fresh.stamp.seconds) * 1'000'000'000LL +
                          (now.tv_nsec - fresh.stamp.nanoseconds);
    fresh.settled = age > kSettleNanoseconds;
    snapshot_ = std::move(fresh);
    return &*snapshot_;
}

std::optional<IniFile::Range> IniFile::SectionBody(Snapshot& file, std::string_view section) {
    auto [at, added] = file.sections.try_emplace(Lower(section));
    if (added) at->second = FindSection(file.data, section);
    return at->second;
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue, const std::string& path) {
    std::string_view result = defaultValue;
    if (Snapshot* file = Load(path)) {
        if (auto body = SectionBody(*file, section)) {
            if (auto value = FindKey(file->data, body->first, body->second, key)) result = *value;
        }
    }
    // The value ends at its first zero byte, as a C buffer would end it.
    result = result.substr(0, result.find('\0'));
    return std::string(result.substr(0, kMaxValue));
}

bool IniFile::PutString(std::string_view section, std::string_view key,
                        const std::optional<std::string>& value, const std::string& path) {
    // A name or value with a line break or an '=' in the key would change
    // other lines of the file; such a write is refused.
    auto unsafe = [](std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos || s.find('\0') != std::string_view::npos; };
    if (unsafe(section) || unsafe(key) || key.find('=') != std::string_view::npos ||
        section.find(']') != std::string_view::npos || Trim(key).empty() || Trim(section).empty() ||
        (value && unsafe(*value))) {
        return false;
    }

    // Before the write, so that the space they take is free for it.
    RemoveLeftovers(path);
    // The next read reads what this write leaves.
    snapshot_.reset();

    std::string data;
    ReadResult read = ReadWholeFile(path, data);
    if (read == ReadResult::kFailed) return false;
    if (read == ReadResult::kMissing && !value) return true;  // nothing to remove

    std::vector<Line> lines = SplitLines(data);
    Located at = Locate(lines, section, key);
    const std::string eol = LineEndOf(data, lines);
    std::string out;

    if (!value) {
        if (at.keys.empty()) return true;
        std::size_t from = 0;
        for (std::size_t i : at.keys) {
            out.append(data, from, lines[i].begin - from);
            from = lines[i].next;
        }
        out.append(data, from, std::string::npos);
    } else {
        std::string keyLine = std::string(key) + "=" + *value;
        if (!at.keys.empty()) {
            const Line& l = lines[at.keys.front()];
            out.append(data, 0, l.begin);
            out += keyLine;
            out.append(data, l.end, std::string::npos);
        } else if (at.section) {
            const Line& after = lines[at.lastKey.value_or(*at.section)];
            out.append(data, 0, after.next);
            // The last line had no line end; a bare CR there is only half of one.
            if (after.next == data.size() && (data.empty() || data.back() != '\n'))
                out += (!data.empty() && data.back() == '\r') ? std::string("\n") : std::string(eol);
            out += keyLine + eol;
            out.append(data, after.next, std::string::npos);
        } else {
            out = data;
            if (!out.empty() && out.back() != '\n') out += out.back() == '\r' ? std::string("\n") : std::string(eol);
            out += "[" + std::string(section) + "]" + eol + keyLine + eol;
        }
    }
    if (out == data) return true;
    return ReplaceFile(path, out);
}

}  // namespace platform
