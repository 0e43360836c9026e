// The keys of a unit's [UNITINFO] block that Quillmark knows: one row each,
// in the groups a balancing modder looks at a unit by. The units table's
// columns, the window's groups and captions and the checks' kinds all come
// from this one list.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "checks/known_keys.h"

namespace qm {

enum class UnitKeyKind : unsigned char {
  Number,      // may have a fraction
  Whole,       // a whole number
  Flag,        // 0 or 1
  Text,        // any text
  Weapon,      // a weapon's bracket name
  Categories,  // names parted by spaces
};

struct UnitKey {
  std::string_view key;  // as the original game's own files write it
  std::string_view group;
  std::string_view caption;
  UnitKeyKind kind;
  std::string_view description;
};

// Every known key, group by group, in the order the groups are shown.
std::span<const UnitKey> unitKeys();
// The groups in the order they are shown.
std::span<const std::string_view> unitGroups();
// The known key `key` (letter case ignored), or null. The weapon slots
// beyond the third (Weapon4 to Weapon32, which only the later engine
// reads) are not rows of their own: see weaponSlotNumber.
const UnitKey* unitKey(std::string_view key);
// Whether the kind's values are numbers.
bool isNumberKind(UnitKeyKind kind);

// The number N of a weapon slot key WeaponN (letter case ignored, N from 1
// to 32 written without leading zeros), or nothing.
std::optional<int> weaponSlotNumber(std::string_view key);

}  // namespace qm
