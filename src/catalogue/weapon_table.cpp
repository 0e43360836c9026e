// The weapons table read in one pass per file. The pass is a reader of the
// one block walk (weapon/block_walk.h) that follows every name of the list
// at once: the walk finds the blocks as the loader's search of each name
// would, the pass keeps where they lie, their values when asked to, and the
// damage sub-block state they carry; the names are found by a hash index of
// the list, fetched into the cache a few header lines ahead.
#include "catalogue/weapon_table.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

#include "catalogue/file_store.h"
#include "platform/lookahead.h"
#include "platform/parallel.h"
#include "text/lines.h"
#include "text/text.h"
#include "weapon/block_walk.h"
#include "weapon/loader.h"
#include "weapon/recogniser.h"

namespace qm {

namespace {

// A hash of bytes with letter case ignored, eight bytes at a time: each
// byte with its lower-case bit set, which folds a few other bytes together
// too (names of the same hash are compared whole).
inline std::uint64_t foldedHash(std::string_view bytes) {
  constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ull, kFold = 0x2020202020202020ull;
  std::uint64_t h = bytes.size() * kMix;
  const auto take = [&h](std::uint64_t word) {
    h = (h ^ word) * kMix;
    h ^= h >> 29;
  };
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    take(word | kFold);
  }
  if (const std::size_t rest = bytes.size() - i) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes.data() + i, rest);
    take(word | kFold >> (8 * (8 - rest)));
  }
  return h ^ h >> 32;
}

// Reads the lines of a block's body as the loader does: each line's key
// values set their slots over what the lines before it set, and the lines
// from `damageFrom` on go to the damage list too, when it is asked for. Most
// lines are short: one look at their first 32 bytes finds both their end and
// their first "=". A key is compared a word at a time, which may read past
// the body's end.
void readBody(platform::PaddedView body, std::size_t damageFrom, bool carry, SlotValues& values,
              std::vector<std::string_view>* damage) {
  static_assert(platform::kReadPast >= 8, "a key's last word is read whole");
  const char* p = body.data();
  const char* const end = p + body.size();
  const keys::KeyTests& tests = keys::tests();
  KeyValue keys[2];
  std::string_view entry;
  while (p != end) {
    const char* eol = nullptr;
    bool read = false;  // whether the line's key values are set
#if defined(QM_SSE2)
    if (end - p >= 32) {
      const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), equals = _mm_set1_epi8('=');
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
      const auto bits = [](__m128i m) { return static_cast<std::uint32_t>(_mm_movemask_epi8(m)); };
      const std::uint32_t ends = bits(_mm_or_si128(_mm_cmpeq_epi8(a, cr), _mm_cmpeq_epi8(a, lf))) |
                                 bits(_mm_or_si128(_mm_cmpeq_epi8(b, cr), _mm_cmpeq_epi8(b, lf))) << 16;
      if (ends != 0) {
        const unsigned size = static_cast<unsigned>(__builtin_ctz(ends));
        eol = p + size;
        // The "="s from the second character to the line's end: a key can
        // end only at the first.
        const std::uint32_t eqs =
            (bits(_mm_cmpeq_epi8(a, equals)) | bits(_mm_cmpeq_epi8(b, equals)) << 16) & ((1u << size) - 1) & ~1u;
        if (eqs != 0) {
          // The key tests at column 1 and column 2, in that order.
          const std::string_view line(p, size);
          const auto eq = static_cast<std::size_t>(__builtin_ctz(eqs));
          for (std::size_t col = 0; col < 2; ++col)
            if (const keys::KeyTest* key = keys::keyAtReadable(tests, p, col, eq))
              values[slotIndex(key->slot)] = keys::valueAfter(line, eq);
        }
        read = true;
      }
    }
#endif
    if (!eol) eol = findLineEnd(p, end);
    const std::string_view line(p, static_cast<std::size_t>(eol - p));
    if (!read)
      for (int i = 0, n = keyValuesOf(line, keys); i < n; ++i) values[slotIndex(keys[i].slot)] = keys[i].value;
    if (damage && static_cast<std::size_t>(p - body.data()) >= damageFrom && damageEntryOf(line, carry, entry))
      damage->push_back(entry);
    p = eol;
    if (p != end && *p++ == '\r' && p != end && *p == '\n') ++p;
  }
}

}  // namespace

