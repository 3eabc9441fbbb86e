// The settings store: every value the program keeps between runs lives in
// "Tessuri.ini" beside the program, read and written one key at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Services.h"

class mdlSetting {
public:
    static constexpr std::string_view kFileName = "Tessuri.ini";

    explicit mdlSetting(platform::Platform& platform) : platform_(platform) {}

    // The stored value, or defaultValue when the file, the section or the
    // key is missing or the stored value is empty.  At most 155 bytes.
    std::string ReadSetting(std::string_view section, std::string_view key, std::string_view defaultValue);
    // Stores value under the key; an empty value removes the key.  Silent
    // when the file cannot be written.
    void WriteSetting(std::string_view section, std::string_view key, std::string_view value);
    // The settings file's path, made anew at every call.
    [[nodiscard]] std::string IniPath() const;

    // What the call-out window announces (0 alarm, 1 countdown) and who speaks.
    int16_t CallOutKind = 0;
    int16_t CallOutCharacter = 0;

private:
    platform::Platform& platform_;
};

// Conversions of the text read from the file.  Text the program never writes
// gives the fallback.
namespace settings_text {
// "True"/"False" in any letter case, or a whole number (non-zero is true).
std::optional<bool> ParseBoolean(std::string_view text);
bool ToBoolean(std::string_view text, bool fallback);
// A whole number in the signed 16-bit range, blanks around it allowed.
std::optional<int16_t> ParseInt16(std::string_view text);
// A whole number in the signed 16-bit range, blanks around it allowed.
int16_t ToInt16(std::string_view text, int16_t fallback);
// A whole number in the signed 32-bit range, blanks around it allowed.
std::optional<int32_t> ToInt32(std::string_view text);
inline std::string_view FromBoolean(bool value) { return value ? "True" : "False"; }
// n with at least two digits, as hours and minutes are stored: "07", "30", "120".
std::string TwoDigits(int n);
}  // namespace settings_text
