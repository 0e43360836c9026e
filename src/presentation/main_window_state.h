// The main window's state and what its controls do, without the window: the
// weapon on display, the display mode, the weapon list and its count line,
// the imported files and the texts of every label that changes. The window
// shows these texts and forwards its events here.
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/game_files.h"
#include "catalogue/weapon_list.h"
#include "presentation/captions.h"
#include "presentation/edited_files.h"
#include "presentation/host.h"
#include "weapon/current_weapon.h"

namespace qm {

inline constexpr int kImportSlots = 15;
inline constexpr std::string_view kMsgNotFound = "Weapon not found!";
inline constexpr std::string_view kMsgSlotsFull =
    "All 15 external tdf slots have been filled, do you wish to empty the slots and continue?";
inline constexpr std::string_view kSpaceText = "Hmm, is this space here for a reason?";

class FileStore;
struct ScanOutcome;

class MainWindowState {
 public:
  // `gameDir` holds the game's weapons folder.
  MainWindowState(std::filesystem::path gameDir, Host& host);

  // --- What the window's controls do -------------------------------------
  // Builds the weapon list from the standard files and returns to Viewing
  // Mode. Files that cannot be read are named to the user in one message.
  // Runs at start-up, and again when the import slots are emptied.
  void rebuildList();
  // Shows the weapon of list entry `index`; other numbers do nothing.
  void showListEntry(int index);
  // Shows the weapon with the given bracket name; false (after telling the
  // user) when no file holds it.
  bool showWeapon(std::string_view name);
  // Shows a weapon found by a search of the caller's own (a command that
  // needs one weapon and no list); `damageCarry` is what that search left.
  void showFound(CurrentWeapon weapon, bool damageCarry);
  // Switches between Viewing Mode (true) and Actual Mode.
  void setViewingMode(bool viewing);
  // Puts the key and description of field `field` (1 to 66) into the
  // description panel; other numbers do nothing.
  void describeField(int field);
  // Asks for a weapon file and imports it.
  void importFile();
  // Imports the file at `path`: it takes the next import slot and its weapons
  // join the list. When all slots are taken the user may empty them (which
  // rebuilds the list) or keep them (nothing is imported). False when the
  // file was not added.
  bool addImport(const std::string& path);
  // Imports each file in turn as addImport does; with a store
  // (setFileStore), the files are scanned side by side first.
  void addImports(const std::vector<std::string>& paths);
  // With a store, reads the standard files and the files at `importPaths`
  // that lie loose on disk into it side by side, ahead of the list's scans.
  void readAhead(const std::vector<std::string>& importPaths);
  // The empty space under the buttons answers a click with a text.
  void clickSpace();
  // Reads the game folder and the imports afresh into the list, keeping the
  // mode and the weapon on display (after a save changed what they hold).
  void rescan();
  // Keeps the files the list's scans read in `store`, and reads them through
  // it: work that reads them again (a weapons table) can then hold them
  // through the same store and not read them twice. For a piece of work of
  // its own, such as one command; the window reads the files afresh.
  void setFileStore(std::shared_ptr<FileStore> store) { store_ = std::move(store); }
  FileStore* fileStore() const { return store_.get(); }
  // Takes the unsaved edits of `session` (null: none): each file they
  // changed stands in the search list, and for every window that reads the
  // game's files, for the file of the same name or path on disk.
  void takeEdits(const edit::Session* session) { edited_.take(session); }
  bool hasUnsavedEdits() const { return !edited_.empty(); }
  const EditedFiles& editedFiles() const { return edited_; }
  // The list entry of the weapon a game check points at: `name` as the checks
  // read it in the file named `file`, the entry of that name (letter case
  // ignored when none has it exactly). When the list has none, tells the user
  // why and, when the list does not read `file` and an import slot is free,
  // offers to import it. -1 when there is nothing to show.
  int checkedWeaponEntry(const std::string& name, const std::string& file);

