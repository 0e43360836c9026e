// References between the game's files: the units that name weapons
// (units/*.fbi), and the sounds, animation files, sequences and models that
// weapons name (sounds/*.wav, anims/*.gaf, objects3d/*.3do; for the later
// engine also .ogg sounds and the model types it loads).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/game_files.h"
#include "checks/finding.h"
#include "checks/game_check.h"
#include "checks/known_keys.h"

namespace qm {

// A unit's key that names a weapon.
struct UnitUse {
  // The unit's name as the engine takes it: the original its UnitName (the
  // file's name without extension when it has none), the later the file's name.
  std::string unit;
  std::string key;     // as written: WeaponN, ExplodeAs, SelfDestructAs
  std::string weapon;  // the value, as written
  std::string file;
  int line = 0, column = 0;
  int slot = 0;                    // the N of WeaponN; 0 for ExplodeAs and SelfDestructAs
  std::string unitName, fileName;  // its UnitName, the file's name without extension
};

// The uses of weapons in one unit file's bytes, in file order: every slot
// up to the later engine's last, with the names the original engine takes.
void readUnitUses(const std::string& file, std::string_view bytes, std::vector<UnitUse>& out);

// A name no file of the game resolves: a weapon a unit names that no weapon
// file defines, or a file a weapon names that the file set lacks.
struct Unresolved {
  enum class Kind : unsigned char { Weapon, Sound, Animation, Sequence, Model } kind;
  std::string name;    // as written
  std::string holder;  // the unit or the weapon that names it
  std::string file;
  int line = 0, column = 0;
};

// "weapon", "sound", "animation file", "sequence", "model".
std::string_view kindName(Unresolved::Kind kind);

class References {
 public:
  // Reads the units of the file set and what it holds of each kind of file.
  // Files that cannot be read are named in `unreadable`.
  explicit References(const GameFiles& set);

  // Reads the units as `engine` does (Original until told): its weapon slots
  // and its unit names.
  void setEngine(Engine engine);
  Engine engine() const { return engine_; }

  // The uses of weapons the engine reads, in reading order.
  const std::vector<UnitUse>& uses() const { return uses_; }
  // The units that name `weapon` (letter case ignored), in reading order.
  std::vector<const UnitUse*> usersOf(std::string_view weapon) const;
  // What the units and `weapons` name and the file set lacks: unit uses in
  // reading order, then each weapon's names in key order. A kind of file is
  // only looked for when the set holds any file of that kind. `units` false
  // leaves out the units: `weapons` is then only part of the game's.
  std::vector<Unresolved> unresolved(const std::vector<WeaponRecord>& weapons, bool units = true) const;
  // The same as findings of the reference checks, with the animation files
  // that are damaged and the unit files that cannot be read.
  std::vector<Finding> findings(const std::vector<WeaponRecord>& weapons, bool units = true) const;
  // Whether a unit file was read at all (a folder of weapon files alone has none).
  bool hasUnits() const { return unitFiles_ > 0; }
  // Whether the file set holds any model: a model named is only looked for then.
  bool hasModels() const { return !models_.empty(); }
  // Whether the file set holds the model a weapon or unit names, as the engine loads it.
  bool hasModel(std::string_view value) const;

 private:
  // The sequence names of an animation file, read once; empty with `damaged`
  // set when it cannot be read.
  struct Animation {
    WeaponFilePtr file;
    bool read = false;
    std::string damaged;
    std::vector<std::string> sequences;  // lower case
  };
  const Animation* animation(const std::string& lowerName) const;

  bool hasSound(std::string_view value) const;

  Engine engine_ = Engine::Original;
  std::vector<UnitUse> all_, uses_;  // every slot read; those the engine reads
  std::vector<Finding> unitProblems_;
  std::size_t unitFiles_ = 0;
  std::map<std::string, bool> sounds_;      // lower-case file names, extension included
  std::map<std::string, unsigned> models_;  // lower-case names without extension: the types held, by bit
  mutable std::map<std::string, Animation> animations_;
};

}  // namespace qm
