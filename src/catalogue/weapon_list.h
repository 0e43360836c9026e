// The weapon list: entries of the form "  7 - GUN", kept sorted by text with
// letter case ignored, and the count line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/memory.h"

namespace qm {

// Appends the list entry for an ID text and a bracket name to `out`: the ID
// text right-aligned in three characters, " - ", the name. An ID text longer
// than three characters stands as it is.
void appendEntry(std::string& out, std::string_view idText, std::string_view bracketName);
std::string makeEntry(std::string_view idText, std::string_view bracketName);

// The count line: "130 Weapons, 126 IDs available".
std::string countLine(long weapons);

// One entry as the list holds it; both texts stay valid until the list next
// changes.
struct ListEntry {
  std::string_view text;  // as shown
  std::string_view name;  // the bracket name it was made from (the end of the text)
};

// The entries' texts lie back to back in blocks that never move, so a list
// of any length costs a few allocations, not one per entry, and an entry's
// texts stay where they are until the list is cleared. The large arrays take
// large pages where the system has them: filling megabytes of fresh memory
// page by page cost more than reading the files.
class WeaponList {
 public:
  using Entries = std::vector<ListEntry, platform::LargeAllocator<ListEntry>>;

  WeaponList() = default;
  WeaponList(WeaponList&&) = default;
  WeaponList& operator=(WeaponList&&) = default;

  // Adds the entry for an ID text and a bracket name after the others.
  void append(std::string_view idText, std::string_view bracketName);
  // Adds the entries of `batch` after the others, taking its texts over.
  void add(WeaponList&& batch);
  void clear();
  // Drops the entries added after the first `count` (which must not have been
  // read in order since).
  void truncate(std::size_t count);

  // The entries in order: by text, letter case ignored, equal texts in the
  // order of adding. The order is settled when the list is next read, so that
  // adding many batches in a row sorts once.
  std::size_t size() const { return entries_.size(); }
  const ListEntry& at(std::size_t i) const { return entries().at(i); }
  const Entries& entries() const {
    if (sorted_ != entries_.size()) sort();
    return entries_;
  }

 private:
  char* room(std::size_t size);
  void sort() const;

  using Block = std::vector<char, platform::LargeAllocator<char>>;  // never grows: filled up to its capacity
  std::vector<Block> blocks_;
  mutable Entries entries_;  // in order up to sorted_, then as added
  mutable std::size_t sorted_ = 0;
};

}  // namespace qm
