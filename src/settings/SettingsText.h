// Conversions of the text read from the settings file and typed into the
// dialog.  Text the program never writes gives nothing, or the fallback.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace settings_text {

// "True"/"False" in any letter case, or a whole number (non-zero is true).
std::optional<bool> ParseBoolean(std::string_view text);
// A whole number in the signed 16-bit range, blanks and a '+' before it allowed.
std::optional<int16_t> ParseInt16(std::string_view text);
// The same in the signed 32-bit range.
std::optional<int32_t> ParseInt32(std::string_view text);
inline std::string_view FromBoolean(bool value) { return value ? "True" : "False"; }
// n with at least two digits, as hours and minutes are stored: "07", "30", "120".
std::string TwoDigits(int n);
// A minute as the alarm compares it: exactly two digits, 00 to 59.  "5",
// " 5" or "+5" are no minute at all, since no minute of the clock reads so.
std::optional<int> TwoDigitMinute(std::string_view text);
// The number in a text box that holds digits only; -1 when it is empty, and
// 99999 for one too large for a 16-bit integer.
int NumberInDigits(std::string_view digits);
// True when the text is empty or holds the digits 0 to 9 only.
bool DigitsOnly(std::string_view text);

}  // namespace settings_text
