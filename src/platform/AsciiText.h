// Small text helpers for the ASCII parts of file formats: names and values
// in the settings file, numbers typed into the dialog.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// s without the blanks at either end.
inline std::string_view TrimBlanks(std::string_view s, std::string_view blanks = " \t") {
    const std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

inline char AsciiLowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Equal when ASCII letters are compared without regard to case.
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLowerChar(a[i]) != AsciiLowerChar(b[i])) return false;
    return true;
}

inline std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = AsciiLowerChar(c);
    return out;
}

}  // namespace platform
