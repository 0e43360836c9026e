// The texts of the 65 value labels: Viewing Mode interprets the values,
// Actual Mode shows them as stored. The rule of each slot is in the field
// list (weapon/field_table.h).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "weapon/current_weapon.h"

namespace qm {

// The value label texts, indexed by slot, for Viewing Mode (true) or Actual
// Mode. The texts are bytes of the weapon files, like the slots.
std::array<std::string, kSlotCount> valueTexts(bool viewing, const CurrentWeapon& weapon);

// The Viewing Mode text of one slot of a weapon whose stored texts are
// `values` (by slot); the trajectory rows look at each other.
std::string viewingText(Slot s, const std::array<std::string_view, kSlotCount>& values);

}  // namespace qm
