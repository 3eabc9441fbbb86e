// The settings file on disk: an INI text whose every read sees the file as
// it is now, replaced atomically at every write.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/Services.h"

namespace platform {

// Reading: the file is read once and kept with its size, modification time
// and inode; a read that finds all three unchanged (one stat) uses the copy
// kept, any change (or a write of this store's) reads the file again.  The
// program reads some thirty values as it starts; reading the whole file for
// each made a file of 50 MB take seconds.  Section and key names match
// without regard to ASCII letter case; blanks around names and values are
// ignored; LF and CRLF both read; lines starting with ';' or '#' are
// comments.  The first matching section and key win.
//
// Writing: every line the write does not own is kept byte for byte.  A
// replaced key keeps its place and its line end; a new key goes after the
// last key line of its section; a new section goes at the end of the file.
// The file is written to a temporary file beside it, flushed to disk and
// renamed over the old one, so the old or the new file exists at any
// instant.  Any failure leaves the old file untouched.  A process killed in
// the middle of a write can leave its temporary file behind; every write
// first removes such files once they are kLeftoverAge seconds old (see
// IniFile.cpp for which files count as such).
class IniFile final : public ProfileStore {
public:
    // How old a temporary file must be before a write takes it for one left
    // by a killed writer.  Generous, so that a slow flush of another
    // process's write in progress is never mistaken for one.
    static constexpr long kLeftoverAge = 30;

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue, const std::string& path) override;
    bool PutString(std::string_view section, std::string_view key,
                   const std::optional<std::string>& value, const std::string& path) override;

private:
    // What tells one version of the file from another.
    struct Stamp {
        unsigned long long device = 0, inode = 0, size = 0;
        long long seconds = 0, nanoseconds = 0;  // last modification
        bool operator==(const Stamp&) const = default;
    };
    using Range = std::pair<std::size_t, std::size_t>;  // [first byte, one past the last)

    // The file as last read.
    struct Snapshot {
        std::string path;
        Stamp stamp;
        // Modified long enough before it was read that a later change would
        // show in the stamp (see Load).
        bool settled = false;
        std::string data;
        // The body of the first section of each name looked up so far (names
        // in lower case), nullopt for a section the file lacks.
        std::map<std::string, std::optional<Range>> sections;
    };

    Snapshot* Load(const std::string& path);
    std::optional<Range> SectionBody(Snapshot& file, std::string_view section);

    std::optional<Snapshot> snapshot_;
};

}  // namespace platform
