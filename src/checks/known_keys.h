// The keys the game knows in a weapon block: the fields of the weapon window
// and the few the game reads beyond them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "checks/registry.h"

namespace qm {

enum class KeyKind : unsigned char { Unknown, Number, Flag, Other };

// What the key (lower case) holds; Unknown when the game does not know it.
// `hash` is keyHash(lowerKey), for callers that need it anyway.
KeyKind weaponKeyKind(std::string_view lowerKey, std::uint64_t hash);
KeyKind weaponKeyKind(std::string_view lowerKey);
std::uint64_t keyHash(std::string_view key);

// The known key nearest to an unknown one when it is a likely misspelling
// (a few edits away); empty when none is that close.
std::string_view nearestWeaponKey(std::string_view lowerKey);

// Whether the later engine reads this key (lower case) beyond the original's.
bool isLaterEngineKey(std::string_view lowerKey);

// What the checks say of `value` for `key` (any letter case) on a weapon's own
// level, or as an amount of its [DAMAGE] block when `damage`: an empty number,
// not a number, a flag that is not 0 or 1, a negative reload time or range,
// an ID that is not 0..255. Null when the value passes or the key has no rule.
struct ValueProblem {
  const CheckInfo* check;
  std::string message;
};
std::optional<ValueProblem> checkValue(std::string_view key, std::string_view value, bool damage = false);

// The keys of a weapon that name other files of the game. A sequence key
// names a sequence inside the animation file its `fileKey` names.
enum class FileKind : unsigned char { Sound, Animation, Sequence, Model };
struct FileKey {
  std::string_view key;
  FileKind kind;
  std::string_view fileKey;  // for a sequence: the key of its animation file
};
inline constexpr FileKey kFileKeys[] = {
    {"soundstart", FileKind::Sound, {}},
    {"soundhit", FileKind::Sound, {}},
    {"soundwater", FileKind::Sound, {}},
    {"soundtrigger", FileKind::Sound, {}},
    {"explosiongaf", FileKind::Animation, {}},
    {"waterexplosiongaf", FileKind::Animation, {}},
    {"lavaexplosiongaf", FileKind::Animation, {}},
    {"explosionart", FileKind::Sequence, "explosiongaf"},
    {"waterexplosionart", FileKind::Sequence, "waterexplosiongaf"},
    {"lavaexplosionart", FileKind::Sequence, "lavaexplosiongaf"},
    {"model", FileKind::Model, {}},
};
// The entry of kFileKeys for a lower-case key; null for other keys.
const FileKey* fileKey(std::string_view lowerKey);

// True when the text is a decimal number as a whole: a sign, digits with at
// most one point, an exponent.
bool isNumberText(std::string_view text);

}  // namespace qm
