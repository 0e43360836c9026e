// The keys the game knows in a weapon block: the fields of the weapon window
// and the few the game reads beyond them.
#pragma once

#include <cstdint>
#include <string_view>

namespace qm {

enum class KeyKind : unsigned char { Unknown, Number, Other };

// What the key (lower case) holds; Unknown when the game does not know it.
// `hash` is keyHash(lowerKey), for callers that need it anyway.
KeyKind weaponKeyKind(std::string_view lowerKey, std::uint64_t hash);
KeyKind weaponKeyKind(std::string_view lowerKey);
std::uint64_t keyHash(std::string_view key);

// The known key nearest to an unknown one when it is a likely misspelling
// (a few edits away); empty when none is that close.
std::string_view nearestWeaponKey(std::string_view lowerKey);

// True when the text is a decimal number as a whole: a sign, digits with at
// most one point, an exponent.
bool isNumberText(std::string_view text);

}  // namespace qm
