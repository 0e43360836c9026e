// The export dialog's state and its Continue button, without the window.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

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
  Outcome exportWeapon(const CurrentWeapon& weapon, Host& host, std::filesystem::path& lastPath);

  // The dialog was closed with its close box: its texts are discarded.
  void discardTexts() { actualName.clear(), name.clear(), weaponId.clear(); }

  // The path the last export wrote; empty when it wrote nothing.
  std::filesystem::path written;
};

// What the game checks find in the exported file at `path`, read after the
// game's weapon files and the imports, as the game would read it: its errors
// (an ID used by another weapon, or above 255, among them), each
// "FILE:LINE: message" on a line under a heading; empty when there are none.
// The export is written as it is either way: this only tells the user.
std::string exportFindings(const std::filesystem::path& gameDir, const std::vector<std::string>& imports,
                           const std::filesystem::path& path);

// The lowest weapon ID that no weapon of the game's files and the imports
// uses; nothing when all are taken.
std::optional<int> nextFreeId(const std::filesystem::path& gameDir, const std::vector<std::string>& imports);
// The hint beside the ID box: "next free: 81", or that none is free.
std::string nextFreeIdText(std::optional<int> id);

}  // namespace qm
