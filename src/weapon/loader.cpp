#include "weapon/loader.h"

#include <string>

namespace qm {

void WeaponSearch::header(std::string_view line) {
  weapon_.clear();
  weapon_[Slot::BracketName] = std::string(bracketNameOf(line));
  found_ = true;
}

bool searchFile(std::string_view bytes, std::string_view bracketName, CurrentWeapon& weapon, bool& damageCarry) {
  WeaponSearch search(bracketName, weapon, damageCarry);
  search.piece(bytes);
  return search.found();
}

}  // namespace qm
