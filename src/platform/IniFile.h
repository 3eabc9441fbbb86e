// The settings file on disk: an INI text read afresh at every call and
// replaced atomically at every write.
#pragma once

#include "platform/Services.h"

namespace platform {

// Reading: section and key names match without regard to ASCII letter case;
// blanks around names and values are ignored; LF and CRLF both read; lines
// starting with ';' or '#' are comments.  The first matching section and key
// win.
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
};

}  // namespace platform
