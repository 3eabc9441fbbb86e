// Whole files on disk: read at once, and replaced so that the old or the new
// version exists at any instant, even across a crash or a kill.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// What tells one version of a file from another: the same name may come to
// hold another file (device and inode), or the same file other bytes (size
// and modification time).
struct FileStamp {
    unsigned long long device = 0, inode = 0, size = 0;
    long long seconds = 0, nanoseconds = 0;  // last modification
    bool operator==(const FileStamp&) const = default;
};

enum class ReadResult { kOk, kMissing, kFailed };

struct FileContents {
    ReadResult result = ReadResult::kFailed;
    std::string data;  // empty unless kOk
    FileStamp stamp;   // what the open file was when the read began (kOk only)
};

// The whole file at path.  kMissing only when there is no such name; a name
// that cannot be opened or read (a folder, no permission) is kFailed.
FileContents ReadWholeFile(const std::string& path);

// The stamp of the file at path as it is now; nullopt when it cannot be stat'ed.
std::optional<FileStamp> StampOf(const std::string& path);

// Replaces the file at path by data, or creates it: written to a temporary
// file beside it (path + "." + six letters or digits), flushed, renamed over
// path, and the folder flushed, so that the old or the new file exists at any
// instant.  The old file's permission bits are kept; a new file gets 0666
// less the umask.  False, with the old file untouched and no temporary file
// left, when any step before the rename fails.
bool ReplaceFile(const std::string& path, std::string_view data);

// How old a temporary file must be before RemoveLeftovers takes it for one
// left by a killed writer.  Generous, so that a slow flush of another
// process's write in progress is never mistaken for one.
inline constexpr long kLeftoverAge = 30;

// Removes the temporary files of ReplaceFile(path, ...) that a writer killed
// between creating and renaming them left beside path: only this user's
// regular files (never what a symbolic link points at), only once they are
// kLeftoverAge seconds old, and not those whose suffix looks like a copy the
// user made (see DurableFile.cpp).  Errors are ignored: this is tidying.
void RemoveLeftovers(const std::string& path);

}  // namespace platform
