#include "unit/unit_checks.h"

#include <algorithm>
#include <map>

#include "checks/known_keys.h"
#include "checks/registry.h"
#include "text/numbers.h"
#include "text/text.h"
#include "unit/unit_fields.h"

namespace qm {

namespace {

// Keys the original engine reads beyond the unit keys shown: two of the
// game's own units (ARMATLAS, ARMBRAWL) use them.
struct ExtraKey {
  std::string_view key;
  bool number;
};
constexpr ExtraKey kOriginalExtraKeys[] = {{"TransMaxUnits", true}, {"HoverAttack", true}};

const ExtraKey* originalExtraKey(std::string_view key) {
  for (const ExtraKey& k : kOriginalExtraKeys)
    if (compareFolded(k.key, key) == 0) return &k;
  return nullptr;
}

bool isNumberType(KeyType t) { return t == KeyType::Flag || t == KeyType::Whole || t == KeyType::Number; }

const LaterKey* laterUnitKey(std::string_view key) {
  std::string lower(key);
  for (char& c : lower) c = foldLower(c);
  return laterKey(lower, true);
}

// Whether the engine reads the value as a number: the later one also takes
// hexadecimal, inf and nan, and for a flag "true" and "false".
bool readsAsNumber(std::string_view value, Engine engine, bool flag) {
  if (engine != Engine::Later) return isNumberText(value);
  if (isLaterNumberText(value)) return true;
  const std::string word = toLower(value);
  return flag && (word == "true" || word == "false");
}

int columnOf(std::string_view bytes, std::size_t at) {
  const std::size_t lineStart = at == 0 ? std::string_view::npos : bytes.rfind('\n', at - 1);
  return static_cast<int>(at - (lineStart == std::string_view::npos ? 0 : lineStart + 1)) + 1;
}

int lineOf(std::string_view bytes, std::size_t at) {
  return 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

// Where a finding about the unit as a whole stands: its UnitName line, else
// its [UNITINFO] header.
std::pair<int, int> placeOf(const Unit& u) {
  const std::string& bytes = u.read.bytes();
  if (const UnitEntry* name = u.read.find("unitname"); name && name->block == 0)
    return {name->line, columnOf(bytes, name->keyAt)};
  const std::size_t at = u.read.blocks().front().at;
  return {lineOf(bytes, at), columnOf(bytes, at)};
}

std::string placeText(const Unit& u) { return u.file->name() + ":" + std::to_string(placeOf(u).first); }

}  // namespace

UnitKeyReading readUnitKey(std::string_view key, Engine engine) {
  const UnitKey* original = unitKey(key);  // Weapon1 to Weapon3 among them
  const ExtraKey* extra = original ? nullptr : originalExtraKey(key);
  const LaterKey* later = laterUnitKey(key);
  UnitKeyReading r;
  if (engine == Engine::Later) {
    r.reads = later != nullptr;
    r.otherReads = original || extra;
    r.number = later && isNumberType(later->type);
  } else {
    r.reads = original || extra;
    r.otherReads = later != nullptr;
    r.number = original ? isNumberKind(original->kind) : extra && extra->number;
  }
  return r;
}

std::optional<Finding> unitLineFinding(const UnitEntry& e, std::string_view bytes, const std::string& file,
                                       Engine engine, bool misspeltOnly) {
  if (e.block != 0) return std::nullopt;  // the keys of the blocks inside are not checked
  const UnitKeyReading r = readUnitKey(e.key, engine);
  const int column = columnOf(bytes, e.keyAt);
  if (r.reads) {
    if (!r.number || e.value.empty()) return std::nullopt;
    const LaterKey* later = engine == Engine::Later ? laterUnitKey(e.key) : nullptr;
    if (readsAsNumber(e.value, engine, later && later->type == KeyType::Flag)) return std::nullopt;
    return finding(check::kNotANumber, file, e.line, column,
                   "the value " + qm::quoted(e.value) + " of " + qm::quoted(e.key) + " is not a number");
  }
  std::string nearest;
  if (!r.otherReads) {
    std::string lower(e.key);
    for (char& c : lower) c = foldLower(c);
    NearestKey near(lower);
    if (engine == Engine::Later) {
      for (KeyPlace place : {KeyPlace::Unit, KeyPlace::UnitAlias, KeyPlace::UnitLua})
        for (const LaterKey& k : kLaterKeys)
          if (k.place == place && k.type != KeyType::Block && k.name.find('#') == std::string_view::npos)
            near.consider(k.name);
    } else {
      for (const UnitKey& k : unitKeys()) near.consider(k.key);
      for (const ExtraKey& k : kOriginalExtraKeys) near.consider(k.key);
    }
    nearest = near.best();
  }
  if (!nearest.empty())
    return finding(
        check::kUnknownKey, file, e.line, column,
        "the game does not know the key " + qm::quoted(e.key) + "; did you mean " + qm::quoted(nearest) + "?");
  if (misspeltOnly) return std::nullopt;
  return finding(
      check::kUnknownKey, file, e.line, column,
      "the " + std::string(engineName(engine)) + " engine does not read the unit key " + qm::quoted(e.key) +
          (r.otherReads ? engine == Engine::Later ? " (only the original engine does)" : " (only the later engine does)"
                        : ""));
}

void UnitChecks::checkUnit(const Unit& u) {
  const std::string& file = u.file->name();
  const std::string& bytes = u.read.bytes();
  for (const UnitEntry& e : u.read.lines()) {
    if (!e.counts || e.block != 0) continue;
    if (auto f = unitLineFinding(e, bytes, file, engine_, true)) {
      findings_.push_back(std::move(*f));
      continue;
    }
    const UnitKeyReading r = readUnitKey(e.key, engine_);
    if (r.reads) continue;
    // Others once per key: a mod keeps them on purpose, for another engine.
    auto [it, first] = unknown_.try_emplace(toLower(e.key));
    if (first) {
      it->second = {std::string(e.key), file, e.line, columnOf(bytes, e.keyAt), 0, r.otherReads};
      unknownOrder_.push_back(it->first);
    }
    ++it->second.count;
  }
  const std::string base = baseName(file);
  if (const UnitEntry* name = u.read.find("unitname");
      name && name->block == 0 && !name->value.empty() && compareFolded(name->value, base) != 0) {
    std::string message =
        "the UnitName " + qm::quoted(name->value) + " differs from the file's name " + qm::quoted(base);
    message += engine_ == Engine::Later ? ": the later engine ignores it and names the unit " + qm::quoted(base)
                                        : ": the game names the unit " + qm::quoted(name->value);
    findings_.push_back(
        finding(check::kUnitNameMismatch, file, name->line, columnOf(bytes, name->keyAt), std::move(message)));
  }
  if (const UnitEntry* model = u.read.find("objectname"); refs_ && refs_->hasModels() && model && model->block == 0 &&
                                                          !model->value.empty() && !refs_->hasModel(model->value))
    findings_.push_back(finding(check::kMissingModel, file, model->line, columnOf(bytes, model->keyAt),
                                "the unit " + qm::quoted(u.name) + " names the model " + qm::quoted(model->value) +
                                    ", which the game does not have"));
}

void UnitChecks::checkNames(const GameUnits& units) {
  // Units come sorted by name, those of one name in the file set's order:
  // the last of them is the one the game takes.
  const auto& all = units.units();
  std::vector<const Unit*> taken;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const bool last = i + 1 == all.size() || compareFolded(all[i].name, all[i + 1].name) != 0;
    if (last) {
      taken.push_back(&all[i]);
      continue;
    }
    // Each definition dropped is named at the one that drops it.
    const Unit& later = all[i + 1];
    const auto [line, column] = placeOf(later);
    findings_.push_back(finding(check::kDuplicateUnit, later.file->name(), line, column,
                                "the unit " + qm::quoted(later.name) +
                                    " is defined again: the game takes this file and drops the one at " +
                                    placeText(all[i])));
  }
  // Two units on one number: the original engine tells units apart by it.
  if (engine_ != Engine::Original) return;
  std::map<long, const Unit*> holders;
  for (const Unit* u : taken) {
    const UnitEntry* number = u->read.find("unitnumber");
    if (!number || number->block != 0) continue;
    const auto n = wholeNumber(number->value);
    if (!n) continue;
    const auto [it, first] = holders.emplace(*n, u);
    if (first) continue;
    const Unit& holder = *it->second;
    const UnitEntry* held = holder.read.find("unitnumber");
    findings_.push_back(finding(
        check::kUnitNumberConflict, u->file->name(), number->line, columnOf(u->read.bytes(), number->keyAt),
        "the unit number " + qm::quoted(number->value) + " of " + qm::quoted(u->name) + " is also the number of " +
            qm::quoted(holder.name) + " at " + holder.file->name() + ":" + std::to_string(held->line)));
  }
}

std::vector<Finding> UnitChecks::check(const GameUnits& units) {
  for (const Unit& u : units.units()) checkUnit(u);
  checkNames(units);
  for (const std::string& key : unknownOrder_) {
    const UnknownKey& k = unknown_[key];
    std::string message =
        "the " + std::string(engineName(engine_)) + " engine does not read the unit key " + qm::quoted(k.written);
    if (k.otherReads)
      message += engine_ == Engine::Later ? " (only the original engine does)" : " (only the later engine does)";
    if (k.count > 1) message += "; it is used on " + std::to_string(k.count) + " lines, the first is here";
    findings_.push_back(finding(check::kUnknownKey, k.file, k.line, k.column, std::move(message)));
  }
  unknown_.clear();
  unknownOrder_.clear();
  return std::move(findings_);
}

bool runGameAndUnitChecks(GameCheck& check, const GameFiles& set, const std::vector<WeaponFilePtr>& files,
                          References& refs, const std::function<bool(std::size_t, std::size_t)>& progress) {
  return runGameCheck(check, files, progress, [&] {
    const Engine engine = check.decidedEngine();
    refs.setEngine(engine);
    check.addFindings(refs.findings(check.weapons()));
    const GameUnits units(set, engine);
    check.addFindings(UnitChecks(engine, &refs).check(units));
  });
}

}  // namespace qm