  // --- State ---------------------------------------------------------------
  const std::filesystem::path& gameDir() const { return gameDir_; }
  // Whether the list reads every weapon file of the game rather than the
  // eight standard ones; the list is read afresh by rescan() or rebuildList().
  bool allWeaponFiles() const { return allWeaponFiles_; }
  void setAllWeaponFiles(bool all);

  // The files a weapon is searched in: the standard files (or every weapon
  // file), then the imports.
  std::vector<WeaponFilePtr> searchList() const;
  // The game's loose files and archives, as the last list rebuild found them.
  const GameFiles& gameFiles() const;
  const std::vector<std::string>& imports() const { return imports_; }
  const WeaponList& weaponList() const { return weaponList_; }
  // The entry whose text is `text` (the entry last shown), -1 when none is.
  int entryOfText(std::string_view text) const;
  // The bracket name of list entry `index`, which must exist.
  std::string_view entryName(int index) const;
  const CurrentWeapon& weapon() const { return weapon_; }
  bool viewingMode() const { return viewingMode_; }
  // The path chosen last in a file dialog; the next dialog starts there.
  std::filesystem::path& lastPath() { return lastPath_; }

  // Label texts as the window shows them: weapon bytes where they come from
  // the files, UTF-8 otherwise.
  const std::string& countLine() const { return countLine_; }
  const std::array<std::string, kSlotCount>& valueTexts() const { return valueTexts_; }           // by slot
  const std::array<std::string_view, kSlotCount>& captionTexts() const { return captionTexts_; }  // by slot
  const std::string& descriptionKey() const { return descriptionKey_; }
  const std::string& descriptionText() const { return descriptionText_; }
  const std::string& spaceText() const { return spaceText_; }
  // What the last import added (UTF-8), for the count line's tooltip: the
  // message boxes of the import stay as they are. Empty before the first.
  const std::string& importNote() const { return importNote_; }

 private:
  void showValues();
  void updateCountLine();
  bool addImportFile(const std::string& path, const WeaponFilePtr& file, ScanOutcome* scanned);

  std::filesystem::path gameDir_;
  mutable std::shared_ptr<const GameFiles> gameFiles_;  // made when first needed
  Host& host_;

  CurrentWeapon weapon_;
  bool damageCarry_ = false;  // a damage sub-block left open runs on into the next load
  bool viewingMode_ = false;
  std::vector<std::string> imports_;  // at most kImportSlots
  bool allWeaponFiles_ = false;
  // The files the imports name, made when they were added or the game last
  // rescanned: the same objects until then, so that a weapons table made
  // after an edit shares the files it read before.
  std::vector<WeaponFilePtr> importFiles_;
  EditedFiles edited_;
  std::shared_ptr<FileStore> store_;
  WeaponList weaponList_;
  std::filesystem::path lastPath_;

  std::string countLine_ = "0 Weapons, 0 IDs free";
  std::array<std::string, kSlotCount> valueTexts_;
  std::array<std::string_view, kSlotCount> captionTexts_;
  std::string descriptionKey_ = "None";
  std::string descriptionText_;
  std::string spaceText_;
  std::string importNote_;
};

// Where a file dialog starts: the path chosen last when its folder holds
// ordinary files, else the game's folder (a dialog listing a folder of the
// system's process or device tables can block reading it).
std::filesystem::path dialogStart(const std::filesystem::path& last, const std::filesystem::path& gameDir);

// Builds the message that names weapon files that could not be read.
std::string unreadableFilesMessage(const std::vector<UnreadableFile>& files);
// The same for a file the user chose to import.
std::string importFailureMessage(const std::vector<UnreadableFile>& files);

// What an import added: "3 weapons added from NAME (import 2 of 15)".
std::string importNote(std::size_t weapons, const std::string& name, std::size_t slot);

// A weapon file's name as the windows show it: relative to the game folder
// when it lies inside it ("weapons/cannons.tdf", "rev31.gp3/weapons/x.tdf").
std::string gameRelativeName(const std::filesystem::path& gameDir, const std::string& name);

}  // namespace qm
