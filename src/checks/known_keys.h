// The keys the game knows in a weapon block: for the original engine the
// fields of the weapon window and the few it reads beyond them, for the later
// engine its own list (later_keys.def).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "checks/registry.h"

namespace qm {

// The engine the weapon files are written for. Original: the 1997 engine,
// every weapon needs a unique ID 0..255. Later: the successor engine that
// reads the same files, needs no IDs and knows many more keys. Auto: Later
// when most weapons have no ID or use keys only the later engine reads.
enum class Engine : unsigned char { Original, Later, Auto };

// The later engine's keys, each once (later_keys.def).
enum class KeyPlace : unsigned char {
  Weapon,
  Shield,
  Textures,
  Damage,
  WeaponAlias,
  WeaponLegacy,
  Unit,
  UnitAlias,
  UnitLua
};
enum class KeyType : unsigned char { Flag, Whole, Number, Numbers, Text, Block };
struct LaterKey {
  KeyPlace place;
  std::string_view name;  // lower case; NAME# for NAME1..NAME32
  KeyType type;
};
inline constexpr LaterKey kLaterKeys[] = {
#define KEY(place, name, type) {KeyPlace::place, name, KeyType::type},
#include "checks/later_keys.def"
#undef KEY
};
// The weapon slots of a unit the later engine reads: Weapon1 to Weapon32.
inline constexpr int kLaterWeaponSlots = 32;
// The original engine's: Weapon1 to Weapon3.
inline constexpr int kOriginalWeaponSlots = 3;

// The later engine's key of that lower-case name that a weapon block's own
// level (`unit` false) or a unit file's (`unit` true) may hold; a numbered
// key (weapon12) is found as its NAME# entry. Null when the engine has none.
const LaterKey* laterKey(std::string_view lowerKey, bool unit = false);

enum class KeyKind : unsigned char { Unknown, Number, Flag, Other };

// What the key (lower case) holds on a weapon's own level for `engine`;
// Unknown when that engine does not read it. `hash` is keyHash(lowerKey),
// for callers that need it anyway.
KeyKind weaponKeyKind(std::string_view lowerKey, std::uint64_t hash, Engine engine = Engine::Original);
KeyKind weaponKeyKind(std::string_view lowerKey, Engine engine = Engine::Original);
std::uint64_t keyHash(std::string_view key);

// The key of `engine` nearest to an unknown one when it is a likely
// misspelling (a few edits away); empty when none is that close.
std::string_view nearestWeaponKey(std::string_view lowerKey, Engine engine = Engine::Original);

// The known key an unknown one likely misspells: of the keys considered (any
// letter case, views that outlive the object), the nearest within one edit in
// four letters and never more than two; a sibling (weapontype, weapontype2)
// or an opposite (notair, toair) is no misspelling. Ties go to the first.
class NearestKey {
 public:
  explicit NearestKey(std::string_view lowerKey);
  void consider(std::string_view key);
  // Empty when no key considered is that close.
  std::string_view best() const { return best_; }

 private:
  std::string_view lowerKey_;
  std::string folded_;  // scratch
  std::string_view best_;
  std::size_t bestDistance_;
};

// What the checks say of `value` for `key` (any letter case) on a weapon's own
// level, or as an amount of its [DAMAGE] block when `damage`, for `engine`:
// an empty number, not a number, a flag the engine does not read as one, a
// negative reload time or range, an ID that is not 0..255 (original engine
// only). Null when the value passes or the key has no rule.
struct ValueProblem {
  const CheckInfo* check;
  std::string message;
};
std::optional<ValueProblem> checkValue(std::string_view key, std::string_view value, bool damage = false,
                                       Engine engine = Engine::Original);

// The keys of a weapon that name other files of the game. A sequence key
// names a sequence inside the animation file its `fileKey` names.
enum class FileKind : unsigned char { Sound, Animation, Sequence, Model };
struct FileKey {
  std::string_view key;
  FileKind kind;
  std::string_view fileKey;  // for a sequence: the key of its animation file
  bool laterOnly = false;    // a key only the later engine reads
};
inline constexpr FileKey kFileKeys[] = {
    {"soundstart", FileKind::Sound, {}},
    {"soundhit", FileKind::Sound, {}},
    {"soundwater", FileKind::Sound, {}},
    {"soundhitdry", FileKind::Sound, {}, true},
    {"soundhitwet", FileKind::Sound, {}, true},
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
// True when the later engine reads the text as a number as a whole: the
// same, and hexadecimal, "inf" and "nan", blanks around it allowed.
bool isLaterNumberText(std::string_view text);

}  // namespace qm
