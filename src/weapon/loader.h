// The block grammar: finding a weapon's blocks in a weapon file and feeding
// their lines to the line recogniser.
#pragma once

#include <string>
#include <string_view>

#include "weapon/current_weapon.h"
#include "weapon/recogniser.h"

namespace qm {

// The block grammar's line tests, shared by the search of one weapon and the
// reading of every weapon at once.
// A block opens on the line with "{" as its first or second character.
inline bool opensBlock(std::string_view line) { return braceAmong(line, 2, Brace::Open); }
// How a line inside a block changes its depth: "{" among its first three
// characters enters a sub-block, "}" among them leaves one (both: no change).
inline int depthChange(std::string_view line) {
  return (braceAmong(line, 3, Brace::Open) ? 1 : 0) - (braceAmong(line, 3, Brace::Close) ? 1 : 0);
}
// The header line without its first and its last character.
inline std::string_view bracketNameOf(std::string_view header) {
  return header.size() < 2 ? std::string_view() : header.substr(1, header.size() - 2);
}

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
  WeaponSearch(std::string_view bracketName, CurrentWeapon& weapon, bool& damageCarry);
  void piece(std::string_view bytes);
  bool found() const { return found_; }

 private:
  enum class State { Seeking, Opening, InBlock };  // a header; its opening brace; its closing one
  bool isHeader(std::string_view line) const;

  std::string lowerName_;
  CurrentWeapon& weapon_;
  bool& damageCarry_;
  State state_ = State::Seeking;
  long depth_ = 0;  // of nested blocks in the block being read
  bool found_ = false;
};

}  // namespace qm
