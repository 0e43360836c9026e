#include "catalogue/weapon_table.h"

#include <cstdint>
#include <unordered_map>

#include "text/lines.h"
#include "text/text.h"
#include "weapon/loader.h"
#include "weapon/recogniser.h"

namespace qm {

namespace {

// A hash of bytes folded to lower case, extended a byte at a time so that
// every prefix of a header line can be looked up as the line is walked.
constexpr std::uint64_t kHashStart = 1469598103934665603ull;
inline std::uint64_t HashStep(std::uint64_t h, char c) {
  return (h ^ static_cast<unsigned char>(FoldLower(c))) * 1099511628211ull;
}

}  // namespace

// The pass over the files. Each bracket name goes through the states the
// loader's search of that name goes through: searching for a header, waiting
// for the opening brace, inside the block. Blocks of different names may
// overlap (a header at the start of a line inside another block still starts
// a block of its own), and overlapping blocks nest, as each ends at the first
// line that takes the depth below its start: so the open blocks are a stack,
// and every line inside one is looked at once, whatever the number of blocks
// it belongs to. A block's values are taken when it ends, from the last line
// that set each slot, when that line is inside the block.
class WeaponTable::Pass {
 public:
  explicit Pass(WeaponTable& table) : t_(table) {}

  // The distinct names of the list, letter case ignored; returns the
  // weapon index of each entry's name.
  std::vector<int> AddNames(const WeaponList::Entries& list) {
    std::vector<int> ids;
    ids.reserve(list.size());
    std::unordered_map<std::string, int> byName;
    for (const ListEntry& e : list) {
      auto [it, added] = byName.try_emplace(ToLower(e.name), static_cast<int>(names_.size()));
      if (added) {
        std::uint64_t h = kHashStart;
        for (char c : it->first) h = HashStep(h, c);
        auto [head, fresh] = byHash_.try_emplace(h, it->second);
        Name n;
        n.folded = it->first;
        n.nextSameHash = fresh ? -1 : head->second;
        names_.push_back(std::move(n));
        if (!fresh) head->second = it->second;
      }
      ids.push_back(it->second);
    }
    t_.weapons_.resize(names_.size());
    return ids;
  }

  void ReadFile(std::string_view bytes, int file) {
    file_ = file;
    fileStart_ = bytes.data();
    BufferLines lines(bytes);
    std::string_view line;
    while (true) {
      // Outside every block only a header can matter.
      if (open_.empty() && waiting_.empty() && !lines.SkipToLineStartingWith('[')) break;
      if (!lines.Next(line)) break;
      Line(line, lines.Offset());
    }
    // The file ends inside blocks, or before their opening braces.
    while (!open_.empty()) {
      Finish(open_.back(), bytes.size());
      open_.pop_back();
    }
    for (int id : waiting_) FinishUnopened(id);
    waiting_.clear();
  }

  bool Found(int id) const { return names_[id].found; }

 private:
  enum class State : std::uint8_t { Searching, Waiting, Open };
  struct Name {
    std::string folded;
    int nextSameHash = -1;  // another name of the same hash, or -1
    State state = State::Searching;
    bool found = false;
    bool carry = false;            // the damage sub-block state after its blocks so far
    std::string_view bracketName;  // of the block being read
  };
  struct OpenBlock {
    int id;
    long endDepth;          // the block ends at the first line that takes the depth here
    std::uint64_t opening;  // the number of its opening line
  };
  struct LastSet {
    std::uint64_t line = 0;
    std::string_view value;
  };

  // One line; `next` is where the line after it begins.
  void Line(std::string_view line, std::size_t next) {
    ++lineNo_;
    // Headers first: a name whose block ends or opens on this line has
    // taken the line for that, and does not look at it as a header.
    headers_.clear();
    if (!line.empty() && line[0] == '[') MatchHeader(line);

    if (!open_.empty()) {
      KeyValue keys[2];
      const int n = KeyValuesOf(line, keys);
      for (int i = 0; i < n; ++i) lastSet_[SlotIndex(keys[i].slot)] = {lineNo_, keys[i].value};
      if (EndsDamageBlock(line)) lastCarry_ = {lineNo_, false};
      if (StartsDamageBlock(line)) lastCarry_ = {lineNo_, true};
      depth_ += DepthChange(line);
      while (!open_.empty() && open_.back().endDepth == depth_) {
        Finish(open_.back(), next);
        open_.pop_back();
      }
    }
    const bool opens = OpensBlock(line);
    if (opens) {
      for (int id : waiting_) Open(id, next);
      waiting_.clear();
    }
    for (int id : headers_) {
      Name& n = names_[id];
      n.state = State::Waiting;
      n.bracketName = BracketNameOf(line);
      if (opens)
        Open(id, next);
      else
        waiting_.push_back(id);
    }
  }

