// The block grammar: finding a weapon's blocks in the weapon files and feeding
// their lines to the line recogniser.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "weapon/current_weapon.h"
#include "weapon/line_reader.h"

namespace qm {

// Searches one file for every block whose header line begins with
// `bracketText` ("[" + name + "]", letter case ignored). Each block found
// empties the weapon, sets vName1 from its header and feeds the block's lines
// to CheckVal, so the last block wins. Returns true when a block was found.
bool SearchFile(LineReader& lines, std::string_view bracketText, CurrentWeapon& weapon, bool& DCheck);

struct LoadOutcome {
  bool found = false;
  std::vector<std::filesystem::path> unreadable;  // files that could not be read
};

// Searches the files in order for the weapon's blocks. Files that cannot be
// opened are passed over and reported. The weapon is left as it was when no
// block is found.
LoadOutcome LoadWeapon(std::string_view bracketName, const std::vector<std::filesystem::path>& searchList,
                       CurrentWeapon& weapon, bool& DCheck);

}  // namespace qm
