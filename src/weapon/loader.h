// The block grammar: finding a weapon's blocks in the weapon files and feeding
// their lines to the line recogniser.
#pragma once

#include <string_view>
#include <vector>

#include "catalogue/weapon_file.h"
#include "weapon/current_weapon.h"

namespace qm {

// Searches a whole file for every block whose header line begins with "[",
// the bracket name and "]", letter case ignored. Each block found
// empties the weapon, sets vName1 from its header and feeds the block's lines
// to RecogniseLine, so the last block wins. Returns true when a block was found.
bool SearchFile(std::string_view bytes, std::string_view bracketName, CurrentWeapon& weapon, bool& damageCarry);

struct LoadOutcome {
  bool found = false;
  std::vector<UnreadableFile> unreadable;
};

// Searches the files in order for the weapon's blocks. Files that cannot be
// opened are passed over and reported. The weapon is left as it was when no
// block is found.
LoadOutcome LoadWeapon(std::string_view bracketName, const std::vector<WeaponFilePtr>& searchList,
                       CurrentWeapon& weapon, bool& damageCarry);

}  // namespace qm
