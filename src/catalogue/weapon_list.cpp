#include "catalogue/weapon_list.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <iterator>

#include "platform/parallel.h"
#include "text/text.h"

namespace qm {

void appendEntry(std::string& out, std::string_view idText, std::string_view bracketName) {
  if (idText.size() < 3) out.append(3 - idText.size(), ' ');
  out.append(idText);
  out.append(" - ");
  out.append(bracketName);
}

std::string makeEntry(std::string_view idText, std::string_view bracketName) {
  std::string entry;
  entry.reserve(std::max<std::size_t>(idText.size(), 3) + 3 + bracketName.size());
  appendEntry(entry, idText, bracketName);
  return entry;
}

std::string countLine(long weapons) {
  return std::to_string(weapons) + " Weapons, " + std::to_string(256 - weapons) + " IDs available";
}

namespace {

// A short list (the sample game, one import) fits its first block and its
// first 2048 entries; a longer one goes straight to large arrays, which cost
// few page faults (see LargeAllocator).
constexpr std::size_t kFirstBlock = 64 * 1024, kLaterBlock = 2 * 1024 * 1024, kShortList = 2048;

}  // namespace

char* WeaponList::room(std::size_t size) {
  if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < size) {
    // A text longer than a block gets a block of its own size.
    const std::size_t room = std::max(blocks_.empty() ? kFirstBlock : kLaterBlock, size);
    blocks_.emplace_back().reserve(room);
  }
  Block& block = blocks_.back();
  // The block's capacity is never exceeded, so its bytes never move.
  block.insert(block.end(), size, ' ');
  return block.data() + block.size() - size;
}

void WeaponList::append(std::string_view idText, std::string_view bracketName) {
  const std::size_t pad = idText.size() < 3 ? 3 - idText.size() : 0;
  const std::size_t size = pad + idText.size() + 3 + bracketName.size();
  if (entries_.size() == entries_.capacity() && entries_.size() >= kShortList)
    entries_.reserve(std::max(entries_.size() * 2, platform::LargeAllocator<ListEntry>::kLarge / sizeof(ListEntry)));
  char* text = room(size);  // blanks
  // AppendEntry's layout, written in place.
  char* p = text + pad;
  p = std::copy(idText.begin(), idText.end(), p);
  p = std::copy_n(" - ", 3, p);
  std::copy(bracketName.begin(), bracketName.end(), p);
  entries_.push_back(
      {std::string_view(text, size), std::string_view(text + size - bracketName.size(), bracketName.size())});
}

void WeaponList::add(WeaponList&& batch) {
  if (entries_.empty()) {
    *this = std::move(batch);
    return;
  }
  // The batch's entries in the order it was given them, whether or not it
  // was read in order since: its texts lie in that order.
  if (batch.sorted_ != 0)
    std::sort(batch.entries_.begin(), batch.entries_.end(),
              [](const ListEntry& a, const ListEntry& b) { return std::less<>()(a.text.data(), b.text.data()); });
  entries_.insert(entries_.end(), batch.entries_.begin(), batch.entries_.end());
  // The last block stays the one with room left.
  blocks_.insert(blocks_.end() - 1, std::make_move_iterator(batch.blocks_.begin()),
                 std::make_move_iterator(batch.blocks_.end()));
  batch.clear();
}

void WeaponList::clear() {
  blocks_.clear();
  entries_.clear();
  sorted_ = 0;
}

void WeaponList::truncate(std::size_t count) {
  if (count >= entries_.size()) return;
  entries_.resize(count);  // their texts' room is not reused
  sorted_ = std::min(sorted_, count);
}

namespace {

// An entry's place in the order: its first 24 bytes folded to lower case as
// three numbers, which decide nearly every comparison without touching the
// text, and its position among the entries as added, which keeps equal texts
// in the order of adding. The entry travels with its key, so that putting the
// entries in order reads the keys one after the other.
struct SortKey {
  std::array<std::uint64_t, 3> words;
  std::uint32_t added;
  ListEntry entry;
};

}  // namespace

void WeaponList::sort() const {
  // One stable sort of everything in the order of adding puts each new entry
  // after the equal ones already listed, exactly as adding them one by one
  // at their sorted places would.
  const auto less = [](const SortKey& a, const SortKey& b) {
    for (std::size_t w = 0; w < a.words.size(); ++w)
      if (a.words[w] != b.words[w]) return a.words[w] < b.words[w];
    // The first 24 bytes are alike (or one text ends early, padded with
    // zero bytes): the whole texts decide.
    const int c = compareFolded(a.entry.text, b.entry.text);
    return c != 0 ? c < 0 : a.added < b.added;
  };
  std::vector<SortKey, platform::LargeAllocator<SortKey>> keys(entries_.size());
  // A long list in two halves sorted side by side, then merged.
  const std::size_t n = entries_.size(), half = n >= 8192 ? n / 2 : n;
  const std::size_t bounds[] = {0, half, n};
  platform::forEachOnThreads(half < n ? 2 : 1, [&](std::size_t part, std::size_t) {
    for (std::size_t i = bounds[part]; i < bounds[part + 1]; ++i) {
      const std::string_view t = entries_[i].text;
      keys[i] = {{foldedWord(t, 0), foldedWord(t, 8), foldedWord(t, 16)}, static_cast<std::uint32_t>(i), entries_[i]};
    }
    std::sort(keys.begin() + static_cast<std::ptrdiff_t>(bounds[part]),
              keys.begin() + static_cast<std::ptrdiff_t>(bounds[part + 1]), less);
  });
  std::size_t a = 0, b = half;
  for (std::size_t i = 0; i < n; ++i)
    entries_[i] = (b == n || (a < half && !less(keys[b], keys[a])) ? keys[a++] : keys[b++]).entry;
  sorted_ = n;
}

}  // namespace qm
