// The game checks of the unit files, by engine: a value that is not a number
// for a number key, a key the engine does not read, a UnitName that differs
// from the file's name, a model the game lacks, and across the units one
// name given by two files and one UnitNumber held by two units.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/game_files.h"
#include "checks/check_set.h"
#include "checks/finding.h"
#include "checks/references.h"
#include "unit/unit_file.h"
#include "unit/unit_set.h"

namespace qm {

// What `engine` makes of a key of [UNITINFO] (any letter case). The original
// engine reads the keys of unit_fields, the later one those of its own list
// (later_keys.def) and the slots up to Weapon32.
struct UnitKeyReading {
  bool reads = false;
  bool otherReads = false;  // the other engine reads it
  bool number = false;      // its value must be a number (a number, whole or flag key)
};
UnitKeyReading readUnitKey(std::string_view key, Engine engine);

// The finding of one key line of a unit file, checked on its own: its value
// not a number where the key wants one, or its key one the engine does not
// read, with the key it likely misspells when there is one. `misspeltOnly`
// leaves out an unknown key with no such hint (lint counts those once per
// key). `bytes` are the unit file's.
std::optional<Finding> unitLineFinding(const UnitEntry& e, std::string_view bytes, const std::string& file,
                                       Engine engine, bool misspeltOnly = false);

class UnitChecks {
 public:
  // `refs`: the models the game has (their engine set); null checks no model.
  explicit UnitChecks(Engine engine, const References* refs = nullptr) : engine_(engine), refs_(refs) {}
  // Checks every unit of `units` (read for the same engine) and returns the findings.
  std::vector<Finding> check(const GameUnits& units);

 private:
  void checkUnit(const Unit& unit);
  void checkNames(const GameUnits& units);

  struct UnknownKey {
    std::string written, file;
    int line = 0, column = 0;
    std::size_t count = 0;
    bool otherReads = false;
  };
  Engine engine_;
  const References* refs_;
  std::vector<Finding> findings_;
  std::unordered_map<std::string, UnknownKey> unknown_;  // by the key in lower case
  std::vector<std::string> unknownOrder_;
};

// The checks `lint` and the Game check window make of the whole game: those
// of runGameCheck with its references, then the unit checks of the game's
// units read for the engine the weapons decide.
bool runGameAndUnitChecks(GameCheck& check, const GameFiles& set, const std::vector<WeaponFilePtr>& files,
                          References& refs,
                          const std::function<bool(std::size_t done, std::size_t total)>& progress = {});

}  // namespace qm