// The distinct bracket names of the list, letter case ignored, found by
// their hash in a table of open addressing: a list of tens of thousands of
// names costs no allocation per name.
class WeaponTable::NameIndex {
 public:
  struct Name {
    std::string_view name;  // as the list has it
    std::uint64_t hash = 0;
    int nextSameHash = -1;  // another name of the same hash, or -1
  };

  // Returns the index of each entry's name.
  std::vector<int, LargeAllocator<int>> add(const WeaponList::Entries& list) {
    std::vector<int, LargeAllocator<int>> ids;
    ids.reserve(list.size());
    std::size_t slots = 16;
    while (slots < 2 * list.size()) slots *= 2;
    slots_.assign(slots, -1);
    names_.reserve(list.size());
    // Each name's hash a few names ahead, so that its slot, and then the
    // name in the slot, can be asked for before they are needed: the slots
    // are spread over a megabyte, and the names lie where the files' scans
    // put them, not in list order.
    constexpr std::size_t kAhead = 8;
    const std::size_t n = list.size();
    std::size_t hashed = 0;
    const auto hashNext = [&](std::uint64_t& h) {
      if (hashed == n) return false;
      if (hashed + kAhead < n) platform::prefetch(list[hashed + kAhead].name.data());
      h = foldedHash(list[hashed++].name);
      return true;
    };
    platform::Lookahead<std::uint64_t, kAhead + 1> hashes;
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint64_t h = *hashes.next(hashNext);
      if (const std::uint64_t* far = hashes.ahead(kAhead)) platform::prefetch(&slots_[slotOf(*far)]);
      if (const std::uint64_t* near = hashes.ahead(kAhead / 2))
        if (const int id = slots_[slotOf(*near)]; id >= 0) platform::prefetch(&names_[id]);
      const ListEntry& e = list[i];
      std::size_t at = slotOf(h);
      while (slots_[at] >= 0 && names_[slots_[at]].hash != h) at = (at + 1) & (slots_.size() - 1);
      int id = slots_[at];
      while (id >= 0 && !sameFolded(names_[id].name, e.name)) id = names_[id].nextSameHash;
      if (id < 0) {  // a new name: the head of its hash's chain
        id = static_cast<int>(names_.size());
        names_.push_back({e.name, h, slots_[at]});
        slots_[at] = id;
      }
      ids.push_back(id);
    }
    return ids;
  }

  std::size_t size() const { return names_.size(); }
  const Name& operator[](int id) const { return names_[id]; }
  // The names in order, letter case ignored, as one number: tables of the
  // same key number their names alike.
  std::uint64_t key() const {
    std::uint64_t k = names_.size();
    for (const Name& n : names_) k = (k ^ n.hash) * 1099511628211ull;
    return k;
  }
  // Where the search for a hash starts (a name there, or -1): for fetching
  // it, and then the name, into the cache ahead of firstOfHash.
  const int* slotFor(std::uint64_t hash) const { return &slots_[slotOf(hash)]; }
  // The last name added of the hash, the head of its chain; -1 for none.
  int firstOfHash(std::uint64_t hash) const {
    for (std::size_t at = slotOf(hash);; at = (at + 1) & (slots_.size() - 1)) {
      const int id = slots_[at];
      if (id < 0 || names_[id].hash == hash) return id;
    }
  }

 private:
  std::size_t slotOf(std::uint64_t hash) const { return static_cast<std::size_t>(hash >> 7) & (slots_.size() - 1); }
  // Megabytes for a long list: in large pages, which cost a page fault per
  // 2 MiB rather than per 4 KiB when first written.
  std::vector<Name, LargeAllocator<Name>> names_;
  std::vector<int, LargeAllocator<int>> slots_;  // by hash: a name of the hash, or -1; at most half full
};

