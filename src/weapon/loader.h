// The block grammar: finding a weapon's blocks in a weapon file and feeding
// their lines to the line recogniser.
#pragma once

#include <string>
#include <string_view>

#include "weapon/block_walk.h"
#include "weapon/current_weapon.h"
#include "weapon/recogniser.h"

namespace qm {

// Searches a whole file for every block whose header line begins with "[",
// the bracket name and "]", letter case ignored. Each block found empties
// the weapon, sets the bracket name slot from its header and feeds the
// block's lines to RecogniseLine, so the last block wins. Returns true when a
// block was found.
bool searchFile(std::string_view bytes, std::string_view bracketName, CurrentWeapon& weapon, bool& damageCarry);

// The same search over a file handed in pieces that each start a line, one
// WeaponSearch a file.
class WeaponSearch {
 public:
  WeaponSearch(std::string_view bracketName, CurrentWeapon& weapon, bool& damageCarry)
      : weapon_(weapon), damageCarry_(damageCarry), walk_(bracketName, *this) {}
  WeaponSearch(const WeaponSearch&) = delete;
  WeaponSearch& operator=(const WeaponSearch&) = delete;
  void piece(std::string_view bytes) { walk_.walk(bytes); }
  bool found() const { return found_; }

  // What the walk meets. A header starts the weapon afresh; the lines up to
  // the opening brace are not read as values; the block's lines are, nested
  // sub-blocks read through.
  void header(std::string_view line);
  void opening(const WalkedLine&, bool) {}
  void body(const WalkedLine& line, long) { recogniseLine(line.text, weapon_, damageCarry_); }

 private:
  CurrentWeapon& weapon_;
  bool& damageCarry_;
  bool found_ = false;
  NameWalk<WeaponSearch> walk_;
};

}  // namespace qm
