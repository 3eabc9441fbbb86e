#include "platform/DurableFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/Paths.h"

namespace platform {
namespace {

FileStamp StampOf(const struct stat& st) {
    return FileStamp{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
                     static_cast<unsigned long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
                     static_cast<long long>(st.st_mtim.tv_nsec)};
}

// Reads fd to its end into out.
bool ReadAll(int fd, std::string& out) {
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        out.append(buf, static_cast<std::size_t>(n));
    }
}

bool WriteAll(int fd, std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The temporary files are named path + "." + six letters or digits, the
// suffix mkostemp puts in place of "XXXXXX".
constexpr std::size_t kTempSuffix = 6;

// Whether a name in the file's folder is one of our temporary files.  A
// suffix of one kind of character only ("backup", "BACKUP", "241210") is more
// likely a copy the user made, and is left alone; about one temporary file in
// ninety looks like that and stays.
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

// The permission bits a replacement of path gets: the old file's, or the
// usual ones of a new file.
mode_t ModeFor(const std::string& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void SyncFolderOf(const std::string& path) {
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    ::fsync(dir);
    ::close(dir);
}

}  // namespace

FileContents ReadWholeFile(const std::string& path) {
    FileContents file;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        file.result = errno == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
        return file;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        if (S_ISREG(st.st_mode)) file.data.reserve(static_cast<std::size_t>(st.st_size));
        file.stamp = StampOf(st);
        if (ReadAll(fd, file.data)) file.result = ReadResult::kOk;
    }
    ::close(fd);
    if (file.result != ReadResult::kOk) file.data.clear();
    return file;
}

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return StampOf(st);
}

bool ReplaceFile(const std::string& path, std::string_view data) {
    const std::string tmpl = path + "." + std::string(kTempSuffix, 'X');
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, ModeFor(path)) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(name.data(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(name.data());
        return false;
    }
    // The rename itself reaches the disk only with the folder.
    SyncFolderOf(path);
    return true;
}

void RemoveLeftovers(const std::string& path) {
    const std::size_t slash = path.rfind(kPathSeparator);
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
        if (age < kLeftoverAge) continue;
        ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

}  // namespace platform
