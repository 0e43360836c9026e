// Editing in the main window, without the window: the edit session behind
// Actual Mode, the changes a value typed into a field row makes, the marks
// of changed values and the game checks' warnings on them, and saving with
// the user's say. The window wraps each applied step in an undo command.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "edit/session.h"
#include "presentation/main_window_state.h"

namespace qm {

inline constexpr std::string_view kMsgUnsaved = "There are unsaved changes. Save them first?";
inline constexpr std::string_view kMsgRevert =
    "Revert drops every unsaved change, and Undo cannot bring them back. Drop them?";

class EditingState {
 public:
  EditingState(MainWindowState& window, Host& host);

  // The name of the weapon on display; empty before the first.
  std::string shownWeapon() const;
  // Whether the value of `slot` can be edited now: Actual Mode, a weapon on
  // display, a field of a "key=value;" line.
  bool canEdit(int slot) const;
  bool canEditDamage() const;
  // The changes that give `slot` of the weapon on display the text `value`
  // (bytes); none when it already has it.
  std::vector<edit::Change> slotChanges(int slot, const std::string& value) const;
  // The changes that make the weapon's [DAMAGE] lines those of `lines`, one
  // "UNIT=AMOUNT" a line (bytes): units set, units gone removed.
  std::vector<edit::Change> damageChanges(const std::string& lines) const;
  // The damage list as the editor starts: one "UNIT=AMOUNT" a line.
  std::string damageLines() const;

  // Makes the changes as one step and shows the weapon with them; tells the
  // user the refusal (nothing then), and before a file of an archive is
  // first changed, where it will be written.
  std::optional<edit::Step> apply(const std::vector<edit::Change>& changes);
  void undo(const edit::Step& step);
  void redo(const edit::Step& step);

  bool unsaved() const { return session_ && session_->anyChanged(); }
  // The session of the edits made so far; null before the first.
  const edit::Session* openSession() const { return session_.get(); }
  // Each changed file's target (saying so when the save makes it, and from
  // which archive's file) and its unified diff, for the user to confirm.
  std::vector<std::pair<std::string, std::string>> pendingFiles() const;
  // Writes every changed file; false (after telling the user why) when a
  // file was refused. Rebuilds the weapon list when a file of an archive was
  // written, or an ID or a name changed.
  bool save();
  // Shows the user the files save() would write with their diffs, and saves
  // when the user confirms; false when the user does not or a file was
  // refused.
  bool confirmAndSave();
  // Drops every unsaved change, and reads the files again from disk.
  void revert();
  // Whether the user, asked (kMsgRevert), lets Revert drop the unsaved
  // changes; false without asking when there are none.
  bool confirmRevert();
  // What work that leaves the edits behind (another weapon, an import,
  // closing the window) does first: go on when nothing is unsaved, else the
  // user's answer to kMsgUnsaved.
  enum class Settle { Go, Save, Drop, Stay };
  Settle askToSettle();
  // The name of the undo step an edit of `slot` makes; kSlotCount for the
  // damage list.
  static std::string stepName(int slot);
  // A file of the session changed on disk (`why` says so): the user chooses
  // to read it again and make its unsaved edits again where their lines
  // still match, or to keep the edits and write them over it at the next
  // save. A file without unsaved edits is read again without asking. False
  // when it could not be read.
  bool offerReload(std::size_t file, const std::string& why);
  // The files with unsaved edits, by path on disk, for watching.
  std::vector<std::filesystem::path> editedPaths() const;
  // When the file at `path` (one of editedPaths) changed on disk since it
  // was read: offers to reload it as offerReload does. False when it did
  // not change.
  bool fileChangedOnDisk(const std::filesystem::path& path);
  // Whether steps of the undo stack were made to bytes since read again
  // (they can no longer be undone); cleared by asking.
  bool takeStepsDropped() { return std::exchange(stepsDropped_, false); }
  // A new session over the window's files as they are now (after an import
  // or a rebuild of the list); the steps of the old one are no more.
  void restart();

  // Whether the shown value of `slot` (or the damage list) differs from the
  // saved file, and the game checks' warnings on it (UTF-8; empty when none).
  bool edited(int slot) const;
  bool damageEdited() const;
  std::string warning(int slot) const;
  std::string damageWarning() const;

 private:
  edit::Session& session();
  // Shows the weapon on display again, through the unsaved bytes.
  void reshow();
  bool editedKey(std::string_view key) const;
  std::string warningOf(const std::string& key) const;

  MainWindowState& window_;
  Host& host_;
  std::unique_ptr<edit::Session> session_;
  std::map<std::pair<std::string, std::string>, std::string> warnings_;  // by weapon and key, lower case
  std::set<std::filesystem::path> toldArchive_;                          // targets the user was told of
  bool listTouched_ = false;                                             // an ID or a name changed since the last save
  bool stepsDropped_ = false;
};

}  // namespace qm