  // The names the header line starts a block of: each "[" NAME "]" at its
  // start, letter case ignored, of a name now searching.
  void MatchHeader(std::string_view line) {
    std::uint64_t h = kHashStart;
    for (std::size_t p = 1; p < line.size(); h = HashStep(h, line[p]), ++p) {
      if (line[p] != ']') continue;
      const auto it = byHash_.find(h);
      if (it == byHash_.end()) continue;
      for (int id = it->second; id >= 0; id = names_[id].nextSameHash) {
        const Name& n = names_[id];
        if (n.state == State::Searching && n.folded.size() == p - 1 && MatchesFoldedAt(line, 1, n.folded))
          headers_.push_back(id);
      }
    }
  }

  void Open(int id, std::size_t bodyBegin) {
    names_[id].state = State::Open;
    Loaded& w = t_.weapons_[id];
    w.bodyBegin = bodyBegin;
    open_.push_back({id, depth_ - 1, lineNo_});
  }

  void Finish(const OpenBlock& b, std::size_t bodyEnd) {
    Name& n = names_[b.id];
    Loaded& w = t_.weapons_[b.id];
    for (int s = 0; s < kSlotCount; ++s) w.v[s] = lastSet_[s].line > b.opening ? SpanOf(lastSet_[s].value) : Span{0, 0};
    Settle(n, w, bodyEnd);
    if (lastCarry_.line > b.opening) n.carry = lastCarry_.value;
  }

  // A header whose file ended before the block opened: the weapon is emptied
  // with its bracket name, and it counts as found.
  void FinishUnopened(int id) {
    Loaded& w = t_.weapons_[id];
    w.v.fill(Span{0, 0});
    w.bodyBegin = 0;
    Settle(names_[id], w, 0);
  }

  // An empty part may point nowhere ("key=" at the end of a line).
  Span SpanOf(std::string_view part) const {
    if (part.empty()) return {0, 0};
    return {static_cast<std::uint32_t>(part.data() - fileStart_), static_cast<std::uint32_t>(part.size())};
  }

  void Settle(Name& n, Loaded& w, std::size_t bodyEnd) {
    w.v[SlotIndex(Slot::BracketName)] = SpanOf(n.bracketName);
    w.file = file_;
    w.bodyEnd = bodyEnd;
    w.carryIn = n.carry;
    n.found = true;
    n.state = State::Searching;
  }

  WeaponTable& t_;
  std::vector<Name> names_;
  std::unordered_map<std::uint64_t, int> byHash_;  // the first name of each hash

  int file_ = 0;
  const char* fileStart_ = nullptr;
  std::uint64_t lineNo_ = 0;     // counted over all files
  long depth_ = 0;               // the sum of the depth changes of the lines read inside blocks
  std::vector<OpenBlock> open_;  // outer blocks first
  std::vector<int> waiting_;     // names whose header was read, before their opening brace
  std::vector<int> headers_;     // the names the current line is a header of
  std::array<LastSet, kSlotCount> lastSet_{};
  struct {
    std::uint64_t line = 0;
    bool value = false;
  } lastCarry_;
};

WeaponTable::WeaponTable(const WeaponList::Entries& list, const std::vector<WeaponFilePtr>& searchList) {
  Pass pass(*this);
  const std::vector<int> ids = pass.AddNames(list);
  // The values stay parts of the files' bytes, which must not move.
  files_.reserve(searchList.size());
  std::string reason;
  for (const WeaponFilePtr& file : searchList) {
    std::string bytes;
    if (!file->read(bytes, reason) || bytes.size() > UINT32_MAX) {
      unreadable_.push_back({file->name(), bytes.size() > UINT32_MAX ? "too large for the weapons table" : reason});
      continue;
    }
    files_.push_back(std::move(bytes));
    names_.push_back(file->name());
    pass.ReadFile(files_.back(), static_cast<int>(files_.size() - 1));
  }
  rows_.reserve(list.size());
  for (std::size_t i = 0; i < list.size(); ++i)
    rows_.push_back({std::string(list[i].text), std::string(list[i].name), pass.Found(ids[i]) ? ids[i] : -1});
}

std::string_view WeaponTable::value(std::size_t row, Slot s) const {
  if (!found(row)) return {};
  const Loaded& w = weapons_[rows_[row].weapon];
  const Span span = w.v[SlotIndex(s)];
  return std::string_view(files_[w.file]).substr(span.offset, span.size);
}

SlotValues WeaponTable::values(std::size_t row) const {
  SlotValues out{};
  for (int s = 0; found(row) && s < kSlotCount; ++s) out[s] = value(row, static_cast<Slot>(s));
  return out;
}

std::vector<std::string> WeaponTable::damage(std::size_t row) const {
  std::vector<std::string> out;
  if (!found(row)) return out;
  const Loaded& w = weapons_[rows_[row].weapon];
  bool carry = w.carryIn;
  const std::string_view body = std::string_view(files_[w.file]).substr(w.bodyBegin, w.bodyEnd - w.bodyBegin);
  BufferLines lines(body);
  for (std::string_view line; lines.Next(line);) RecogniseDamageLine(line, out, carry);
  return out;
}

CurrentWeapon WeaponTable::weapon(std::size_t row) const {
  CurrentWeapon w;
  w.Clear();
  for (int s = 0; s < kSlotCount; ++s) w.v[s] = std::string(value(row, static_cast<Slot>(s)));
  w.damage = damage(row);
  return w;
}

}  // namespace qm
