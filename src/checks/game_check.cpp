#include "checks/game_check.h"

#include <algorithm>
#include <tuple>
#include <cstdint>

#include "checks/known_keys.h"
#include "text/numbers.h"
#include "text/text.h"

namespace qm {

namespace {

bool sameFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && FoldLower(a[i]) != FoldLower(b[i])) return false;
  return true;
}

std::string bracketed(std::string_view name) {
  std::string text;
  text.reserve(name.size() + 2);
  text += '[';
  text += name;
  text += ']';
  return quoted(text);
}

std::string place(const WeaponRecord& w) { return w.file + ":" + std::to_string(w.line); }

}  // namespace

namespace {

// Two weapons of different names on one ID is a conflict. `weapons` in
// reading order.
Census takeCensus(const std::vector<WeaponRecord>& weapons) {
  Census census;
  for (std::size_t i = 0; i < weapons.size(); ++i) {
    const auto& id = weapons[i].id;
    if (id && *id >= 0 && *id < kIdCount) census.users[static_cast<std::size_t>(*id)].push_back(i);
  }
  for (int id = 0; id < kIdCount; ++id) {
    const auto& users = census.users[static_cast<std::size_t>(id)];
    if (users.empty()) census.free.push_back(id);
    const bool conflict = std::any_of(users.begin(), users.end(), [&](std::size_t u) {
      return !sameFolded(weapons[u].name, weapons[users.front()].name);
    });
    if (conflict) census.conflicts.push_back({id, users});
  }
  return census;
}

}  // namespace

void GameCheck::addFile(const std::string& name, std::string_view bytes) {
  ++files_;
  const TdfDocument doc = readTdf(bytes, name, findings_);
  for (const TdfBlock& weapon : doc.blocks) checkWeapon(name, weapon);
}

void GameCheck::addUnreadable(const std::string& name, const std::string& reason) {
  ++files_;
  findings_.push_back({name, 0, 0, Severity::Error, check::kUnreadable, "cannot read the file: " + reason});
}

void GameCheck::checkWeapon(const std::string& file, const TdfBlock& weapon) {
  WeaponRecord record{std::string(weapon.name), file, weapon.at.line, false, {}, std::nullopt, 0, 0};
  for (const TdfPair& pair : weapon.pairs) {
    if (!sameFolded(pair.key, "id")) continue;
    record.hasId = true;
    record.idText = std::string(pair.value);
    record.id = WholeNumber(pair.value);
    record.idLine = pair.at.line;
    record.idColumn = pair.at.column;
  }
  if (scope_ == Scope::CensusOnly) {
    weapons_.push_back(std::move(record));
    return;
  }
  if (!record.hasId) {
    findings_.push_back({file, weapon.at.line, weapon.at.column, Severity::Error, check::kMissingId,
                         bracketed(weapon.name) + " has no ID"});
  } else if (!record.id || *record.id < 0 || *record.id >= kIdCount) {
    findings_.push_back({file, record.idLine, record.idColumn, Severity::Error, check::kBadId,
                         "the ID " + quoted(record.idText) + " of " + bracketed(weapon.name) +
                             " is not a whole number from 0 to 255"});
  }
  checkBlock(file, weapon, true, false);
  weapons_.push_back(std::move(record));
}

void GameCheck::checkBlock(const std::string& file, const TdfBlock& block, bool weaponLevel, bool damage) {
  const auto& pairs = block.pairs;
  keysSeen_.start(pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const TdfPair& pair = pairs[i];
    auto report = [&](Severity severity, std::string_view name, std::string message) {
      findings_.push_back({file, pair.at.line, pair.at.column, severity, name, std::move(message)});
    };
    folded_.assign(pair.key);
    for (char& c : folded_) c = FoldLower(c);
    const std::uint64_t hash = keyHash(folded_);
    if (const TdfPair* earlier = keysSeen_.previous(pairs, i, hash))
      report(Severity::Warning, check::kDuplicateKey,
             quoted(pair.key) + " is set again (first at line " + std::to_string(earlier->at.line) +
                 "): the later value " + quoted(pair.value) + " is the one that counts");
    KeyKind kind = damage ? KeyKind::Number : KeyKind::Other;
    if (weaponLevel) {
      kind = folded_ == "id" ? KeyKind::Other : weaponKeyKind(folded_, hash);
      if (kind == KeyKind::Unknown) {
        const std::string_view nearest = suggestion(folded_);
        report(Severity::Warning, check::kUnknownKey,
               "the game does not know the key " + quoted(pair.key) +
                   (nearest.empty() ? std::string() : "; did you mean " + quoted(nearest) + "?"));
      }
    }
    if (kind != KeyKind::Number) continue;
    if (pair.value.empty())
      report(Severity::Warning, check::kEmptyValue, quoted(pair.key) + " has no value");
    else if (!isNumberText(pair.value))
      report(Severity::Error, check::kNotANumber,
             "the value " + quoted(pair.value) + " of " + quoted(pair.key) + " is not a number");
  }
  for (const TdfBlock& inner : block.blocks)
    checkBlock(file, inner, false, weaponLevel && sameFolded(inner.name, "damage"));
}

