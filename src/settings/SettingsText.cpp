#include "settings/SettingsText.h"

#include <charconv>
#include <cstdio>

#include "platform/AsciiText.h"

namespace settings_text {
namespace {

template <typename Int>
std::optional<Int> ParseInt(std::string_view text) {
    text = platform::TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    Int value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<bool> ParseBoolean(std::string_view text) {
    const std::string_view t = platform::TrimBlanks(text);
    if (platform::EqualsIgnoringCase(t, "True")) return true;
    if (platform::EqualsIgnoringCase(t, "False")) return false;
    if (auto n = ParseInt<int64_t>(t)) return *n != 0;
    return std::nullopt;
}

std::optional<int16_t> ParseInt16(std::string_view text) { return ParseInt<int16_t>(text); }

std::optional<int32_t> ParseInt32(std::string_view text) { return ParseInt<int32_t>(text); }

std::string TwoDigits(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

std::optional<int> TwoDigitMinute(std::string_view text) {
    if (text.size() != 2 || !DigitsOnly(text)) return std::nullopt;
    const int minute = (text[0] - '0') * 10 + (text[1] - '0');
    if (minute > 59) return std::nullopt;
    return minute;
}

int NumberInDigits(std::string_view digits) {
    if (digits.empty()) return -1;
    long n = 0;
    for (char c : digits) {
        n = n * 10 + (c - '0');
        if (n > 32767) return 99999;
    }
    return static_cast<int>(n);
}

bool DigitsOnly(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace settings_text
