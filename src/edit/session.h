// An edit session: the unsaved changes to the weapons of a game, over any
// number of files. Each applied step can be undone and redone (the window
// wraps steps in undo commands); a save writes every changed file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/weapon_file.h"
#include "checks/finding.h"
#include "checks/game_check.h"
#include "edit/change.h"

namespace qm::edit {

// One step: a batch of changes made as one (one value, or many weapons at
// once), with the splices it made in each file and the game checks'
// findings on the values it set.
struct Step {
  struct FileSplice {
    std::size_t file = 0;  // index in the session's files
    Splice splice;
  };
  std::vector<Change> changes;
  std::vector<FileSplice> splices;  // in the order made
  std::vector<Finding> warnings;
  // UTF-8: where the line changed is not the one Actual Mode shows.
  std::vector<std::string> notes;
  // UTF-8: set when a weapon changed is shown from a copy inside a comment,
  // naming the line of the block changed (the window refuses such an edit).
  std::optional<std::string> commentedCopy;
};

// How a change finds and changes a block that is not a weapon's (a unit's
// [UNITINFO] block): given by the layer that knows such blocks. The session
// keeps the rest as for weapons: the files, undo, the diff, the save.
class BlockRules {
 public:
  virtual ~BlockRules() = default;
  // The file that holds the block.
  virtual WeaponFilePtr file() const = 0;
  // Why the change can never be made, whatever the file (as checkChange).
  virtual std::optional<std::string> refusal(const Change& change) const = 0;
  // Makes the change in `bytes`, appending the splices made (each already
  // applied); the refusal when it cannot be made, `bytes` then as it was.
  virtual std::optional<std::string> apply(std::string& bytes, const Change& change,
                                           std::vector<Splice>& done) const = 0;
  // What the checks say of the value the change set, in `bytes` after it;
  // findings name `file`.
  virtual std::vector<Finding> check(std::string_view bytes, const std::string& file, const Change& change) const = 0;
};

struct Applied {
  std::optional<Step> step;                // nothing when refused
  std::string refusal;                     // UTF-8
  bool notFound = false;                   // refused because no file holds the weapon
  std::vector<UnreadableFile> unreadable;  // files passed over while looking for the weapons
  // Files without unsaved edits read again first because another program
  // changed them: the steps made to them before cannot be undone.
  std::vector<std::size_t> reread;
};

// A file read again with its unsaved edits made again: how many of them
// (runs of lines changed) were made and how many dropped because their
// lines no longer match; `failed` when the file could not be read.
struct Reloaded {
  std::size_t made = 0, dropped = 0;
  std::optional<std::string> failed;
};

struct Saved {
  std::vector<std::size_t> written;          // the files written
  std::optional<std::string> refusal;        // why the rest were not
  std::optional<std::size_t> changedOnDisk;  // the file refused because it changed on disk
};

class Session {
 public:
  // Weapons are looked for as the loader looks for them: in `gameFiles` (the
  // standard files of the game in `gameDir`), then in `imports`; the last
  // block found counts.
  Session(std::filesystem::path gameDir, std::vector<WeaponFilePtr> gameFiles, std::vector<WeaponFilePtr> imports = {});

  // The weapons of the whole game, for the check that a new ID is free.
  void setCensus(std::vector<WeaponRecord> weapons) { census_ = std::move(weapons); }

  // Makes the changes in turn, as one step: all of them, or none (the
  // refusal says why). A step that changes no byte is still a step.
  Applied apply(const std::vector<Change>& changes);
  // Takes a step back, or makes it again; steps are undone last first.
  void undo(const Step& step);
  void redo(const Step& step);
  // Drops every unsaved change, and reads every file again from disk.
  void revert();
  // Reads the file again from disk, dropping its unsaved edits; the reason
  // (UTF-8, naming the file) when it cannot be read.
  std::optional<std::string> reload(std::size_t file);
  // Reads the file again from disk and makes its unsaved edits again where
  // their lines still match.
  Reloaded reloadKeepingEdits(std::size_t file);
  // Takes the file on disk as the one read, keeping the unsaved edits: the
  // next save writes them over it.
  void takeDiskAsRead(std::size_t file);
  // Whether the file on disk is no longer what the session read or wrote.
  bool changedOnDisk(std::size_t file) const { return changedSinceRead(files_[file]).has_value(); }