std::string_view GameCheck::suggestion(std::string_view lowerKey) {
  const auto it = suggestions_.find(std::string(lowerKey));
  if (it != suggestions_.end()) return it->second;
  return suggestions_.emplace(std::string(lowerKey), nearestWeaponKey(lowerKey)).first->second;
}

void GameCheck::KeysSeen::start(std::size_t pairs) {
  // Slots of an earlier block count as free: no clearing between blocks.
  ++block_;
  if (slots_.size() >= 2 * pairs && block_ != 0) return;
  std::size_t size = 16;
  while (size < 2 * pairs) size *= 2;
  slots_.assign(size, Slot{});
  block_ = 1;
}

const TdfPair* GameCheck::KeysSeen::previous(const std::vector<TdfPair>& pairs, std::size_t i, std::uint64_t hash) {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.block != block_) {
      slot = {block_, i};
      return nullptr;
    }
    const std::size_t j = slot.pair;
    if (sameFolded(pairs[j].key, pairs[i].key)) {
      slot.pair = i;
      return &pairs[j];
    }
  }
}

void GameCheck::finish() {
  census_ = takeCensus(weapons_);
  if (scope_ == Scope::CensusOnly) return;
  // A weapon defined twice: the later definition is the one that counts.
  std::unordered_map<std::string, std::size_t> lastByName;
  for (std::size_t i = 0; i < weapons_.size(); ++i) {
    const WeaponRecord& w = weapons_[i];
    const auto [it, first] = lastByName.try_emplace(ToLower(w.name), i);
    if (first) continue;
    const WeaponRecord& earlier = weapons_[it->second];
    findings_.push_back({w.file, w.line, 1, Severity::Error, check::kDuplicateWeapon,
                         bracketed(w.name) + " is defined again: the game takes this definition and drops the one at " +
                             place(earlier)});
    it->second = i;
  }

  for (const IdConflict& conflict : census_.conflicts) {
    const WeaponRecord& holder = weapons_[conflict.weapons.front()];
    for (std::size_t u : conflict.weapons) {
      const WeaponRecord& w = weapons_[u];
      if (sameFolded(w.name, holder.name)) continue;
      findings_.push_back({w.file, w.idLine, w.idColumn, Severity::Error, check::kIdConflict,
                           "the ID " + std::to_string(conflict.id) + " of " + bracketed(w.name) +
                               " is also the ID of " + bracketed(holder.name) + " at " + place(holder)});
    }
  }
  sortFindings();
}

void GameCheck::sortFindings() {
  // By file name, line and column. Files are ranked once, so that the sort
  // compares numbers: a large game gives many findings.
  std::unordered_map<std::string_view, std::size_t> rank;
  for (const Finding& f : findings_) rank.emplace(f.file, 0);
  std::vector<std::string_view> names;
  for (const auto& [name, r] : rank) names.push_back(name);
  std::sort(names.begin(), names.end());
  for (std::size_t i = 0; i < names.size(); ++i) rank[names[i]] = i;

  struct Key {
    std::size_t file;
    int line, column;
    std::size_t at;
    bool operator<(const Key& o) const { return std::tie(file, line, column, at) < std::tie(o.file, o.line, o.column, o.at); }
  };
  std::vector<Key> keys;
  keys.reserve(findings_.size());
  for (std::size_t i = 0; i < findings_.size(); ++i)
    keys.push_back({rank[findings_[i].file], findings_[i].line, findings_[i].column, i});
  if (std::is_sorted(keys.begin(), keys.end())) return;
  std::sort(keys.begin(), keys.end());
  std::vector<Finding> sorted;
  sorted.reserve(findings_.size());
  for (const Key& k : keys) sorted.push_back(std::move(findings_[k.at]));
  findings_ = std::move(sorted);
}

std::size_t GameCheck::count(Severity s) const {
  return static_cast<std::size_t>(
      std::count_if(findings_.begin(), findings_.end(), [s](const Finding& f) { return f.severity == s; }));
}

std::string GameCheck::censusSummary() const {
  return std::to_string(weapons_.size()) + " weapons, " + std::to_string(census_.used()) + " IDs used, " +
         std::to_string(census_.free.size()) + " IDs free, " + std::to_string(census_.conflicts.size()) +
         " IDs in conflict";
}

std::string GameCheck::findingsSummary() const {
  return std::to_string(count(Severity::Error)) + " errors, " + std::to_string(count(Severity::Warning)) +
         " warnings in " + std::to_string(files_) + " files";
}

}  // namespace qm
