// The weapon on display: 65 text slots and the damage list.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "weapon/field_table.h"

namespace qm {

struct CurrentWeapon {
  // Each slot holds its value exactly as cut from its line; empty when unset.
  std::array<std::string, kSlotCount> v;
  // The entries of the [DAMAGE] sub-block in file order. Until the first
  // reset it holds the list box's starting item.
  std::vector<std::string> damage{"None"};

  std::string& operator[](Slot s) { return v[slotIndex(s)]; }
  const std::string& operator[](Slot s) const { return v[slotIndex(s)]; }

  // Empties every slot and the damage list.
  void clear();
};

}  // namespace qm
