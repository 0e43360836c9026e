// The game checks over a set of weapon files: every file read as the game
// reads it and linted, the weapon ID census, and the checks that need all
// files at once (one ID for two weapons, one weapon defined twice).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "checks/finding.h"
#include "checks/tdf_reader.h"

namespace qm {

// A weapon: a block at the top level of a file.
struct WeaponRecord {
  std::string name;  // between the brackets, bytes as written
  std::string file;
  int line = 0;      // of the header
  bool hasId = false;
  std::string idText;      // as written, blanks around it trimmed
  std::optional<long> id;  // when idText is a whole number
  int idLine = 0, idColumn = 0;
};

inline constexpr int kIdCount = 256;

struct IdConflict {
  int id = 0;
  std::vector<std::size_t> weapons;  // indices into the weapons, in reading order
};

struct Census {
  std::array<std::vector<std::size_t>, kIdCount> users;  // per ID, indices into the weapons
  std::vector<IdConflict> conflicts;                       // in ID order
  std::vector<int> free;                                   // IDs no weapon uses
  int used() const { return kIdCount - static_cast<int>(free.size()); }
};


// The names of the checks made over whole weapons and across files.
namespace check {
inline constexpr std::string_view kDuplicateKey = "duplicate-key";
inline constexpr std::string_view kMissingId = "missing-id";
inline constexpr std::string_view kBadId = "bad-id";
inline constexpr std::string_view kIdConflict = "id-conflict";
inline constexpr std::string_view kDuplicateWeapon = "duplicate-weapon";
inline constexpr std::string_view kNotANumber = "not-a-number";
inline constexpr std::string_view kEmptyValue = "empty-value";
inline constexpr std::string_view kUnknownKey = "unknown-key";
inline constexpr std::string_view kUnreadable = "unreadable";
}  // namespace check

class GameCheck {
 public:
  enum class Scope { Everything, CensusOnly };
  explicit GameCheck(Scope scope = Scope::Everything) : scope_(scope) {}

  // Reads one file and makes the checks that need only that file. Files are
  // added in the order the game reads them: of two definitions of one
  // weapon, the later one counts.
  void addFile(const std::string& name, std::string_view bytes);
  // A file that could not be read at all: an error finding naming `reason`.
  void addUnreadable(const std::string& name, const std::string& reason);
  // Makes the checks across files and sorts the findings by file and line.
  void finish();

  const std::vector<WeaponRecord>& weapons() const { return weapons_; }
  const std::vector<Finding>& findings() const { return findings_; }
  // Who uses each ID, once the check is finished.
  const Census& census() const { return census_; }
  std::size_t fileCount() const { return files_; }
  std::size_t count(Severity s) const;

  // "N weapons, M IDs used, K IDs free, C IDs in conflict"
  std::string censusSummary() const;
  // "E errors, W warnings in F files"
  std::string findingsSummary() const;

 private:
  void checkWeapon(const std::string& file, const TdfBlock& weapon);
  void checkBlock(const std::string& file, const TdfBlock& block, bool weaponLevel, bool damage);
  std::string_view suggestion(std::string_view lowerKey);
  void sortFindings();

  Scope scope_;
  std::vector<WeaponRecord> weapons_;
  std::vector<Finding> findings_;
  Census census_;
  std::size_t files_ = 0;
  std::unordered_map<std::string, std::string_view> suggestions_;  // unknown key -> nearest known one
  std::string folded_;  // scratch

  // The keys of the block being checked, by hash: the pair where each was
  // last set.
  class KeysSeen {
   public:
    void start(std::size_t pairs);
    // The last pair before `i` with the same key, or null. `hash` is the
    // hash of the key folded to lower case.
    const TdfPair* previous(const std::vector<TdfPair>& pairs, std::size_t i, std::uint64_t hash);

   private:
    struct Slot {
      std::uint32_t block = 0;  // the block that filled it; another block's slot is free
      std::size_t pair = 0;
    };
    std::vector<Slot> slots_;
    std::uint32_t block_ = 0;
  };
  KeysSeen keysSeen_;
};


}  // namespace qm
