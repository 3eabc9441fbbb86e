// The settings file on disk: an INI text whose every read sees the file as
// it is now, replaced atomically at every write.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/DurableFile.h"
#include "platform/IniText.h"
#include "platform/Services.h"

namespace platform {

// The text's rules (names, blanks, line ends, comments, which lines a write
// owns and where new ones go) are IniText's.
//
// Reading: the file is read once and kept with its size, modification time
// and inode; a read that finds all three unchanged (one stat) uses the copy
// kept, any change (or a write of this store's) reads the file again.  The
// program reads some thirty values as it starts; reading the whole file for
// each made a file of 50 MB take seconds.
//
// Writing: the file is replaced by ReplaceFile (DurableFile.h), so the old or
// the new file exists at any instant, and any failure leaves the old file
// untouched; a write that would change nothing writes nothing.  A process
// killed in the middle of a write can leave its temporary file behind; every
// write first removes such files once they are kLeftoverAge seconds old.
class IniFile final : public ProfileStore {
public:
    // How old a temporary file must be before a write takes it for one left
    // by a killed writer.
    static constexpr long kLeftoverAge = platform::kLeftoverAge;

    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                          const std::string& path) override;
    bool PutString(std::string_view section, std::string_view key, const std::optional<std::string>& value,
                   const std::string& path) override;

private:
    // The file as last read.
    struct Snapshot {
        std::string path;
        FileStamp stamp;
        // Modified long enough before it was read that a later change would
        // show in the stamp (see Load).
        bool settled = false;
        IniText text;
        // The first section of each name looked up so far (names in lower
        // case), nullopt for a section the file lacks.
        std::map<std::string, std::optional<IniText::Section>> sections;
    };

    Snapshot* Load(const std::string& path);
    std::optional<IniText::Section> SectionOf(Snapshot& file, std::string_view section);

    std::optional<Snapshot> snapshot_;
};

}  // namespace platform