  // The files read so far (a file is read into the session when a change is
  // first made to one of its weapons).
  std::size_t fileCount() const { return files_.size(); }
  const std::string& bytes(std::size_t file) const { return files_[file].current; }
  const std::string& savedBytes(std::size_t file) const { return files_[file].saved(); }
  bool changed(std::size_t file) const {
    return !files_[file].unchanged && files_[file].current != files_[file].original;
  }
  bool anyChanged() const;
  std::vector<std::size_t> changedFiles() const;
  // The weapon file the bytes came from, and where they are written: the
  // file itself, or for a file of an archive the loose file of its path
  // under the game folder, which the game reads first.
  const WeaponFile& source(std::size_t file) const { return *files_[file].source; }
  const std::filesystem::path& target(std::size_t file) const { return files_[file].target; }
  bool fromArchive(std::size_t file) const { return files_[file].fromArchive; }
  // Whether the save makes the target: a file of an archive not written out yet.
  bool isNew(std::size_t file) const { return files_[file].fromArchive && !files_[file].stamp.exists; }
  // What the user is told before a file of an archive is first written.
  std::string archiveNote(std::size_t file) const;
  // The unsaved change of a file as a unified diff naming its target ("---"
  // names the archive's file for a new one), each hunk its block.
  std::string diff(std::size_t file) const;

  // Writes every changed file by write-then-replace, after checking all of
  // them: none read-only (file or folder), none over the largest weapon file,
  // none with other hard links unless `breakLinks`, none changed on disk
  // since it was read (size, time, then its bytes compared with those read;
  // looked at again just before each replace). The folders' locks are held
  // throughout, so Quillmark's edits of one file take turns. The first write
  // of a file keeps its old bytes as FILE.bak (with the file's owner and
  // permissions) unless that exists or `backup` is false. A refusal found
  // before writing writes nothing.
  Saved save(bool backup = true, bool breakLinks = false);

 private:
  static constexpr std::size_t kNotSearched = static_cast<std::size_t>(-1);
  struct Stamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::int64_t time = 0;
  };
  struct File {
    std::size_t search = 0;  // place in the search list; kNotSearched for a file a change's rules name
    WeaponFilePtr source;
    std::filesystem::path target;
    bool fromArchive = false;
    // The bytes as read or last written, and as edited. Until the first
    // edit after a read or a save the two are one: `current` holds them and
    // `original` is spare room, so that a file read and written once is
    // copied once.
    std::string original, current;
    bool unchanged = true;
    Stamp stamp;  // of the target when it was read; its bytes are saved()

    const std::string& saved() const { return unchanged ? current : original; }
    // To be called before `current` is edited.
    void keepSaved();
  };

  // The file that holds the weapon's last block, read into the session when
  // it is not there yet; nothing when no file holds it.
  // `copy` is set when a later file than the one found holds the weapon
  // only inside a /* */ comment, which the loader shows.
  struct CopyPlace {
    std::string file;
    int line = 0;
  };
  std::optional<std::size_t> locate(const std::string& weapon, Applied& out, std::optional<CopyPlace>& copy);
  // The file a change's rules name, read into the session when it is not
  // there yet.
  std::optional<std::size_t> locate(const BlockRules& rules, Applied& out);
  // Reads `source` into the session as a file of its own.
  std::size_t adopt(std::size_t search, WeaponFilePtr source, std::string bytes, Stamp stamp);
  std::optional<std::string> refusalToWrite(const File& f, bool breakLinks) const;
  std::optional<std::string> changedSinceRead(const File& f) const;
  static Stamp stampOf(const std::filesystem::path& path);
  bool reread(File& f, std::string& reason);
  std::vector<std::size_t> rereadChangedOnDisk();

  std::filesystem::path gameDir_;
  std::vector<WeaponFilePtr> search_;
  std::size_t gameFileCount_ = 0;
  std::vector<File> files_;
  std::vector<WeaponRecord> census_;
};

}  // namespace qm::edit
