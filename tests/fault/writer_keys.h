// The keys ini_writer writes, in the order of each of its rounds, and the
// value each round gives them.
#pragma once

#include <string>

namespace writer_keys {

struct Key {
    const char* section;
    const char* key;
};

// Two sections, the second one also holding a key of the same name as the
// first, so that a value landing in the wrong section shows.
inline constexpr Key kKeys[] = {
    {"Setting", "Left"}, {"Setting", "Top"}, {"Setting", "Char0"}, {"Alerm", "Hour"}, {"Alerm", "Left"},
};
inline constexpr int kKeyCount = static_cast<int>(sizeof kKeys / sizeof kKeys[0]);

// The round number and the key's own name, so that any value on disk tells
// which round wrote it and for which key.
inline std::string Value(long round, const Key& k) { return std::to_string(round) + ":" + k.section + "." + k.key; }

}  // namespace writer_keys
