// The five characters of the clock.  Their order is the same in every table:
// the settings keys "Char0" to "Char4", the sprite sheets, the faces of the
// call-out window, the blocks of voice clips and the dialog's lists.
#pragma once

#include <array>
#include <string_view>

enum class Character : int { kRumika, kShiore, kYatsuha, kPelulu, kMazeri };

inline constexpr int kCharacterCount = 5;

inline constexpr std::array<Character, kCharacterCount> kAllCharacters{
    Character::kRumika, Character::kShiore, Character::kYatsuha, Character::kPelulu, Character::kMazeri};

// 0 for Rumika ... 4 for Mazeri.
constexpr int IndexOf(Character c) { return static_cast<int>(c); }

// The character at that place in the order; an index outside 0..4 is taken
// as the nearest end, so a table lookup with it always stays in bounds.
constexpr Character CharacterAt(int index) {
    if (index < 0) index = 0;
    if (index >= kCharacterCount) index = kCharacterCount - 1;
    return kAllCharacters[static_cast<std::size_t>(index)];
}

constexpr std::string_view NameOf(Character c) {
    constexpr std::array<std::string_view, kCharacterCount> kNames{"Rumika", "Shiore", "Yatsuha", "Pelulu", "Mazeri"};
    return kNames[static_cast<std::size_t>(IndexOf(c))];
}
