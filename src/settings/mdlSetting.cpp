#include "settings/mdlSetting.h"

#include <charconv>
#include <cstdio>
#include <limits>

std::string mdlSetting::IniPath() const { return platform::InFolder(platform_.programFolder, kFileName); }

std::string mdlSetting::ReadSetting(std::string_view section, std::string_view key, std::string_view defaultValue) {
    std::string copied = platform_.profile.GetString(section, key, defaultValue, IniPath());
    if (copied.empty()) return std::string(defaultValue);  // nothing copied: an empty stored value
    return copied;
}

void mdlSetting::WriteSetting(std::string_view section, std::string_view key, std::string_view value) {
    std::optional<std::string> stored;
    if (!value.empty()) stored = std::string(value);
    platform_.profile.PutString(section, key, stored, IniPath());
}

namespace settings_text {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

template <typename Int>
std::optional<Int> ToInt(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    Int value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto low = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (low(a[i]) != low(b[i])) return false;
    }
    return true;
}

}  // namespace

std::optional<bool> ParseBoolean(std::string_view text) {
    std::string_view t = Trim(text);
    if (EqualsNoCase(t, "True")) return true;
    if (EqualsNoCase(t, "False")) return false;
    if (auto n = ToInt<int64_t>(t)) return *n != 0;
    return std::nullopt;
}

bool ToBoolean(std::string_view text, bool fallback) { return ParseBoolean(text).value_or(fallback); }

std::optional<int16_t> ParseInt16(std::string_view text) { return ToInt<int16_t>(text); }

int16_t ToInt16(std::string_view text, int16_t fallback) { return ToInt<int16_t>(text).value_or(fallback); }

std::optional<int32_t> ToInt32(std::string_view text) { return ToInt<int32_t>(text); }

std::string TwoDigits(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

}  // namespace settings_text
