// The 66 fields of a weapon definition as the core needs them: their numbers,
// keys, value slots and kinds, from the list in fields.def.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qm {

// The value slots of the weapon on display, in field-number order (the
// damage list has no slot).
enum class Slot : std::uint8_t {
#define FIELD(no, key, slot, ...) slot,
#define LIST_FIELD(...)
#include "weapon/fields.def"
#undef FIELD
#undef LIST_FIELD
  Count
};

inline constexpr int kSlotCount = static_cast<int>(Slot::Count);
inline constexpr Slot kNoSlot = Slot::Count;

enum class Kind : std::uint8_t { Flag, Number, Text, List };

// The headings the field rows stand under.
enum class Group : std::uint8_t {
  Identification,
  WeaponStats,
  ProjectileAppearance,
  ProjectilePhysics,
  Sound,
  ExplosionAppearance,
  Damage,
  ExplosionPhysics,
};

struct FieldRow {
  int no;                // field number, 1 to 66
  std::string_view key;  // lower-case key; "[NAME]" and "[DAMAGE]" for the bracket name and the damage list
  Slot slot;             // kNoSlot for the damage list
  Kind kind;

  // True when the field is read from a "key=value;" line.
  constexpr bool isKeyLine() const { return key.front() != '['; }
};

inline constexpr std::array<FieldRow, 66> kFields = {{
#define FIELD(no, key, slot, kind, ...) {no, key, Slot::slot, Kind::kind},
#define LIST_FIELD(no, key, kind, ...) {no, key, kNoSlot, Kind::kind},
#include "weapon/fields.def"
#undef FIELD
#undef LIST_FIELD
}};

inline constexpr int kFieldCount = static_cast<int>(kFields.size());
inline constexpr int kDamageField = 56;

// The numbers run from 1 in order, and the slots follow them, skipping the
// damage list.
static_assert([] {
  int slot = 0;
  for (int i = 0; i < kFieldCount; ++i) {
    if (kFields[i].no != i + 1) return false;
    if (kFields[i].slot == kNoSlot ? kFields[i].no != kDamageField : static_cast<int>(kFields[i].slot) != slot++)
      return false;
  }
  return slot == kSlotCount;
}());

constexpr int SlotIndex(Slot s) { return static_cast<int>(s); }

// The row of a field number (1 to 66).
constexpr const FieldRow& FieldByNumber(int no) { return kFields[no - 1]; }
// The row that holds a slot.
constexpr const FieldRow& FieldOfSlot(Slot s) {
  const int i = SlotIndex(s);
  return kFields[i < kDamageField - 1 ? i : i + 1];
}

}  // namespace qm
