// The game's units: the units/*.fbi files of its file set (loose and in
// archives, the same precedence as weapon files), each named as its engine
// names it, with the weapons its slots name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/game_files.h"
#include "catalogue/weapon_file.h"
#include "checks/game_check.h"
#include "unit/unit_file.h"

namespace qm {

// The engine the units are read for: Auto is decided as lint decides it,
// from the game's weapon files (and the imports).
Engine decideEngine(Engine asked, const GameFiles& set, const std::vector<WeaponFilePtr>& imports = {});

// A unit's name: its UnitName value for the original engine (the file's
// base name when it has none), the file's base name for the later one.
std::string unitName(const UnitFile& unit, std::string_view fileName, Engine engine);
// A file's name without its folders and its extension, as written.
std::string baseName(std::string_view fileName);

// A key of the unit that names a weapon, in slot order: Weapon1.. (up to
// Weapon3 for the original engine, Weapon32 for the later one), then
// ExplodeAs and SelfDestructAs. Keys with an empty value name nothing.
struct WeaponSlot {
  std::string key;  // as written
  std::string_view weapon;
  bool fires = true;  // false for ExplodeAs and SelfDestructAs
};
std::vector<WeaponSlot> weaponSlots(const UnitFile& unit, Engine engine);

struct Unit {
  std::string name;
  WeaponFilePtr file;
  UnitFile read;
};

class GameUnits {
 public:
  // Reads every unit file of the set. `engine` is Original or Later.
  GameUnits(const GameFiles& set, Engine engine);
  // The same over given files (tests, the fuzz target).
  GameUnits(const std::vector<WeaponFilePtr>& files, Engine engine);

  Engine engine() const { return engine_; }
  // Sorted by name with letter case ignored; of one name, in the file set's order.
  const std::vector<Unit>& units() const { return units_; }
  // The unit named `name` (letter case ignored): of two files that give one
  // name, the later in the file set's order, as of two weapon blocks. Null
  // when there is none.
  const Unit* find(std::string_view name) const;
  // The unit files left out: those that cannot be read, and those without a
  // [UNITINFO] block, with why.
  const std::vector<UnreadableFile>& leftOut() const { return leftOut_; }
  // Hands the units over (the Units window keeps and edits them); this set
  // is then empty.
  std::vector<Unit> takeUnits() { return std::move(units_); }

 private:
  void read(const std::vector<WeaponFilePtr>& files);

  Engine engine_;
  std::vector<Unit> units_;
  std::vector<UnreadableFile> leftOut_;
};

}  // namespace qm
