#include "catalogue/weapon_list.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "text/text.h"

namespace qm {

std::string MakeEntry(std::string_view idText, std::string_view bracketName) {
  std::string entry;
  entry.reserve(std::max<std::size_t>(idText.size(), 3) + 3 + bracketName.size());
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
  if (entries_.empty()) {
    entries_ = std::move(batch);
    return;
  }
  entries_.insert(entries_.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
}

void WeaponList::Clear() {
  entries_.clear();
  sorted_ = 0;
}

namespace {

// An entry's place in the order: its first 24 bytes folded to lower case as
// three numbers, which decide nearly every comparison without touching the
// text, and its position among the entries as added, which keeps equal texts
// in the order of adding.
struct SortKey {
  std::array<std::uint64_t, 3> words;
  std::uint32_t added;
};

}  // namespace

void WeaponList::Sort() const {
  if (sorted_ == entries_.size()) return;
  // One stable sort of everything in the order of adding puts each new entry
  // after the equal ones already listed, exactly as adding them one by one
  // at their sorted places would.
  std::vector<SortKey> keys(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const std::string& t = entries_[i].text;
    keys[i] = {{FoldedWord(t, 0), FoldedWord(t, 8), FoldedWord(t, 16)}, static_cast<std::uint32_t>(i)};
  }
  std::sort(keys.begin(), keys.end(), [this](const SortKey& a, const SortKey& b) {
    for (std::size_t w = 0; w < a.words.size(); ++w)
      if (a.words[w] != b.words[w]) return a.words[w] < b.words[w];
    // The first 24 bytes are alike (or one text ends early, padded with
    // zero bytes): the whole texts decide.
    const int c = CompareFolded(entries_[a.added].text, entries_[b.added].text);
    return c != 0 ? c < 0 : a.added < b.added;
  });
  std::vector<ListEntry> sorted;
  sorted.reserve(entries_.size());
  for (const SortKey& k : keys) sorted.push_back(std::move(entries_[k.added]));
  entries_ = std::move(sorted);
  sorted_ = entries_.size();
}

}  // namespace qm
