// What the state of the two windows needs from the platform: the message
// box, the common file dialog and word of what changed on screen. The window
// implements it with real dialogs, the tests and the CLI with scripted ones.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "archive/archive.h"
#include "catalogue/weapon_file.h"

namespace qm {

class ArchiveView;

inline constexpr std::string_view kTdfFilter = "TDF files(*.tdf)|*.tdf";
inline constexpr std::string_view kCsvFilter = "CSV files(*.csv)|*.csv";

enum class Buttons { Ok, OkCancel, YesNo, SaveDiscardCancel };
enum class Answer { Ok, Cancel, Yes, No, Save, Discard };

// What a procedure changed, so that the window can show it.
enum StateChange : unsigned {
  ListChanged = 1u << 0,         // the weapon list's entries
  CountLineChanged = 1u << 1,    // the count line above the list
  ValuesChanged = 1u << 2,       // the value labels
  CaptionsChanged = 1u << 3,     // the caption labels
  DamageChanged = 1u << 4,       // the damage list
  DescriptionChanged = 1u << 5,  // the description panel's key and text
  SpaceTextChanged = 1u << 6,    // the text under the buttons
  EditsChanged = 1u << 7,        // the unsaved edits: what the files read now hold
};

class Host {
 public:
  virtual ~Host() = default;

  // A modal message box with the application's title; text is UTF-8. For
  // Buttons::YesNo, Yes is the default button.
  virtual Answer msgBox(std::string_view text, Buttons buttons) = 0;

  // The common file dialog starting from `startPath`: for opening with the
  // filter importFilter(), for saving with `filter` (form "Description|*.a;*.b",
  // pairs joined by "|"). Returns the chosen path, or nothing when the user
  // cancels (or the dialog fails). Paths cross as paths: a name becomes one
  // only through platform::pathOf.
  virtual std::optional<std::filesystem::path> showOpen(const std::filesystem::path& startPath) = 0;
  virtual std::optional<std::filesystem::path> showSave(const std::filesystem::path& startPath,
                                                        std::string_view filter = kTdfFilter) = 0;
  // The folder dialog starting in `startPath`; the folder chosen, or nothing.
  virtual std::optional<std::filesystem::path> chooseFolder(const std::filesystem::path& startPath) {
    (void)startPath;
    return std::nullopt;
  }

  // The archive view: the archive's files, to pick one of its weapon files
  // (view.weaponFiles()) or to extract files through view.extract(). The
  // index of the weapon file picked, or nothing when the user cancels.
  virtual std::optional<std::size_t> pickFromArchive(ArchiveView& view) {
    (void)view;
    return std::nullopt;
  }

  // Asks before unsaved edits are written: the files (their paths as shown,
  // UTF-8) and the unified diff of each (bytes); true for OK. By default a message box
  // shows them all.
  virtual bool confirmSave(const std::vector<std::pair<std::string, std::string>>& files);

  // Weapon files could not be read; by default one message names them all
  // with what went wrong.
  virtual void reportUnreadable(const std::vector<UnreadableFile>& files);
  // A file the user chose to import could not be read, and took no slot; by
  // default one message says so.
  virtual void reportImportFailure(const std::vector<UnreadableFile>& files);

  // The state has changed what the window shows.
  virtual void changed(unsigned changes) { (void)changes; }
};

inline constexpr std::string_view kAppTitle = "Quillmark";
// The game's archives, for saving one.
inline std::string archiveFilter() {
  const std::string archives = archiveExtensionList(";", "*");
  return "Game archives(" + archives + ")|" + archives;
}
// A filter of the form above as file dialogs take it: "Description (*.a
// *.b)" each, joined by ";;". A description's own bracketed patterns are
// dropped: the dialog writes them.
std::string dialogFilter(std::string_view filter);
// The import also opens the game's archives, to pick a weapon file inside.
inline std::string importFilter() { return std::string(kTdfFilter) + "|" + archiveFilter(); }
inline constexpr std::string_view kMsgNoWeaponFiles = "This archive holds no weapon files (.tdf).";

}  // namespace qm
