// The set of weapon files the game checks read, and one run over it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/weapon_file.h"
#include "checks/game_check.h"

namespace qm {

// Every weapon file the game reads: the .tdf files (any letter case) in the
// game's weapons folder (any letter case), hidden files left out, by name
// with letter case folded.
std::vector<WeaponFilePtr> gameWeaponFiles(const std::filesystem::path& gameDir);

// Reads each file whole and adds it to `check` in the given order, then
// finishes the check. `progress` is told after each file how many are done;
// when it returns false the run stops there (and is not finished).
bool runGameCheck(GameCheck& check, const std::vector<WeaponFilePtr>& files,
                  const std::function<bool(std::size_t done, std::size_t total)>& progress = {});

}  // namespace qm
