// A unit file (units/NAME.fbi) read the way the game reads it: the keys of
// its [UNITINFO] block and of the blocks inside it, comments skipped, each
// value the text between "=" and ";" with the blanks at its ends left out
// (a YardMap's value runs over several lines), each key with its line and
// the bytes an edit replaces, so that a change touches one value only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// A value as the reader gives it: without the blanks and line ends at its ends.
std::string_view trimValue(std::string_view value);

// One key line of the unit (or of a block inside it).
struct UnitEntry {
  // As written; a key of a block inside as BLOCK.KEY. A part of the file's
  // bytes, or of the file object's own texts for BLOCK.KEY.
  std::string_view key;
  std::string_view value;  // a part of the file's bytes
  // Offsets into the bytes, of 32 bits (a unit is held for each key line of
  // every unit: it is kept small; files are read whole, far below 4 GiB).
  std::uint32_t keyAt = 0;  // where the key begins in the bytes
  // The bytes an edit of the value replaces: from just after the "=" to the
  // ";", or to the value's end when it has no ";".
  std::uint32_t valueAt = 0, valueEnd = 0;
  int line = 0;             // of the key, from 1
  std::uint32_t block = 0;  // index into UnitFile::blocks(): 0 is [UNITINFO] itself
  bool semicolon = false;
  bool counts = true;  // false when a later line sets the same key
};

// [UNITINFO] and the blocks inside it, in file order.
struct UnitBlock {
  std::string path;    // empty for [UNITINFO]; else the names as written, joined by "."
  std::size_t at = 0;  // where its "[" is in the bytes
};

class UnitFile {
 public:
  UnitFile() = default;
  // Reads `bytes`, which the object keeps.
  explicit UnitFile(std::string bytes);
  UnitFile(const UnitFile&) = delete;
  UnitFile& operator=(const UnitFile&) = delete;
  UnitFile(UnitFile&&) = default;
  UnitFile& operator=(UnitFile&&) = default;

  const std::string& bytes() const { return *bytes_; }
  // Whether the file has a [UNITINFO] block (letter case ignored; the last
  // one at the top level counts, as the later of two sections does).
  bool hasUnitInfo() const { return !blocks_.empty(); }
  const std::vector<UnitBlock>& blocks() const { return blocks_; }
  // Every key line, in file order, those set again later included.
  const std::vector<UnitEntry>& lines() const { return lines_; }
  // The keys the game reads, each once (the later line counts), in the file
  // order of the lines that count.
  std::vector<const UnitEntry*> values() const;
  // The line that counts for `key` (KEY or BLOCK.KEY, letter case
  // ignored), or null.
  const UnitEntry* find(std::string_view key) const;
  // Its value; empty when the unit lacks the key.
  std::string_view value(std::string_view key) const;
  // The last block at `path` (letter case ignored; empty for [UNITINFO]),
  // or null.
  const UnitBlock* block(std::string_view path, std::size_t* index = nullptr) const;
  // Why the file's blocks cannot be made out for sure (a block never
  // closed, a brace or header missing, a comment never closed), with its
  // line; empty when they can. Such a file is not edited.
  const std::string& structureProblem() const { return problem_; }

 private:
  // Held apart so that the views stay where they are when the object moves.
  std::unique_ptr<std::string> bytes_ = std::make_unique<std::string>();
  std::vector<UnitBlock> blocks_;
  std::vector<UnitEntry> lines_;
  std::vector<std::unique_ptr<std::string>> joinedKeys_;  // the BLOCK.KEY texts
  std::string problem_;
};

}  // namespace qm