// One thread's pass over whole files: a reader of the one block walk
// (BlockWalk) that follows every bracket name of the list at once, so that
// each name's blocks are those the loader's search of that name finds. A
// block's values are taken when it ends, from the last line that set each
// slot, when that line is inside the block. Every name is searching again
// when a file ends, so files are read apart; only the damage sub-block state
// a name's blocks carry from one to the next crosses files, and it is
// settled when the files are put together in order.
//
// Without the values, the walk is fed only the marked lines: the pass goes
// from one to the next.
class WeaponTable::Pass {
 public:
  Pass(const NameIndex& names, bool keepValues) : names_(names), keepValues_(keepValues), state_(names.size()) {}
  Pass(const Pass&) = delete;
  Pass& operator=(const Pass&) = delete;

  void readFile(std::string_view bytes, FileBlocks& out) {
    out_ = &out;
    out.valuesKept = keepValues_;
    ++epoch_;
    fileStart_ = bytes.data();
    damageHeaders_.clear();
    out.blocks.reserve(bytes.size() / 512 + 8);  // only a guess: most blocks are longer
    if (keepValues_) out.packed.reserve(bytes.size() / 512 + 8);
    if (keepValues_)
      walk_.walk(bytes);
    else
      takeMarkedLines(bytes);
    // The file ends inside blocks, or before their opening braces.
    walk_.end(bytes.size());
  }

  // What the walk asks and tells.

  // The names the header line starts a block of: each "[" NAME "]" at its
  // start, letter case ignored, of a name now searching; `firstHash` is the
  // hash of its name up to its first "]" when already known.
  void headers(std::string_view line, std::vector<int>& ids, std::optional<std::uint64_t> firstHash = std::nullopt) {
    for (std::size_t p = line.find(']', 1); p != std::string_view::npos; p = line.find(']', p + 1)) {
      const std::uint64_t h = firstHash ? *firstHash : foldedHash(line.substr(1, p - 1));
      firstHash.reset();
      for (int id = names_.firstOfHash(h); id >= 0; id = names_[id].nextSameHash)
        if (stateOf(id).state == State::Searching && sameFolded(line.substr(1, p - 1), names_[id].name))
          ids.push_back(id);
    }
  }
  void header(int id, std::string_view line) {
    NameState& n = stateOf(id);
    n.state = State::Waiting;
    n.bracketName = spanOf(bracketNameOf(line));
  }
  void opening(const WalkedLine&, bool) {}
  void opened(int id, const WalkedLine& line) {
    startBlock(id).bodyBegin = static_cast<std::uint32_t>(line.next);
    NameState& n = stateOf(id);
    n.state = State::Open;
    n.opening = walk_.lineNumber();
  }
  void body(const WalkedLine& line, long) {
    if (keepValues_) setKeys(line.text);
    if (!line.marked) return;
    if (endsDamageBlock(line.text)) lastCarry_ = {walk_.lineNumber(), false};
    if (startsDamageBlock(line.text)) {
      lastCarry_ = {walk_.lineNumber(), true};
      damageHeaders_.push_back({walk_.lineNumber(), static_cast<std::size_t>(line.text.data() - fileStart_)});
    }
  }
  void ended(int id, std::size_t bodyEnd) { finish(id, bodyEnd); }
  // A header whose file ended before the block opened: the weapon is emptied
  // with its bracket name, and it counts as found.
  void unopened(int id) {
    WeaponBlock& w = startBlock(id);
    if (keepValues_) out_->packed.back().v.fill(0);
    w.carryOut = w.carryIn;  // a block that never opened leaves the state as it was
    stateOf(id).state = State::Searching;
  }

