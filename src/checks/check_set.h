// The set of weapon files the game checks read, and one run over it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/game_files.h"
#include "catalogue/weapon_file.h"
#include "checks/game_check.h"
#include "checks/references.h"

namespace qm {

// Every weapon file the game reads: the .tdf files (any letter case) directly
// in the weapons folder of the game's file set, loose ones by name and then
// those of each archive, hidden files left out. A damaged archive is a file
// that cannot be read, so that the checks name it.
std::vector<WeaponFilePtr> gameWeaponFiles(const std::filesystem::path& gameDir);
std::vector<WeaponFilePtr> gameWeaponFiles(const GameFiles& set);

// The files the game checks read: the game's weapon files, then the imports
// in their order. An import where no file is any more is a file that cannot
// be read, so that the checks name it.
std::vector<WeaponFilePtr> filesToCheck(const std::filesystem::path& gameDir, const std::vector<std::string>& imports);
std::vector<WeaponFilePtr> filesToCheck(const GameFiles& set, const std::vector<std::string>& imports);

// The file a name stands for (a path, or ARCHIVE/inner/path); when there is
// none, a file whose reading fails saying so.
WeaponFilePtr checkFileNamed(const std::string& name);

// Reads each file whole and adds it to `check` in the given order, then
// finishes the check. `progress` is told after each file how many are done;
// when it returns false the run stops there (and is not finished).
// `beforeFinish` runs when every file is read (to add the reference checks).
bool runGameCheck(GameCheck& check, const std::vector<WeaponFilePtr>& files,
                  const std::function<bool(std::size_t done, std::size_t total)>& progress = {},
                  const std::function<void()>& beforeFinish = {});
// The same with the references between the game's files checked before
// finishing, as `lint` makes them, read for the engine the check decides;
// `units` false leaves out the units, for files that are only some of the
// game's.
bool runGameCheck(GameCheck& check, const std::vector<WeaponFilePtr>& files, References& refs, bool units = true,
                  const std::function<bool(std::size_t done, std::size_t total)>& progress = {});

}  // namespace qm
