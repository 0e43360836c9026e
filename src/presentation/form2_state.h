// The export dialog's state and its Continue button, without the window.
#pragma once

#include <string>

#include "presentation/host.h"
#include "weapon/current_weapon.h"

namespace qm {

inline constexpr std::string_view kForm2Title = "Export as New Weapon";

class Form2State {
 public:
  // The texts of the three boxes, as typed (UTF-8).
  std::string Text1;  // the new actual name
  std::string Text2;  // the new name= value
  std::string Text3;  // the new weapon ID

  enum class Outcome { StayOpen, Hide };

  // Continue: checks the values, asks for the file (starting from and
  // updating `cd1Path`), asks before overwriting and writes the weapon.
  Outcome Command1_Click(const CurrentWeapon& weapon, Host& host, std::string& cd1Path);

  // The dialog was closed with its close box: its texts are discarded.
  void Form_Unload() { Text1.clear(), Text2.clear(), Text3.clear(); }
};

}  // namespace qm