 private:
  enum class State : std::uint8_t { Searching, Waiting, Open };
  // A name's state in the file being read; a state of an earlier file
  // (another epoch) reads as a name searching, its carry inherited.
  struct NameState {
    std::uint32_t epoch = 0;
    State state = State::Searching;
    std::int8_t carry = WeaponBlock::kInherited;  // the damage sub-block state after its blocks so far
    int block = -1;                               // the block being read
    Span bracketName{0, 0};                       // of the block being read
    std::uint64_t opening = 0;                    // the number of its opening line
  };
  static_assert(sizeof(NameState) <= 32, "two names' states to a cache line");
  struct LineAt {
    std::uint64_t line;
    std::size_t offset;
  };
  // A marked line, where the line after it begins, and the hash of the
  // name up to its first "]" when it starts with "[" and has one.
  struct Mark {
    std::string_view line;
    std::size_t next;
    std::optional<std::uint64_t> hash;
  };
  struct LastSet {
    std::uint64_t line = 0;
    std::string_view value;
  };

  // Only the marked lines, found a few ahead of the one taken, so that the
  // names of the headers among them are fetched into the cache before they
  // are looked up: the names are spread over megabytes, and waiting on each
  // in turn cost most of the pass. A marked line outside every block that
  // does not start with "[" changes nothing but the line count, so every
  // marked line is taken.
  void takeMarkedLines(std::string_view bytes) {
    constexpr std::size_t kSlotAhead = 24, kNameAhead = 12;
    BufferLines lines(bytes);
    const auto nextMark = [&lines](Mark& m) {
      std::string_view line;
      if (!lines.skipToMarkedLine() || !lines.next(line)) return false;
      std::optional<std::uint64_t> hash;
      if (line[0] == '[')
        if (const std::size_t close = line.find(']', 1); close != std::string_view::npos)
          hash = foldedHash(line.substr(1, close - 1));
      m = {line, lines.offset(), hash};
      return true;
    };
    platform::Lookahead<Mark, 32> marks;
    while (const Mark* m = marks.next(nextMark)) {
      if (const Mark* far = marks.ahead(kSlotAhead); far && far->hash) platform::prefetch(names_.slotFor(*far->hash));
      if (const Mark* near = marks.ahead(kNameAhead); near && near->hash)
        if (const int id = *names_.slotFor(*near->hash); id >= 0) {
          platform::prefetch(&names_[id]);
          platform::prefetch(&state_[static_cast<std::size_t>(id)]);
        }
      walk_.line(m->line, m->next, m->hash);
    }
  }

  NameState& stateOf(int id) {
    NameState& n = state_[id];
    if (n.epoch != epoch_) {
      n = NameState();
      n.epoch = epoch_;
    }
    return n;
  }

  void setKeys(std::string_view line) {
    KeyValue keys[2];
    const int n = keyValuesOf(line, keys);
    for (int i = 0; i < n; ++i) lastSet_[slotIndex(keys[i].slot)] = {walk_.lineNumber(), keys[i].value};
  }

  // A new block of the name, its values still to come.
  WeaponBlock& startBlock(int id) {
    NameState& n = stateOf(id);
    n.block = static_cast<int>(out_->blocks.size());
    WeaponBlock& w = out_->blocks.emplace_back();
    if (keepValues_) out_->packed.emplace_back();
    w.name = id;
    w.bracketName = n.bracketName;
    w.carryIn = n.carry;
    return w;
  }

  void finish(int id, std::size_t bodyEnd) {
    NameState& n = stateOf(id);
    WeaponBlock& w = out_->blocks[n.block];
    w.bodyEnd = static_cast<std::uint32_t>(bodyEnd);
    if (keepValues_) keepValues(n.opening, n.block, w);
    if (lastCarry_.line > n.opening) n.carry = lastCarry_.value;
    w.carryOut = n.carry;  // still kInherited when no block of the name in this file set it
    // Before its first damage header a block that starts outside a damage
    // sub-block has no damage entry.
    const auto first = std::upper_bound(damageHeaders_.begin(), damageHeaders_.end(), n.opening,
                                        [](std::uint64_t line, const LineAt& h) { return line < h.line; });
    w.firstDamage =
        static_cast<std::uint32_t>(first != damageHeaders_.end() && first->offset < bodyEnd ? first->offset : bodyEnd);
    n.state = State::Searching;
  }

