// The weapon list: entries of the form "  7 - GUN", kept sorted by text with
// letter case ignored, and the count line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The list entry for an ID text and a bracket name: the ID text right-aligned
// in three characters, " - ", the name. An ID text longer than three
// characters stands as it is.
std::string MakeEntry(std::string_view idText, std::string_view bracketName);

// The count line: "130 Weapons, 126 IDs available".
std::string CountLine(long weapons);

struct ListEntry {
  std::string text;  // as shown
  std::string name;  // the bracket name it was made from
};

class WeaponList {
 public:
  // Adds entries at their sorted places: equal texts keep the order of adding.
  // The order is settled when the list is next read, so that adding many
  // batches in a row sorts once.
  void Add(std::vector<ListEntry> batch);
  void Clear();

  std::size_t size() const { return entries_.size(); }
  const ListEntry& at(std::size_t i) const { return entries().at(i); }
  const std::vector<ListEntry>& entries() const {
    Sort();
    return entries_;
  }

 private:
  void Sort() const;

  mutable std::vector<ListEntry> entries_;
  mutable std::size_t sorted_ = 0;  // the entries before this one are in order
};

}  // namespace qm
