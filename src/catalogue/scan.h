// The walks over the weapon files in search order: the scan that lists their
// weapons, and the load that finds one weapon's blocks.
#pragma once

#include <string_view>
#include <vector>

#include "catalogue/weapon_file.h"
#include "catalogue/weapon_list.h"
#include "weapon/current_weapon.h"

namespace qm {

// Appends one entry per weapon header of the file, in file order. A header is
// a line that begins with "[" and not with "[DAMAGE]" (letter case exact). Its
// ID text comes from the next id line ("id=" at the start of a line or after
// one tab, in any case) whose text is not zero; every line read while looking
// for it is consumed, other headers included.
void ScanFile(std::string_view bytes, std::vector<ListEntry>& out);

struct ScanOutcome {
  std::vector<ListEntry> entries;
  std::vector<UnreadableFile> unreadable;
};

// Scans the files in order; a file that cannot be read is passed over and
// reported, the others are scanned all the same.
ScanOutcome ScanFiles(const std::vector<WeaponFilePtr>& files);

struct LoadOutcome {
  bool found = false;
  std::vector<UnreadableFile> unreadable;
};

// Searches the files in order for the weapon's blocks (SearchFile). Files
// that cannot be read are passed over and reported. The weapon is left as it
// was when no block is found.
LoadOutcome LoadWeapon(std::string_view bracketName, const std::vector<WeaponFilePtr>& searchList,
                       CurrentWeapon& weapon, bool& damageCarry);

}  // namespace qm