  // The block's values: from the last line that set each slot, when that
  // line is inside the block (after its opening line).
  void keepValues(std::uint64_t opening, int block, WeaponBlock& w) {
    if (w.bodyEnd - w.bodyBegin <= kPackedBlock) {
      const char* const base = fileStart_ + w.bodyBegin;
      auto& v = out_->packed[block].v;
      for (int s = 0; s < kSlotCount; ++s) {
        const LastSet& set = lastSet_[s];
        v[s] = set.line > opening && !set.value.empty() ? static_cast<std::uint32_t>(set.value.data() - base) << 16 |
                                                              static_cast<std::uint32_t>(set.value.size())
                                                        : 0;
      }
    } else {
      w.wide = static_cast<int>(out_->wide.size());
      auto& spans = out_->wide.emplace_back();
      for (int s = 0; s < kSlotCount; ++s)
        spans[s] = lastSet_[s].line > opening ? spanOf(lastSet_[s].value) : Span{0, 0};
    }
  }

  // An empty part may point nowhere ("key=" at the end of a line).
  Span spanOf(std::string_view part) const {
    if (part.empty()) return {0, 0};
    return {static_cast<std::uint32_t>(part.data() - fileStart_), static_cast<std::uint32_t>(part.size())};
  }

  const NameIndex& names_;
  const bool keepValues_;
  std::vector<NameState, LargeAllocator<NameState>> state_;  // by name, in large pages
  std::uint32_t epoch_ = 0;                                  // the files read so far

  FileBlocks* out_ = nullptr;
  const char* fileStart_ = nullptr;
  std::vector<LineAt> damageHeaders_;  // the damage headers read inside blocks in this file, in order
  std::array<LastSet, kSlotCount> lastSet_{};
  struct {
    std::uint64_t line = 0;
    bool value = false;
  } lastCarry_;
  BlockWalk<Pass> walk_{*this};  // its lines counted over all files
};

WeaponTable::WeaponTable(const WeaponList::Entries& list, const std::vector<WeaponFilePtr>& searchList,
                         const WeaponTable* previous, Values values, FileStore* store) {
  // The names' index and the entries' texts side by side: neither needs the
  // other, and each waits on memory spread over the list's blocks.
  NameIndex index;
  std::vector<int, LargeAllocator<int>> ids;
  const bool sideBySide = list.size() >= 8192;
  platform::forEachOnThreads(sideBySide ? 2 : 1, [&](std::size_t task, std::size_t) {
    if (task == 0) ids = index.add(list);
    if (task == 1 || !sideBySide) keepTexts(list);
  });
  namesKey_ = index.key();
  sources_ = searchList;
  valuesKept_ = values == Values::Kept;
  readFiles(index, previous, valuesKept_, store);
  for (std::size_t i = 0; i < list.size(); ++i) rows_[i].weapon = weapons_[ids[i]].file >= 0 ? ids[i] : -1;

  // Blocks read again for every row they load may cost more than the pass
  // that keeps their values: a long block that many entries load, or blocks
  // inside blocks, each read again whole.
  if (!valuesKept_) {
    std::uint64_t fileBytes = 0;
    for (const auto& file : files_) fileBytes += file->held->bytes().size();
    if (bytesToReadAgain() > 4 * fileBytes + (std::uint64_t{16} << 20)) {
      valuesKept_ = true;
      files_.assign(files_.size(), nullptr);
      readFiles(index, nullptr, true, store);
    }
  }
}

