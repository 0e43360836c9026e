// The columns of the units table and the figures computed from a unit and
// its weapons, for the command line's `table --units`, `unit` and `diff
// --units`, and the Units window: damage per second (the weapons table's
// own, summed over the unit's weapon slots), hit points per metal, damage
// per second per metal.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/game_files.h"
#include "catalogue/weapon_table.h"
#include "checks/game_check.h"
#include "presentation/weapon_columns.h"
#include "unit/unit_fields.h"
#include "unit/unit_set.h"

namespace qm {

struct UnitColumn {
  enum class Kind { Unit, Key, Dps, HpPerMetal, DpsPerMetal };
  Kind kind = Kind::Unit;
  std::string name;  // "unit", a key (a known one as unit-fields writes it), "dps", ...
  bool numeric() const;
  bool operator==(const UnitColumn&) const = default;
};

// "unit", then every known key in its order.
std::vector<UnitColumn> defaultUnitColumns();
// The column a name stands for (letter case ignored): "unit", a computed
// column, or a key, known or not (a unit that lacks it shows it empty).
// Nothing for a name that cannot be a key.
std::optional<UnitColumn> unitColumnNamed(std::string_view name);

// Every weapon of the game with its damage per second as the weapons table
// computes it, by bracket name (letter case ignored): the weapons of the
// game's weapon files and of the imports, the last block of a name counting.
class WeaponDps {
 public:
  WeaponDps() = default;
  explicit WeaponDps(const WeaponTable& table);
  // The weapon files read for it: every .tdf of the game's weapons folder,
  // then the imports.
  static WeaponDps ofGame(const GameFiles& set, const std::vector<WeaponFilePtr>& imports,
                          std::vector<UnreadableFile>* unreadable = nullptr);
  // The same over the files given, in search order.
  static WeaponDps ofFiles(const std::vector<WeaponFilePtr>& files, std::vector<UnreadableFile>* unreadable = nullptr);

  // Whether a weapon of that name is there.
  bool has(std::string_view weapon) const;
  // Its damage per second; nothing when it has none (or is not there).
  std::optional<double> of(std::string_view weapon) const;

 private:
  std::unordered_map<std::string, std::optional<double>> dps_;  // by the lower-case name
};

// The unit's damage per second: the sum over its weapon slots (ExplodeAs and
// SelfDestructAs not counted) of each weapon's; nothing when no slot has one.
std::optional<double> unitDps(const UnitFile& unit, Engine engine, const WeaponDps& weapons);
// A cell's text: the unit's value (bytes as written), or a computed figure.
std::string unitCell(const Unit& unit, const UnitColumn& column, Engine engine, const WeaponDps& weapons);

// Every key either unit has: the known keys in their order, then the others
// in the order of the first unit's file, then those only the second has,
// with whether the values differ.
std::vector<FieldPair> compareUnits(const UnitFile& a, const UnitFile& b);
std::vector<Difference> unitDifferences(const UnitFile& a, const UnitFile& b);

}  // namespace qm
