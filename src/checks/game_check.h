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
#include <utility>
#include <vector>

#include "checks/finding.h"
#include "checks/known_keys.h"
#include "checks/registry.h"
#include "checks/tdf_reader.h"

namespace qm {

// A key of a weapon that names another file of the game (a sound, an
// animation file or sequence, a model): the last line of that key.
struct FileRef {
  std::string_view key;  // lower case, one of kFileKeys
  std::string value;     // as written
  int line = 0, column = 0;
};

// A weapon: a block at the top level of a file.
struct WeaponRecord {
  std::string name;  // between the brackets, bytes as written
  std::string file;
  int line = 0;  // of the header
  bool hasId = false;
  std::string idText;      // as written, blanks around it trimmed
  std::optional<long> id;  // when idText is a whole number
  int idLine = 0, idColumn = 0;
  int column = 1;              // of the header
  bool usesLaterKey = false;   // a key only the later engine reads
  bool swallowed = false;      // inside a block left open before it: the game reads no weapon here
  std::vector<FileRef> files;  // the other files it names, in key order
};

inline constexpr int kIdCount = 256;

struct IdConflict {
  int id = 0;
  std::vector<std::size_t> weapons;  // indices into the weapons, in reading order
};

struct Census {
  std::array<std::vector<std::size_t>, kIdCount> users;  // per ID, indices into the weapons
  std::vector<IdConflict> conflicts;                     // in ID order
  std::vector<int> free;                                 // IDs no weapon uses
  int used() const { return kIdCount - static_cast<int>(free.size()); }
};

// Runs of IDs, first and last: {17,18,19,28} gives {17,19}, {28,28}.
std::vector<std::pair<int, int>> idRanges(const std::vector<int>& ids);
// The same as text: "17-19, 28, 40-255".
std::string idRangesText(const std::vector<int>& ids);

std::string_view engineName(Engine e);

struct CheckOptions {
  Engine engine = Engine::Auto;
  CheckSelection selection;  // every check by default
};

class GameCheck {
 public:
  enum class Scope { Everything, CensusOnly };
  explicit GameCheck(Scope scope = Scope::Everything, CheckOptions options = {})
      : scope_(scope), options_(std::move(options)) {}

  // Reads one file and makes the checks that need only that file. Files are
  // added in the order the game reads them: of two definitions of one
  // weapon, the later one counts.
  void addFile(const std::string& name, std::string_view bytes);
  // A file that could not be read at all: an error finding naming `reason`.
  void addUnreadable(const std::string& name, const std::string& reason);
  // Makes the checks across files and sorts the findings by file and line.
  void finish();
  // Adds findings made elsewhere (the reference checks) before finish().
  void addFindings(std::vector<Finding> findings);

  // The engine the checks were made for: Auto decided when finishing.
  Engine engine() const { return engine_; }
  // The engine the checks are made for, decided by the weapons read so far.
  Engine decidedEngine() const;

  const std::vector<WeaponRecord>& weapons() const { return weapons_; }
  const std::vector<Finding>& findings() const { return findings_; }
  // Who uses each ID, once the check is finished.
  const Census& census() const { return census_; }
  std::size_t fileCount() const { return files_; }
  std::size_t count(Severity s) const;

  // The weapons the game reads as weapons: all but the swallowed ones.
  std::size_t weaponCount() const;
  // "N weapons, M IDs used, K IDs free, C IDs in conflict"
  std::string censusSummary() const;
  // "E errors, W warnings in F files"
  std::string findingsSummary() const;

 private:
  void checkWeapon(const std::string& file, const TdfBlock& weapon);
  void checkDamage(const std::string& file, const TdfBlock& weapon, bool shield);
  void checkBlock(const std::string& file, const TdfBlock& block, bool weaponLevel, bool damage,
                  WeaponRecord* record = nullptr, const TdfBlock* lastDamage = nullptr);
  // A key `engine` does not read; `otherReads` when the other engine does.
  void unknownKey(Engine engine, const std::string& file, const TdfPair& pair, bool otherReads,
                  const TdfBlock* lastDamage);
  void checkIds();
  void sortFindings();

  // A key the engine may not read, met at `count` lines from the first.
  struct UnknownKey {
    std::string written;
    std::string file;
    int line = 0, column = 0;
    std::size_t count = 0;
    bool otherReads = false;  // the other engine reads it
  };

  // What each engine makes of the keys and values: the findings that differ
  // between engines are kept for both until the engine is decided.
  struct EngineView {
    std::vector<Finding> findings;
    std::unordered_map<std::string, UnknownKey> unknownKeys;  // by the key in lower case
    std::vector<std::string> unknownOrder;                    // the keys in the order met
  };
  EngineView& view(Engine e) { return views_[e == Engine::Later ? 1 : 0]; }
  // Whether the findings for `e` are wanted: the engine asked for, or both when auto.
  bool reads(Engine e) const { return options_.engine == Engine::Auto || options_.engine == e; }

  Scope scope_;
  CheckOptions options_;
  Engine engine_ = Engine::Original;
  EngineView views_[2];
  std::vector<WeaponRecord> weapons_;
  std::vector<Finding> findings_;
  Census census_;
  std::size_t files_ = 0;
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
