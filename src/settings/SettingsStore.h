// The settings store: every value the program keeps between runs lives in
// "Tessuri.ini" beside the program, read and written one key at a time.
// Which keys there are, and how their text is read, is Settings.h.
#pragma once

#include <string>
#include <string_view>

#include "platform/Services.h"

class SettingsStore {
public:
    static constexpr std::string_view kFileName = "Tessuri.ini";

    SettingsStore(platform::ProfileStore& profile, std::string programFolder)
        : profile_(profile), programFolder_(std::move(programFolder)) {}

    // The stored value, or defaultValue when the file, the section or the
    // key is missing or the stored value is empty.  At most 155 bytes.
    std::string ReadSetting(std::string_view section, std::string_view key, std::string_view defaultValue);
    // Stores value under the key; an empty value removes the key.  Silent
    // when the file cannot be written.
    void WriteSetting(std::string_view section, std::string_view key, std::string_view value);
    // The settings file's path, made anew at every call.
    [[nodiscard]] std::string IniPath() const;

private:
    platform::ProfileStore& profile_;
    std::string programFolder_;
};
