// The game's files as the unsaved edits have them. Each file an edit changed
// is held in memory with its edited bytes and stands for the file of the
// same name or path on disk. Taking the session's bytes again keeps the
// object of every file whose bytes did not change: whoever reads the files
// keeps the objects it read and reads again only the files whose standing
// object is another one now.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/weapon_file.h"

namespace qm {

namespace edit {
class Session;
}

class EditedFiles {
 public:
  // Takes the unsaved bytes of `session` (null: there are none), after an
  // edit, an undo, a save or a revert.
  void take(const edit::Session* session);

  bool empty() const { return files_.empty(); }
  std::size_t size() const { return files_.size(); }
  // The file that stands for `file`: its copy with the edits, else itself.
  const WeaponFilePtr& over(const WeaponFilePtr& file) const;
  std::vector<WeaponFilePtr> over(std::vector<WeaponFilePtr> files) const;
  // The copy with the edits that stands for `file`; null when it has none.
  // A copy stays the same object while its bytes stay the same: a reader
  // that kept the copy (or null) it read tells by comparing whether an
  // edit, an undo or a save changed the file since.
  WeaponFilePtr copyOf(const WeaponFile& file) const;
  // A file's bytes as saved, while it has unsaved edits (by its name as
  // messages name it); null otherwise.
  std::shared_ptr<const std::string> saved(std::string_view name) const;

 private:
  struct File {
    WeaponFilePtr edited;  // the edited bytes under the source's name
    std::string bytes;     // the same bytes, to tell whether an edit changed them
    std::shared_ptr<const std::string> saved;
  };
  const File* find(const WeaponFile& file) const;

  std::vector<File> files_;
  std::unordered_map<std::string, std::size_t> byName_;
  std::unordered_map<std::filesystem::path::string_type, std::size_t>
      byPath_;  // the disk path written, as the system holds it
};

}  // namespace qm
