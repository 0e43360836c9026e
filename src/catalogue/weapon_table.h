// Every weapon of the weapon list at once: for each list entry the weapon that
// loading the entry gives, read in one pass over the files instead of one
// search of every file per entry.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/weapon_file.h"
#include "catalogue/weapon_list.h"
#include "platform/memory.h"
#include "platform/padded_bytes.h"
#include "weapon/current_weapon.h"

namespace qm {

class FileStore;

// The stored texts of a weapon's 65 slots, by slot.
using SlotValues = std::array<std::string_view, kSlotCount>;

class WeaponTable {
 public:
  WeaponTable() = default;

  // How the values are had: kept from the one pass, for a table that is
  // looked at cell by cell and sorted (the window), or read again from their
  // block when a row is asked for, for a table read row by row once (the
  // command line): then the pass only follows the blocks' braces and
  // brackets, and no memory is taken per value.
  enum class Values { Kept, OnRequest };

  // Reads the files of `searchList` once each, in order, and gives every entry
  // of `list` the weapon loading it gives: the last block with its bracket
  // name in search order, read as the loader reads it, with the damage
  // sub-block state carried from the earlier blocks of that name. Files that
  // cannot be read are passed over and kept in unreadable().
  //
  // With `previous`, a table of the same list names read before, the files
  // it read that are the same objects in `searchList`, and have not changed
  // since (stillHolds), are not read again: their blocks are shared.
  //
  // Values::OnRequest reads the values as Kept does when reading every row's
  // block again would cost more than a few reads of the files (blocks inside
  // blocks, many entries of one long block).
  //
  // With a store, the files are held through it: those a scan just read are
  // not read again.
  WeaponTable(const WeaponList::Entries& list, const std::vector<WeaponFilePtr>& searchList,
              const WeaponTable* previous = nullptr, Values values = Values::Kept, FileStore* store = nullptr);

  // One row per list entry, in list order.
  std::size_t size() const { return rows_.size(); }
  // The entry's text and its bracket name, kept by the table: parts of
  // entryTexts().
  std::string_view entry(std::size_t row) const {
    return std::string_view(texts_.data() + rows_[row].textAt, rows_[row].textSize);
  }
  std::string_view name(std::size_t row) const {
    return std::string_view(texts_.data() + rows_[row].nameAt, rows_[row].nameSize);
  }
  platform::PaddedView entryTexts() const { return texts_.view(); }
  // False when no block has the entry's bracket name: every value is empty.
  bool found(std::size_t row) const { return rows_[row].weapon >= 0; }
  // The stored text of a slot, a part of the file it was read from (kept by
  // the table); empty when unset. With Values::OnRequest each call reads the
  // block: ask for values(), or read(), once per row.
  std::string_view value(std::size_t row, Slot s) const;
  SlotValues values(std::size_t row) const;
  // The values and the damage list (as damageParts) at once: with
  // Values::OnRequest, one walk over the block gives both.
  void read(std::size_t row, SlotValues& values, std::vector<std::string_view>& damage) const;
  // The damage list, read again from the block when asked: it is rarely
  // needed for every row, and a block's list can be long.
  std::vector<std::string> damage(std::size_t row) const;
  // The same as parts of the file (kept by the table), into `out`.
  void damageParts(std::size_t row, std::vector<std::string_view>& out) const;
  // Asks for the row's block to be brought into the cache ahead of reading
  // it: a reader of rows one by one calls it for a row a few ahead, so that
  // blocks scattered over the files do not each wait on memory.
  void prefetch(std::size_t row) const;
  // The row as the weapon on display holds it.
  CurrentWeapon weapon(std::size_t row) const;
  // The file the row's weapon was read from: its name and its bytes as read.
  // The row must be found().
  const std::string& fileName(std::size_t row) const { return sources_[weapons_[rows_[row].weapon].file]->name(); }
  // Whether the values are kept: Values::Kept, or Values::OnRequest where
  // reading blocks again would have cost too much.
  bool valuesKept() const { return valuesKept_; }
  // How many files this table read itself, rather than sharing them with the
  // table it was made after.
  std::size_t filesRead() const { return filesRead_; }
  platform::PaddedView fileBytes(std::size_t row) const { return fileOf(row).held->bytes(); }

  const std::vector<UnreadableFile>& unreadable() const { return unreadable_; }