void WeaponTable::keepTexts(const WeaponList::Entries& list) {
  std::size_t textBytes = 0;
  for (const ListEntry& e : list) textBytes += e.text.size();
  texts_.reserve(textBytes);
  rows_.reserve(list.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    // The texts lie where the files' scans put them, not in list order.
    if (i + 16 < list.size()) platform::prefetch(list[i + 16].text.data());
    const std::string_view text = list[i].text, name = list[i].name;
    const std::size_t at = texts_.size();
    texts_.append(text);
    // The name is the end of the text, but for entries made up by hand.
    const bool ends = text.ends_with(name);
    if (!ends) texts_.append(name);
    rows_.push_back({at, ends ? at + text.size() - name.size() : at + text.size(),
                     static_cast<std::uint32_t>(text.size()), static_cast<std::uint32_t>(name.size()), -1});
  }
}

void WeaponTable::readFiles(const NameIndex& index, const WeaponTable* previous, bool keepValues, FileStore* store) {
  files_.resize(sources_.size());
  if (previous && previous->namesKey_ == namesKey_)
    for (std::size_t f = 0; f < sources_.size(); ++f)
      for (std::size_t g = 0; g < previous->sources_.size(); ++g)
        if (previous->sources_[g] == sources_[f] && previous->files_[g]->valuesKept == keepValues &&
            sources_[f]->stillHolds(*previous->files_[g]->held))
          files_[f] = previous->files_[g];

  // The files are read by a few threads at once, each taking the next file
  // not yet taken; each file's blocks are its own until they are put
  // together in search order below.
  std::vector<std::size_t> toRead;
  for (std::size_t f = 0; f < files_.size(); ++f)
    if (!files_[f]) toRead.push_back(f);
  filesRead_ = toRead.size();
  std::vector<std::optional<Pass>> passes(platform::threadsFor(toRead.size()));  // one for each thread
  platform::forEachOnThreads(toRead.size(), [&](std::size_t i, std::size_t thread) {
    if (!passes[thread]) passes[thread].emplace(index, keepValues);
    const WeaponFile& source = *sources_[toRead[i]];
    auto file = std::make_shared<FileBlocks>();
    if (store) {
      file->held = store->hold(sources_[toRead[i]], file->unreadable);
    } else {
      auto held = std::make_shared<platform::HeldFile>();
      if (source.hold(*held, file->unreadable)) file->held = std::move(held);
    }
    if (file->held && file->held->bytes().size() > UINT32_MAX) {
      file->unreadable = "too large for the weapons table";
      file->held = nullptr;
    }
    if (file->held)
      passes[thread]->readFile(file->held->bytes(), *file);
    else
      file->held = std::make_shared<platform::HeldFile>();  // nothing
    files_[toRead[i]] = std::move(file);
  });

  // In search order: the last block of a name is the one loading it gives,
  // and each block starts with the damage sub-block state its name's blocks
  // before it left.
  weapons_.assign(index.size(), BlockOfName{});
  unreadable_.clear();
  std::vector<std::int8_t> carry(index.size(), 0);
  for (std::size_t f = 0; f < files_.size(); ++f) {
    if (!files_[f]->unreadable.empty()) unreadable_.push_back({sources_[f]->name(), files_[f]->unreadable});
    const auto& blocks = files_[f]->blocks;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
      const WeaponBlock& w = blocks[b];
      std::int8_t& c = carry[w.name];
      const bool in = w.carryIn == WeaponBlock::kInherited ? c : w.carryIn;
      if (w.carryOut != WeaponBlock::kInherited) c = w.carryOut;
      weapons_[w.name] = {static_cast<int>(f), static_cast<int>(b), in ? w.bodyBegin : w.firstDamage,
                          w.bodyEnd - w.bodyBegin, in};
    }
  }
}

std::uint64_t WeaponTable::bytesToReadAgain() const {
  std::uint64_t bytes = 0;
  for (const Row& row : rows_)
    if (row.weapon >= 0) bytes += weapons_[row.weapon].bodySize;
  return bytes;
}

