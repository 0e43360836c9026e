#include "weapon/current_weapon.h"

namespace qm {

void CurrentWeapon::clear() {
  for (auto& s : v) s.clear();
  damage.clear();
}

}  // namespace qm
