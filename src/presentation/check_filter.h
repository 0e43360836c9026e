// What the Game check window shows of a run of the checks: the checks the
// user hides, by category and by name, and the texts of its summary, its
// free IDs and its references.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "checks/game_check.h"
#include "checks/references.h"
#include "checks/registry.h"

namespace qm {

inline constexpr Category kCategories[] = {Category::Game, Category::Style, Category::Reference, Category::Display};

// What a category of checks is about, for the window's menu.
std::string_view categoryMeaning(Category c);

class CheckFilter {
 public:
  // Every check shown but the display checks: they are about this program's
  // own list, not the game, and `lint` runs them only when named.
  CheckFilter();
  // A filter as it is kept: the names of the hidden categories and of the
  // hidden checks. Names that are neither are passed over.
  CheckFilter(const std::vector<std::string>& hiddenCategories, const std::vector<std::string>& hiddenChecks);
  std::vector<std::string> hiddenCategories() const;
  std::vector<std::string> hiddenChecks() const;

  bool categoryShown(Category c) const { return categories_[static_cast<std::size_t>(c)]; }
  void setCategoryShown(Category c, bool shown) { categories_[static_cast<std::size_t>(c)] = shown; }
  // The check's own switch, whatever its category's.
  bool checkShown(std::string_view name) const { return checks_.has(name); }
  void setCheckShown(std::string_view name, bool shown) { checks_.set(name, shown); }
  // Whether the findings of check `name` are shown: its category and itself.
  bool shows(std::string_view name) const;

 private:
  std::array<bool, std::size(kCategories)> categories_{};
  CheckSelection checks_;  // every check by default
};

// "E errors, W warnings in F files (engine: ENGINE)", counting the findings
// shown, with ", H hidden" after the files when the filter hides some.
std::string shownFindingsSummary(const GameCheck& check, const CheckFilter& filter);

// "Free IDs: 17-19, 28, 40-255; the next free ID is 17.", or that none is free.
std::string freeIdsText(const Census& census);

// A weapon and the unit keys that name it.
struct WeaponUsers {
  const WeaponRecord* weapon;
  std::vector<const UnitUse*> users;  // in reading order
};
// Every weapon of `weapons` once, as the game takes it (its last definition),
// in reading order, each with the units that name it.
std::vector<WeaponUsers> weaponUsers(const std::vector<WeaponRecord>& weapons, const References& refs);

// How many units the uses are of (a unit may name a weapon in several keys).
std::size_t unitCount(const std::vector<const UnitUse*>& uses);

// What makes the units that name `weapon` (bytes as written), or none doing
// so, mean other than they seem: the game has no unit files to tell, it has
// no such weapon, or the weapon stands inside a block left open before it.
// Empty otherwise.
std::string whyNoUsers(const References& refs, const std::vector<WeaponRecord>& weapons, std::string_view weapon);

// What the units do with `weapon` (bytes as written): how many name it, that
// none does, or why none can.
std::string usersText(const References& refs, const std::vector<WeaponRecord>& weapons, std::string_view weapon);

// What an unresolved name is and who names it: "sound named by [GUN]",
// "weapon named by the unit ARMA".
std::string unresolvedText(const Unresolved& u);

}  // namespace qm