 private:
  template <class T>
  using LargeAllocator = platform::LargeAllocator<T>;
  // A value: where it lies in its file. Files are held whole, so 32 bits
  // reach any file the table reads.
  struct Span {
    std::uint32_t offset, size;
  };
  // A weapon's values are parts of its block's lines, so each is kept in
  // four bytes, as where it starts in the block and its length; a block of
  // 64 KiB or more keeps them whole elsewhere.
  static constexpr std::size_t kPackedBlock = 0xFFFF;
  // A weapon's values, kept: each as its start in the block << 16 | its length.
  struct PackedSpans {
    PackedSpans() {}  // left unset, not zeroed: written when its block ends
    std::array<std::uint32_t, kSlotCount> v;
  };
  // A block that ended, as loading its name would leave the weapon.
  struct WeaponBlock {
    Span bracketName{0, 0};
    int name = 0;   // the bracket name's index
    int wide = -1;  // the values' index in its file's `wide`, for a block too long to pack them
    // The block's lines after its opening line; empty for a block whose
    // file ended before it opened. The damage list starts at the first
    // damage header in the block (firstDamage, or the block's end when it
    // has none), unless the block starts inside a damage sub-block.
    std::uint32_t bodyBegin = 0, bodyEnd = 0, firstDamage = 0;
    // The damage sub-block state the block starts with, and the one it
    // leaves; kInherited when it is what the blocks of the name before it
    // left (known once the files are put together in order).
    static constexpr std::int8_t kInherited = -1;
    std::int8_t carryIn = kInherited, carryOut = kInherited;
  };
  // A file and the blocks read in it, in the order they ended: what it gives
  // depends on its bytes and the list's names only, so tables share it.
  struct FileBlocks {
    std::shared_ptr<const platform::HeldFile> held;  // never null: empty for a file not read
    std::string unreadable;                          // why it could not be read; empty when it was
    bool valuesKept = false;
    std::vector<WeaponBlock, LargeAllocator<WeaponBlock>> blocks;
    // With the values kept: each block's, by block; those of a long block in `wide`.
    std::vector<PackedSpans, LargeAllocator<PackedSpans>> packed;
    std::vector<std::array<Span, kSlotCount>> wide;
  };
  // The block loading a name gives, and how it starts.
  struct BlockOfName {
    int file = -1, block = -1;
    std::uint32_t damageFrom = 0;  // where its damage list starts
    std::uint32_t bodySize = 0;    // its block's body size, kept here to be summed without visiting the blocks
    bool carryIn = false;
  };
  struct Row {
    std::size_t textAt, nameAt;
    std::uint32_t textSize, nameSize;
    int weapon;  // the bracket name's index; -1 when no block has it
  };
  class NameIndex;
  class Pass;
  // Keeps the entries' texts, one row for each; the rows' weapons are set
  // once the files are read.
  void keepTexts(const WeaponList::Entries& list);
  // Reads the files not shared from `previous` and puts their blocks
  // together in search order.
  void readFiles(const NameIndex& index, const WeaponTable* previous, bool keepValues, FileStore* store);
  // What reading every row's block again costs, in bytes.
  std::uint64_t bytesToReadAgain() const;
  // A slot's text in the file of a block whose values are kept.
  static std::string_view slotText(const FileBlocks& file, int block, int s);
  // The values of a row's block, read again from it; the damage list too, when asked.
  void readBlock(std::size_t row, SlotValues& values, std::vector<std::string_view>* damage) const;
  const FileBlocks& fileOf(std::size_t row) const { return *files_[weapons_[rows_[row].weapon].file]; }
  const WeaponBlock& weaponBlockOf(std::size_t row) const {
    const BlockOfName& w = weapons_[rows_[row].weapon];
    return files_[w.file]->blocks[w.block];
  }
  int blockOf(std::size_t row) const { return weapons_[rows_[row].weapon].block; }

  std::vector<std::shared_ptr<const FileBlocks>> files_;  // in search order
  std::vector<WeaponFilePtr> sources_;                    // what each was read from
  std::uint64_t namesKey_ = 0;                            // the list's names, in order, folded and hashed
  bool valuesKept_ = true;
  std::size_t filesRead_ = 0;
  platform::PaddedBytes texts_;  // the entries' texts back to back
  // By bracket name (letter case ignored): the block that loads it
  std::vector<BlockOfName, LargeAllocator<BlockOfName>> weapons_;
  std::vector<Row, LargeAllocator<Row>> rows_;
  std::vector<UnreadableFile> unreadable_;
};

}  // namespace qm
