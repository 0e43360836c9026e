// The export dialog's state and its Continue button, without the window.
#pragma once

#include <string>

#include "presentation/host.h"
#include "weapon/current_weapon.h"

namespace qm {

inline constexpr std::string_view kExportDialogTitle = "Export as New Weapon";

class ExportDialogState {
 public:
  // The texts of the three boxes, as typed (UTF-8).
  std::string actualName;  // the new bracket name
  std::string name;        // the new name= value
  std::string weaponId;    // the new weapon ID

  enum class Outcome { StayOpen, Hide };

  // Continue: checks the values, asks for the file (starting from and
  // updating `lastPath`), asks before overwriting and writes the weapon.
  Outcome exportWeapon(const CurrentWeapon& weapon, Host& host, std::string& lastPath);

  // The dialog was closed with its close box: its texts are discarded.
  void discardTexts() { actualName.clear(), name.clear(), weaponId.clear(); }
};

}  // namespace qm