std::string_view WeaponTable::slotText(const FileBlocks& file, int block, int s) {
  const std::string_view bytes = file.held->bytes();
  const WeaponBlock& w = file.blocks[block];
  if (s == slotIndex(Slot::BracketName)) return bytes.substr(w.bracketName.offset, w.bracketName.size);
  if (w.wide >= 0) return bytes.substr(file.wide[w.wide][s].offset, file.wide[w.wide][s].size);
  const std::uint32_t v = file.packed[block].v[s];
  return bytes.substr(w.bodyBegin + (v >> 16), v & 0xFFFF);
}

void WeaponTable::readBlock(std::size_t row, SlotValues& values, std::vector<std::string_view>* damage) const {
  values = SlotValues{};
  if (damage) damage->clear();
  if (!found(row)) return;
  const platform::PaddedView bytes = fileBytes(row);
  const WeaponBlock& w = weaponBlockOf(row);
  const BlockOfName& where = weapons_[rows_[row].weapon];
  values[slotIndex(Slot::BracketName)] = bytes.substr(w.bracketName.offset, w.bracketName.size);
  readBody(bytes.substr(w.bodyBegin, w.bodyEnd - w.bodyBegin), where.damageFrom - w.bodyBegin, where.carryIn, values,
           damage);
}

void WeaponTable::prefetch(std::size_t row) const {
  // In two steps: where the block of a row far ahead lies, then the first
  // lines of a nearer row's block, whose place is known by then. The
  // processor's own prefetching follows on from the first lines.
  constexpr std::size_t kFar = 8;
  if (const std::size_t far = row + kFar; far < rows_.size() && found(far)) {
    const BlockOfName& where = weapons_[rows_[far].weapon];
    platform::prefetch(&where);
    platform::prefetch(files_[static_cast<std::size_t>(where.file)]->blocks.data() + where.block);
  }
  if (row >= rows_.size() || !found(row)) return;
  const WeaponBlock& w = weaponBlockOf(row);
  const char* body = fileBytes(row).data() + w.bodyBegin;
  for (std::uint32_t at = 0; at < w.bodyEnd - w.bodyBegin && at < 1024; at += 64) platform::prefetch(body + at);
}

std::string_view WeaponTable::value(std::size_t row, Slot s) const {
  if (!found(row)) return {};
  if (valuesKept_) return slotText(fileOf(row), blockOf(row), slotIndex(s));
  return values(row)[slotIndex(s)];
}

SlotValues WeaponTable::values(std::size_t row) const {
  SlotValues out{};
  if (!found(row)) return out;
  if (!valuesKept_) {
    readBlock(row, out, nullptr);
    return out;
  }
  const FileBlocks& file = fileOf(row);
  for (int s = 0; s < kSlotCount; ++s) out[s] = slotText(file, blockOf(row), s);
  return out;
}

void WeaponTable::read(std::size_t row, SlotValues& values, std::vector<std::string_view>& damage) const {
  if (!valuesKept_) return readBlock(row, values, &damage);
  values = this->values(row);
  damageParts(row, damage);
}

void WeaponTable::damageParts(std::size_t row, std::vector<std::string_view>& out) const {
  out.clear();
  if (!found(row)) return;
  const WeaponBlock& w = weaponBlockOf(row);
  const BlockOfName& where = weapons_[rows_[row].weapon];
  bool carry = where.carryIn;
  BufferLines lines(fileBytes(row).substr(where.damageFrom, w.bodyEnd - where.damageFrom));
  std::string_view entry;
  for (std::string_view line; lines.next(line);)
    if (damageEntryOf(line, carry, entry)) out.push_back(entry);
}

std::vector<std::string> WeaponTable::damage(std::size_t row) const {
  std::vector<std::string_view> parts;
  damageParts(row, parts);
  return std::vector<std::string>(parts.begin(), parts.end());
}

CurrentWeapon WeaponTable::weapon(std::size_t row) const {
  SlotValues values;
  std::vector<std::string_view> damage;
  read(row, values, damage);
  CurrentWeapon w;
  w.clear();
  for (int s = 0; s < kSlotCount; ++s) w.v[s] = std::string(values[s]);
  w.damage.assign(damage.begin(), damage.end());
  return w;
}

}  // namespace qm
