// The main window's state and procedures, without the window: the weapon on
// display, the display mode, the weapon list and count line, the extra file
// slots and the texts of every label the procedures set. The window shows
// these and forwards its events here.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/weapon_list.h"
#include "presentation/captions.h"
#include "presentation/host.h"
#include "weapon/current_weapon.h"

namespace qm {

inline constexpr int kExtraSlots = 15;
inline constexpr std::string_view kMsgNotFound = "Weapon not found!";
inline constexpr std::string_view kMsgSlotsFull =
    "All 15 external tdf slots have been filled, do you wish to empty the slots and continue?";
inline constexpr std::string_view kLabel145Text = "Hmm, is this space here for a reason?";

class Form1State {
 public:
  // `gameDir` holds the game's weapons folder.
  Form1State(std::filesystem::path gameDir, Host& host);

  // --- Events of the window ---------------------------------------------
  void Form_Load();                // the start-up scan
  void Combo1_Click(int index);    // an entry of the weapon list was chosen
  void OptionClick(bool option1Selected);  // either mode option
  void HelpClick(int field);       // a "?" button: its field number
  void Command62_Click();          // import a weapon file
  void Label145_Click();

  // --- Procedures ----------------------------------------------------------
  // Rebuilds the weapon list from the standard files and returns to Viewing
  // Mode. Files that cannot be read are named to the user in one message.
  void ResetW();
  // Loads the weapon of list entry IDNum.
  void LoadWeap(int IDNum);
  // Loads the weapon with the given bracket name; false when not found.
  bool LoadWeapByName(std::string_view name);
  // The bracket name of list entry IDN.
  std::string GetName(int IDN) const;
  void DDesc(int IDNum);
  // Steps of the import after the dialog: records the file in the next slot
  // and lists its weapons. False when the file could not be added.
  bool ImportFile(const std::string& path);

  // --- State -------------------------------------------------------------
  const std::filesystem::path& gameDir() const { return gameDir_; }
  std::vector<WeaponFilePtr> SearchList() const;

  CurrentWeapon weapon;          // the weapon on display; its damage list is List1
  bool DCheck = false;
  bool VMode = false;
  long WNum = 0;
  std::array<std::string, kExtraSlots> IWeap;  // IWeap1 .. IWeap15
  int IWeaps = 0;
  WeaponList Combo1;
  std::string cd1Path;           // the path chosen last in the file dialog

  // Label texts as the window shows them (weapon bytes where they come from
  // the files, UTF-8 otherwise).
  std::string Label1 = "0 Weapons, 0 IDs free";
  std::array<std::string, kSlotCount> valueTexts;      // by slot
  std::array<std::string_view, kCaptionCount> captionTexts;  // as kCaptionSets
  std::string Label138 = "None";
  std::string Label139;
  std::string Label145;

 private:
  void ShowWeapon();  // MVals then MSwap
  void SetCountLine();

  std::filesystem::path gameDir_;
  Host& host_;
};

// Builds the message that names weapon files that could not be read.
std::string UnreadableFilesMessage(const std::vector<UnreadableFile>& files);

}  // namespace qm
