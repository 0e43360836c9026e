#include "weapon/current_weapon.h"

namespace qm {

void CurrentWeapon::ResetVals() {
  for (auto& s : v) s.clear();
  damage.clear();
}

}  // namespace qm
