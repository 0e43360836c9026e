#include "weapon/current_weapon.h"

namespace qm {

void CurrentWeapon::Clear() {
  for (auto& s : v) s.clear();
  damage.clear();
}

}  // namespace qm
