#include "checks/game_check.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <tuple>

#include "checks/known_keys.h"
#include "text/numbers.h"
#include "text/text.h"

namespace qm {

namespace {

std::string bracketed(std::string_view name) {
  std::string text;
  text.reserve(name.size() + 2);
  text += '[';
  text += name;
  text += ']';
  return quoted(text);
}

std::string placeOf(const WeaponRecord& w) { return w.file + ":" + std::to_string(w.line); }

}  // namespace

namespace {

// Two weapons of different names on one ID is a conflict. `weapons` in
// reading order.
Census takeCensus(const std::vector<WeaponRecord>& weapons) {
  Census census;
  for (std::size_t i = 0; i < weapons.size(); ++i) {
    const auto& id = weapons[i].id;
    if (weapons[i].swallowed) continue;  // not a weapon to the game
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

std::vector<std::pair<int, int>> idRanges(const std::vector<int>& ids) {
  std::vector<std::pair<int, int>> runs;
  for (int id : ids) {
    if (!runs.empty() && runs.back().second + 1 == id)
      runs.back().second = id;
    else
      runs.emplace_back(id, id);
  }
  return runs;
}

std::string idRangesText(const std::vector<int>& ids) {
  std::string text;
  for (const auto& [first, last] : idRanges(ids)) {
    if (!text.empty()) text += ", ";
    text += std::to_string(first);
    if (last != first) text += "-" + std::to_string(last);
  }
  return text;
}

std::string_view engineName(Engine e) {
  return e == Engine::Original ? "original" : e == Engine::Later ? "later" : "auto";
}

void GameCheck::addFile(const std::string& name, std::string_view bytes) {
  ++files_;
  const TdfDocument doc = readTdf(bytes, name, findings_);
  for (std::size_t i = 0; i < doc.blocks.size(); ++i) {
    const TdfBlock& block = doc.blocks[i];
    if (!sameFolded(block.name, "damage")) {
      checkWeapon(name, block);
      continue;
    }
    // A weapon closed before its damage block: the block is no weapon.
    if (scope_ == Scope::CensusOnly) continue;
    std::string message = "'[DAMAGE]' stands outside any weapon";
    if (i > 0)
      message += ": the '}' at line " + std::to_string(doc.blocks[i - 1].end.line) + " closed " +
                 bracketed(doc.blocks[i - 1].name) + " before it";
    findings_.push_back(finding(check::kDamageOutsideWeapon, name, block.at.line, block.at.column, std::move(message)));
    checkBlock(name, block, false, true);
  }
}

void GameCheck::addUnreadable(const std::string& name, const std::string& reason) {
  ++files_;
  findings_.push_back(finding(check::kUnreadable, name, 0, 0, "cannot read the file: " + reason));
}

void GameCheck::addFindings(std::vector<Finding> findings) {
  findings_.insert(findings_.end(), std::make_move_iterator(findings.begin()), std::make_move_iterator(findings.end()));
}

void GameCheck::checkWeapon(const std::string& file, const TdfBlock& weapon) {
  WeaponRecord record;
  record.name = std::string(weapon.name);
  record.file = file;
  record.line = weapon.at.line;
  record.column = weapon.at.column;
  record.swallowed = weapon.swallowed;
  // A shield: its type, or without one the older isshield (any text but
  // "0" and "false" is yes to the loading scripts that read it).
  std::optional<bool> typedShield;
  bool legacyShield = false;
  for (const TdfPair& pair : weapon.pairs) {
    if (sameFolded(pair.key, "weapontype")) typedShield = pair.value == "Shield";
    if (sameFolded(pair.key, "isshield")) legacyShield = pair.value != "0" && pair.value != "false";
    if (!sameFolded(pair.key, "id")) continue;
    record.hasId = true;
    record.idText = std::string(pair.value);
    record.id = wholeNumber(pair.value);
    record.idLine = pair.at.line;
    record.idColumn = pair.at.column;
  }
  if (scope_ == Scope::CensusOnly) {
    // Enough of the keys to tell the engine.
    for (const TdfPair& pair : weapon.pairs) {
      folded_.assign(pair.key);
      for (char& c : folded_) c = foldLower(c);
      const std::uint64_t hash = keyHash(folded_);
      if (weaponKeyKind(folded_, hash) == KeyKind::Unknown &&
          weaponKeyKind(folded_, hash, Engine::Later) != KeyKind::Unknown) {
        record.usesLaterKey = true;
        break;
      }
    }
    weapons_.push_back(std::move(record));
    return;
  }
  const auto odd = std::find_if(weapon.name.begin(), weapon.name.end(),
                                [](char c) { return c == ' ' || static_cast<unsigned char>(c) >= 0x80; });
  if (odd != weapon.name.end())
    findings_.push_back(finding(check::kWeaponName, file, weapon.at.line, weapon.at.column,
                                "the weapon name " + bracketed(weapon.name) +
                                    (*odd == ' ' ? " holds a space" : " holds bytes outside ASCII") +
                                    ": a unit file cannot name it reliably"));
  checkDamage(file, weapon, typedShield.value_or(legacyShield));
  const TdfBlock* lastDamage = nullptr;
  for (const TdfBlock& inner : weapon.blocks)
    if (sameFolded(inner.name, "damage")) lastDamage = &inner;
  checkBlock(file, weapon, true, false, &record, lastDamage);
  weapons_.push_back(std::move(record));
}

void GameCheck::checkDamage(const std::string& file, const TdfBlock& weapon, bool shield) {
  const TdfBlock* first = nullptr;
  bool hasDefault = false;
  for (const TdfBlock& inner : weapon.blocks) {
    if (!sameFolded(inner.name, "damage")) continue;
    if (first)
      findings_.push_back(finding(check::kDuplicateDamage, file, inner.at.line, inner.at.column,
                                  bracketed(weapon.name) + " has a second [DAMAGE] block (the first at line " +
                                      std::to_string(first->at.line) + "): the game reads only one"));
    else
      first = &inner;
    for (const TdfPair& pair : inner.pairs) hasDefault = hasDefault || sameFolded(pair.key, "default");
  }
  std::optional<Finding> missing;
  if (!first)
    missing = finding(check::kMissingDamage, file, weapon.at.line, weapon.at.column,
                      bracketed(weapon.name) + " has no [DAMAGE] block: it does no damage");
  else if (!hasDefault)
    missing = finding(
        check::kMissingDamage, file, first->at.line, first->at.column,
        "the [DAMAGE] block of " + bracketed(weapon.name) + " has no 'default': units it does not name take no damage");
  if (!missing) return;
  // The later engine's shield does no damage of its own: it needs no block.
  if (reads(Engine::Original)) view(Engine::Original).findings.push_back(*missing);
  if (reads(Engine::Later) && !shield) view(Engine::Later).findings.push_back(*missing);
}

void GameCheck::checkBlock(const std::string& file, const TdfBlock& block, bool weaponLevel, bool damage,
                           WeaponRecord* record, const TdfBlock* lastDamage) {
  const auto& pairs = block.pairs;
  keysSeen_.start(pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const TdfPair& pair = pairs[i];
    auto report = [&](const CheckInfo& check, std::string message) {
      findings_.push_back(finding(check, file, pair.at.line, pair.at.column, std::move(message)));
    };
    folded_.assign(pair.key);
    for (char& c : folded_) c = foldLower(c);
    const std::uint64_t hash = keyHash(folded_);
    if (const TdfPair* earlier = keysSeen_.previous(pairs, i, hash))
      report(check::kDuplicateKey, quoted(pair.key) + " is set again (first at line " +
                                       std::to_string(earlier->at.line) + "): the later value " + quoted(pair.value) +
                                       " is the one that counts");
    if (weaponLevel) {
      if (folded_ == "id") continue;  // the ID is checked with the census
      if (const FileKey* names = fileKey(folded_)) {
        auto& files = record->files;
        const auto same =
            std::find_if(files.begin(), files.end(), [&](const FileRef& r) { return r.key == names->key; });
        if (same != files.end()) files.erase(same);
        files.push_back({names->key, std::string(pair.value), pair.at.line, pair.at.column});
      }
      const KeyKind kinds[2] = {weaponKeyKind(folded_, hash), weaponKeyKind(folded_, hash, Engine::Later)};
      if (kinds[0] == KeyKind::Unknown && kinds[1] != KeyKind::Unknown) record->usesLaterKey = true;
      for (const Engine e : {Engine::Original, Engine::Later}) {
        if (!reads(e)) continue;
        const bool later = e == Engine::Later;
        if (kinds[later] == KeyKind::Unknown)
          unknownKey(e, file, pair, kinds[!later] != KeyKind::Unknown, lastDamage);
        else if (auto problem = checkValue(pair.key, pair.value, false, e))
          view(e).findings.push_back(
              finding(*problem->check, file, pair.at.line, pair.at.column, std::move(problem->message)));
      }
      continue;
    }
    if (!damage) continue;
    for (const Engine e : {Engine::Original, Engine::Later})
      if (reads(e))
        if (auto problem = checkValue(pair.key, pair.value, true, e))
          view(e).findings.push_back(
              finding(*problem->check, file, pair.at.line, pair.at.column, std::move(problem->message)));
  }
  for (const TdfBlock& inner : block.blocks)
    checkBlock(file, inner, false, weaponLevel && sameFolded(inner.name, "damage"));
}

void GameCheck::unknownKey(Engine engine, const std::string& file, const TdfPair& pair, bool otherReads,
                           const TdfBlock* lastDamage) {
  EngineView& v = view(engine);
  auto report = [&](const CheckInfo& check, std::string message) {
    v.findings.push_back(finding(check, file, pair.at.line, pair.at.column, std::move(message)));
  };
  // A damage amount written after the [DAMAGE] block has closed.
  const bool afterDamage =
      lastDamage && std::pair(pair.at.line, pair.at.column) > std::pair(lastDamage->end.line, lastDamage->end.column);
  if (!otherReads && (folded_ == "default" || (afterDamage && isNumberText(pair.value)))) {
    report(check::kOutsideDamage,
           quoted(std::string(pair.key) + "=" + std::string(pair.value)) +
               (lastDamage ? " comes after the [DAMAGE] block closed at line " + std::to_string(lastDamage->end.line)
                           : std::string(" stands outside a [DAMAGE] block")) +
               ": the game does not read it as damage");
    return;
  }
  if (!otherReads) {
    // A likely misspelling of the engine's own keys is reported where it is.
    const std::string_view nearest = nearestWeaponKey(folded_, engine);
    if (!nearest.empty()) {
      report(check::kUnknownKey,
             "the game does not know the key " + quoted(pair.key) + "; did you mean " + quoted(nearest) + "?");
      return;
    }
  }
  // Others once per key: a mod uses them on purpose, for another engine.
  auto [it, first] = v.unknownKeys.try_emplace(folded_);
  if (first) {
    it->second = {std::string(pair.key), file, pair.at.line, pair.at.column, 0, otherReads};
    v.unknownOrder.push_back(folded_);
  }
  ++it->second.count;
}

void GameCheck::checkIds() {
  for (const WeaponRecord& w : weapons_) {
    // A block without a name has its own finding; a swallowed one is no weapon.
    if (w.swallowed || w.name.empty()) continue;
    if (!w.hasId)
      findings_.push_back(finding(check::kMissingId, w.file, w.line, w.column, bracketed(w.name) + " has no ID"));
    else if (!w.id || *w.id < 0 || *w.id >= kIdCount)
      findings_.push_back(
          finding(check::kBadId, w.file, w.idLine, w.idColumn,
                  "the ID " + quoted(w.idText) + " of " + bracketed(w.name) + " is not a whole number from 0 to 255"));
  }
  const Census& census = census_;
  for (const IdConflict& conflict : census.conflicts) {
    const WeaponRecord& holder = weapons_[conflict.weapons.front()];
    for (std::size_t u : conflict.weapons) {
      const WeaponRecord& w = weapons_[u];
      if (sameFolded(w.name, holder.name)) continue;
      findings_.push_back(finding(check::kIdConflict, w.file, w.idLine, w.idColumn,
                                  "the ID " + std::to_string(conflict.id) + " of " + bracketed(w.name) +
                                      " is also the ID of " + bracketed(holder.name) + " at " + placeOf(holder)));
    }
  }
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

Engine GameCheck::decidedEngine() const {
  if (options_.engine != Engine::Auto) return options_.engine;
  const auto later =
      std::count_if(weapons_.begin(), weapons_.end(), [](const WeaponRecord& w) { return !w.hasId || w.usesLaterKey; });
  return 2 * static_cast<std::size_t>(later) > weapons_.size() ? Engine::Later : Engine::Original;
}

std::size_t GameCheck::weaponCount() const {
  return static_cast<std::size_t>(
      std::count_if(weapons_.begin(), weapons_.end(), [](const WeaponRecord& w) { return !w.swallowed; }));
}

void GameCheck::finish() {
  census_ = takeCensus(weapons_);
  engine_ = decidedEngine();
  if (scope_ == Scope::CensusOnly) return;

  // A weapon defined twice: the later definition is the one that counts.
  std::unordered_map<std::string, std::size_t> lastByName;
  for (std::size_t i = 0; i < weapons_.size(); ++i) {
    const WeaponRecord& w = weapons_[i];
    if (w.swallowed) continue;
    const auto [it, first] = lastByName.try_emplace(toLower(w.name), i);
    if (first) continue;
    const WeaponRecord& earlier = weapons_[it->second];
    findings_.push_back(finding(check::kDuplicateWeapon, w.file, w.line, 1,
                                bracketed(w.name) +
                                    " is defined again: the game takes this definition and drops the one at " +
                                    placeOf(earlier)));
    it->second = i;
  }
  if (engine_ == Engine::Original) checkIds();

  EngineView& v = view(engine_);
  addFindings(std::move(v.findings));
  for (const std::string& key : v.unknownOrder) {
    const UnknownKey& k = v.unknownKeys[key];
    std::string message =
        "the " + std::string(engineName(engine_)) + " engine does not read the key " + quoted(k.written);
    if (k.otherReads)
      message += engine_ == Engine::Later ? " (only the original engine does)" : " (only the later engine does)";
    if (k.count > 1) message += "; it is used on " + std::to_string(k.count) + " lines, the first is here";
    findings_.push_back(finding(check::kUnknownKey, k.file, k.line, k.column, std::move(message)));
  }

  std::erase_if(findings_, [&](const Finding& f) { return !options_.selection.has(f.check); });
  sortFindings();
}

void GameCheck::sortFindings() {
  // By file name, line and column. Files are ranked once, so that the sort
  // compares numbers: a large game gives many findings.
  std::unordered_map<std::string_view, std::size_t> rank;
  for (const Finding& f : findings_) rank.emplace(f.file, 0);
  std::vector<std::string_view> names;
  for (const auto& [name, r] : rank) names.push_back(name);
  // Letter case folded, as the census orders files.
  std::sort(names.begin(), names.end(), [](std::string_view a, std::string_view b) {
    const int c = compareFolded(a, b);
    return c != 0 ? c < 0 : a < b;
  });
  for (std::size_t i = 0; i < names.size(); ++i) rank[names[i]] = i;

  struct Key {
    std::size_t file;
    int line, column;
    std::size_t at;
    bool operator<(const Key& o) const {
      return std::tie(file, line, column, at) < std::tie(o.file, o.line, o.column, o.at);
    }
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
  return std::to_string(weaponCount()) + " weapons, " + std::to_string(census_.used()) + " IDs used, " +
         std::to_string(census_.free.size()) + " IDs free, " + std::to_string(census_.conflicts.size()) +
         " IDs in conflict";
}

std::string GameCheck::findingsSummary() const {
  return std::to_string(count(Severity::Error)) + " errors, " + std::to_string(count(Severity::Warning)) +
         " warnings in " + std::to_string(files_) + " files";
}

}  // namespace qm
