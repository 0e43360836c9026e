// The block grammar: finding a weapon's blocks in a weapon file and feeding
// their lines to the line recogniser.
#pragma once

#include <string_view>

#include "weapon/current_weapon.h"

namespace qm {

// Searches a whole file for every block whose header line begins with "[",
// the bracket name and "]", letter case ignored. Each block found empties
// the weapon, sets the bracket name slot from its header and feeds the
// block's lines to RecogniseLine, so the last block wins. Returns true when a
// block was found.
bool SearchFile(std::string_view bytes, std::string_view bracketName, CurrentWeapon& weapon, bool& damageCarry);

}  // namespace qm
