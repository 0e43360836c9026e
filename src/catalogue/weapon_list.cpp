#include "catalogue/weapon_list.h"

#include <algorithm>
#include <iterator>

#include "weapon/text.h"

namespace qm {

std::string MakeEntry(std::string_view idText, std::string_view bracketName) {
  std::string entry;
  if (idText.size() < 3) entry.assign(3 - idText.size(), ' ');
  entry.append(idText);
  entry.append(" - ");
  entry.append(bracketName);
  return entry;
}

std::string CountLine(long weapons) {
  return std::to_string(weapons) + " Weapons, " + std::to_string(256 - weapons) + " IDs available";
}

void WeaponList::Add(std::vector<ListEntry> batch) {
  const auto less = [](const ListEntry& a, const ListEntry& b) { return CompareFolded(a.text, b.text) < 0; };
  // Sorting the batch and merging it keeps each entry after the equal ones
  // already listed, exactly as adding them one by one would.
  std::stable_sort(batch.begin(), batch.end(), less);
  const auto middle = static_cast<std::ptrdiff_t>(entries_.size());
  entries_.insert(entries_.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
  std::inplace_merge(entries_.begin(), entries_.begin() + middle, entries_.end(), less);
}

}  // namespace qm
