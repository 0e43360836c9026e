#include "unit/unit_file.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

#include "checks/registry.h"
#include "checks/tdf_reader.h"
#include "text/text.h"

namespace qm {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\r' || c == '\n'; }

class Reading {
 public:
  Reading(std::string_view bytes, std::vector<UnitBlock>& blocks, std::vector<UnitEntry>& lines,
          std::vector<std::unique_ptr<std::string>>& joined)
      : bytes_(bytes), blocks_(blocks), lines_(lines), joined_(joined) {}

  void block(const TdfBlock& b, const std::string& path) {
    const std::size_t index = blocks_.size();
    blocks_.push_back({path, offset(b.name.data()) - 1});
    const std::string prefix = path.empty() ? std::string() : path + ".";
    // Pairs and inner blocks in file order: the pairs are in order, and so
    // are the blocks, so the two are merged by where they start.
    std::size_t p = 0;
    for (const TdfBlock& inner : b.blocks) {
      if (!inner.name.data()) continue;  // a "{" without a header: no name to give its keys
      const std::size_t innerAt = offset(inner.name.data());
      for (; p < b.pairs.size() && offset(b.pairs[p].key.data()) < innerAt; ++p) pair(b.pairs[p], prefix, index);
      block(inner, prefix + std::string(inner.name));
    }
    for (; p < b.pairs.size(); ++p) pair(b.pairs[p], prefix, index);
  }

 private:
  std::size_t offset(const char* p) const { return static_cast<std::size_t>(p - bytes_.data()); }

  void pair(const TdfPair& p, const std::string& prefix, std::size_t block) {
    UnitEntry e;
    if (prefix.empty()) {
      e.key = p.key;
    } else {
      joined_.push_back(std::make_unique<std::string>(prefix + std::string(p.key)));
      e.key = *joined_.back();
    }
    e.value = p.value;
    e.line = p.at.line;
    const std::size_t keyAt = offset(p.key.data());
    std::size_t eq = keyAt + p.key.size();
    while (eq < bytes_.size() && bytes_[eq] != '=') ++eq;
    const std::size_t valueAt = eq + 1;
    std::size_t end = p.value.empty() ? valueAt : offset(p.value.data()) + p.value.size();
    std::size_t after = end;
    while (after < bytes_.size() && isSpace(bytes_[after])) ++after;
    e.semicolon = after < bytes_.size() && bytes_[after] == ';';
    e.keyAt = static_cast<std::uint32_t>(keyAt);
    e.valueAt = static_cast<std::uint32_t>(valueAt);
    // An empty value with no ";" is nothing between "=" and what follows.
    e.valueEnd = static_cast<std::uint32_t>(e.semicolon ? after : std::max(end, valueAt));
    e.block = static_cast<std::uint32_t>(block);
    lines_.push_back(std::move(e));
  }

  std::string_view bytes_;
  std::vector<UnitBlock>& blocks_;
  std::vector<UnitEntry>& lines_;
  std::vector<std::unique_ptr<std::string>>& joined_;
};

std::size_t pairCount(const TdfBlock& b) {
  std::size_t n = b.pairs.size();
  for (const TdfBlock& inner : b.blocks) n += pairCount(inner);
  return n;
}

std::uint64_t foldedHash(std::string_view key) {
  std::uint64_t h = 14695981039346656037ull;
  for (char c : key) h = (h ^ static_cast<unsigned char>(foldLower(c))) * 1099511628211ull;
  return h;
}

}  // namespace

std::string_view trimValue(std::string_view value) {
  while (!value.empty() && isSpace(value.front())) value.remove_prefix(1);
  while (!value.empty() && isSpace(value.back())) value.remove_suffix(1);
  return value;
}

UnitFile::UnitFile(std::string bytes) : bytes_(std::make_unique<std::string>(std::move(bytes))) {
  if (bytes_->size() > std::numeric_limits<std::uint32_t>::max()) {
    problem_ = "the file is larger than 4 GiB";
    return;
  }
  std::vector<Finding> ignored;  // the file's form is the unit checks' business
  const std::string file;
  // A statement a ";": room for them all up front. The lines, which are
  // kept, take their room before the reading's own, which goes again: so
  // that what is kept of many files lies together instead of between holes.
  const auto statements = static_cast<std::size_t>(std::count(bytes_->begin(), bytes_->end(), ';'));
  lines_.reserve(statements);
  const TdfDocument doc = readTdf(*bytes_, file, ignored, TdfReading{true, statements});
  for (const Finding& f : ignored)
    for (const CheckInfo* structural :
         {&check::kUnmatchedBrace, &check::kUnclosedBlock, &check::kUnclosedHeader, &check::kUnclosedComment,
          &check::kMissingBrace, &check::kMissingHeader, &check::kDeepNesting})
      if (problem_.empty() && f.check == structural->name)
        problem_ = "line " + std::to_string(f.line) + ": " + f.message;
  const TdfBlock* info = nullptr;
  for (const TdfBlock& b : doc.blocks)
    if (compareFolded(b.name, "unitinfo") == 0) info = &b;
  if (!info) return;
  lines_.reserve(pairCount(*info));
  Reading(*bytes_, blocks_, lines_, joinedKeys_).block(*info, {});
  // The later line of a key counts: the lines sorted by their keys' folded
  // hashes (and their places), so that lines of one key come together.
  std::vector<std::pair<std::uint64_t, std::size_t>> byKey(lines_.size());
  for (std::size_t i = 0; i < lines_.size(); ++i) byKey[i] = {foldedHash(lines_[i].key), i};
  std::sort(byKey.begin(), byKey.end());
  for (std::size_t i = 0; i < byKey.size(); ++i)
    for (std::size_t j = i + 1; j < byKey.size() && byKey[j].first == byKey[i].first; ++j)
      if (compareFolded(lines_[byKey[i].second].key, lines_[byKey[j].second].key) == 0) {
        lines_[byKey[i].second].counts = false;
        break;
      }
}

std::vector<const UnitEntry*> UnitFile::values() const {
  std::vector<const UnitEntry*> out;
  out.reserve(lines_.size());
  for (const UnitEntry& e : lines_)
    if (e.counts) out.push_back(&e);
  return out;
}

const UnitEntry* UnitFile::find(std::string_view key) const {
  // Every cell of the units table is a look-up: keys of another length are
  // passed over without comparing their letters.
  for (auto it = lines_.rbegin(); it != lines_.rend(); ++it)
    if (it->key.size() == key.size() && compareFolded(it->key, key) == 0) return &*it;
  return nullptr;
}

std::string_view UnitFile::value(std::string_view key) const {
  const UnitEntry* e = find(key);
  return e ? e->value : std::string_view();
}

const UnitBlock* UnitFile::block(std::string_view path, std::size_t* index) const {
  for (std::size_t i = blocks_.size(); i-- > 0;)
    if (compareFolded(blocks_[i].path, path) == 0) {
      if (index) *index = i;
      return &blocks_[i];
    }
  return nullptr;
}

}  // namespace qm
