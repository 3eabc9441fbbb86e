// Text helpers that look at ASCII only: names in the settings file and in
// commands are ASCII, and a locale must never change how they compare.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// s without the leading and trailing characters found in blanks.
inline std::string_view TrimBlanks(std::string_view s, std::string_view blanks = " \t") {
    const std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return s.substr(s.size());
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// c with an ASCII capital made small; every other byte as it is.
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// s with its ASCII capitals made small.
inline std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

// Whether a and b are the same but for the case of ASCII letters.
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

}  // namespace platform
