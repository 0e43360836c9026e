// The texts of the 65 value labels: Viewing Mode interprets the values,
// Actual Mode shows them as stored.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "weapon/current_weapon.h"

namespace qm {

// How Viewing Mode shows a slot.
enum class Rule : unsigned char {
  TextNone,       // the text, "None" when empty
  TextZero,       // the text, "0" when empty
  Flag,           // "YES" for exactly "1", else "NO"
  Trajectory,     // ballistic / line of sight / dropped: at most one "YES"
  RenderType,     // a name for the render-type codes
  EdgePercent,    // the fraction times 100, "%"; "100%" when empty
  ChancePercent,  // the text and "%"; "0%" when empty
};

// The value label texts, indexed by slot, for Viewing Mode (true) or Actual
// Mode. The texts are bytes of the weapon files, like the slots.
std::array<std::string, kSlotCount> ValueTexts(bool viewing, const CurrentWeapon& weapon);

// The Viewing Mode text of one slot of a weapon whose stored texts are
// `values` (by slot); the trajectory rows look at each other.
std::string ViewingText(Slot s, const std::array<std::string_view, kSlotCount>& values);

}  // namespace qm
