#include "presentation/unit_window_state.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_map>

#include "catalogue/scan.h"
#include "catalogue/weapon_table.h"
#include "checks/check_set.h"
#include "presentation/main_window_state.h"
#include "text/numbers.h"
#include "text/text.h"
#include "unit/unit_edit.h"
#include "unit/unit_fields.h"

namespace qm {

namespace {

constexpr std::string_view kUnknownKey = "A key Quillmark does not know; it is kept and written as it is.";
constexpr std::string_view kLaterOnlyKey = "A key only the later engine reads; it is kept and written as it is.";
constexpr std::string_view kBlockKey = "A key of a block inside [UNITINFO]; it is kept and written as it is.";

bool containsFolded(std::string_view text, std::string_view lowerNeedle) {
  if (lowerNeedle.size() > text.size()) return false;
  for (std::size_t at = 0; at + lowerNeedle.size() <= text.size(); ++at)
    if (matchesFoldedAt(text, at, lowerNeedle)) return true;
  return false;
}

// A figure for the eye: four significant digits, never the exponent form.
std::string figure(double x) {
  const int magnitude = x == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(x))));
  const double scale = std::pow(10.0, std::clamp(3 - magnitude, 0, 12));
  return numberToText(std::round(x * scale) / scale);
}

std::optional<double> positive(std::string_view text) {
  const auto x = valueNumber(text);
  return x && *x > 0 ? x : std::nullopt;
}

std::string withCrLf(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

}  // namespace

void UnitWindowState::load(const GameFiles& set, const std::vector<WeaponFilePtr>& imports, const EditedFiles& edited) {
  const std::string pickedFile = picked() ? picked()->file->name() : std::string();
  engine_ = decideEngine(Engine::Auto, set, imports);
  GameUnits read(set, engine_);
  leftOut_ = read.leftOut();
  units_ = read.takeUnits();
  texts_.assign(units_.size(), {});
  readFrom_.assign(units_.size(), nullptr);
  saved_.assign(units_.size(), nullptr);
  for (std::size_t i = 0; i < units_.size(); ++i) {
    readFrom_[i] = units_[i].file;
    takeTexts(i);
  }
  weaponFiles_ = gameWeaponFiles(set);
  weaponFiles_.insert(weaponFiles_.end(), imports.begin(), imports.end());
  weaponsRead_.clear();  // read the weapons whatever the edits hold
  picked_.reset();
  for (std::size_t i = 0; i < units_.size() && !pickedFile.empty(); ++i)
    if (units_[i].file->name() == pickedFile) picked_ = i;
  takeEdits(edited);
}

void UnitWindowState::takeEdits(const EditedFiles& edited) {
  for (std::size_t i = 0; i < units_.size(); ++i)
    if (const WeaponFilePtr& now = edited.over(units_[i].file); now != readFrom_[i]) readAgain(i, now, edited);
  // The weapons are read again when a file of theirs stands otherwise: an
  // edit made, undone or saved.
  if (std::vector<WeaponFilePtr> now = edited.over(weaponFiles_); weaponsRead_.empty() || now != weaponsRead_)
    takeWeapons(std::move(now));
  reshow();
}

void UnitWindowState::takeWeapons(std::vector<WeaponFilePtr> files) {
  const ScanOutcome scan = scanFiles(files);
  const WeaponTable table(scan.entries.entries(), files, nullptr, WeaponTable::Values::OnRequest);
  dps_ = WeaponDps(table);
  weaponFile_.clear();
  for (std::size_t row = 0; row < table.size(); ++row)
    if (table.found(row)) weaponFile_.try_emplace(toLower(table.name(row)), table.fileName(row));
  weaponsRead_ = std::move(files);
}

void UnitWindowState::readAgain(std::size_t i, const WeaponFilePtr& from, const EditedFiles& edited) {
  Unit& unit = units_[i];
  std::string bytes, reason;
  // A file that cannot be read now keeps what it held.
  if (from->read(bytes, reason)) {
    unit.read = UnitFile(std::move(bytes));
    unit.name = unitName(unit.read, unit.file->name(), engine_);
  }
  readFrom_[i] = from;
  const auto saved = edited.saved(unit.file->name());
  saved_[i] = saved ? std::make_shared<const UnitFile>(*saved) : nullptr;
  takeTexts(i);
}

void UnitWindowState::takeTexts(std::size_t i) {
  const Unit& unit = units_[i];
  texts_[i] = {unit.read.value("side"), unit.read.value("name"), unit.read.value("description")};
}

void UnitWindowState::setFilter(std::string_view text) {
  filter_ = std::string(trimBlanks(text));
  reshow();
}

void UnitWindowState::sortBy(UnitListColumn column, bool descending) {
  sortColumn_ = column;
  descending_ = descending;
  reshow();
}

std::string_view UnitWindowState::cell(std::size_t row, UnitListColumn column) const {
  return unitText(shown_[row], column);
}

std::string_view UnitWindowState::unitText(std::size_t unit, UnitListColumn column) const {
  switch (column) {
    case UnitListColumn::Unit:
      return units_[unit].name;
    case UnitListColumn::Side:
      return texts_[unit].side;
    case UnitListColumn::Name:
      return texts_[unit].name;
    case UnitListColumn::Description:
      return texts_[unit].description;
  }
  return {};
}

void UnitWindowState::reshow() {
  shown_.clear();
  const std::string needle = toLower(filter_);
  for (std::size_t i = 0; i < units_.size(); ++i) {
    const ListTexts& t = texts_[i];
    if (needle.empty() || containsFolded(units_[i].name, needle) || containsFolded(t.side, needle) ||
        containsFolded(t.name, needle) || containsFolded(t.description, needle))
      shown_.push_back(i);
  }
  const auto key = [this](std::size_t i) { return unitText(i, sortColumn_); };
  // Of one side (or Name, or description) by the unit's name.
  std::stable_sort(shown_.begin(), shown_.end(), [&](std::size_t a, std::size_t b) {
    int order = compareFolded(key(a), key(b));
    if (order == 0) order = compareFolded(units_[a].name, units_[b].name);
    return descending_ ? order > 0 : order < 0;
  });
  if (!shown_.empty() && !pickedRow()) {
    picked_ = shown_.front();
    keyAt_.clear();
  }
}

std::string_view UnitWindowState::caption(UnitListColumn column) {
  static constexpr std::string_view kCaptions[kUnitListColumns] = {"Unit", "Side", "Name", "Description"};
  return kCaptions[static_cast<std::size_t>(column)];
}

std::string UnitWindowState::countText() const {
  const std::string all = std::to_string(units_.size()) + " units";
  return shown_.size() == units_.size() ? all : std::to_string(shown_.size()) + " of " + all;
}

std::string UnitWindowState::windowTitle() const { return "Units - " + std::to_string(units_.size()) + " units"; }

std::string UnitWindowState::pickedTitle(const std::filesystem::path& gameDir) const {
  const Unit* unit = picked();
  if (!unit) return "Pick a unit in the list";
  return cp1252ToUtf8(unit->name) + " - " + gameRelativeName(gameDir, unit->file->name());
}

std::string UnitWindowState::helpText(const UnitValueRow& row) {
  return cp1252ToUtf8(row.caption) + " (" + cp1252ToUtf8(row.key) + "): " + std::string(row.description);
}

std::string UnitWindowState::changeName(const std::vector<edit::Change>& changes) {
  if (changes.empty()) return {};
  return "Set " + cp1252ToUtf8(changes.front().key) + " of " + cp1252ToUtf8(changes.front().weapon);
}

std::optional<std::size_t> UnitWindowState::pickedRow() const {
  if (!picked_) return std::nullopt;
  const auto at = std::find(shown_.begin(), shown_.end(), *picked_);
  if (at == shown_.end()) return std::nullopt;
  return static_cast<std::size_t>(at - shown_.begin());
}

void UnitWindowState::pickRow(std::size_t row) {
  if (row >= shown_.size()) return;
  picked_ = shown_[row];
  keyAt_.clear();
}

bool UnitWindowState::pickUnit(std::string_view name) {
  // Of two files that give one name, the later counts, as GameUnits::find says.
  std::optional<std::size_t> found;
  for (std::size_t i = 0; i < units_.size(); ++i)
    if (compareFolded(units_[i].name, name) == 0) found = i;
  if (!found) return false;
  picked_ = found;
  keyAt_.clear();
  if (!pickedRow()) setFilter({});
  return true;
}

bool UnitWindowState::pickAt(const std::string& file, int line) {
  for (std::size_t i = 0; i < units_.size(); ++i) {
    if (units_[i].file->name() != file) continue;
    picked_ = i;
    // The key of the line, or of the value running over it.
    keyAt_.clear();
    int best = 0;
    for (const UnitEntry* e : units_[i].read.values())
      if (e->line <= line && e->line >= best) {
        best = e->line;
        keyAt_ = std::string(e->key);
      }
    if (!pickedRow()) setFilter({});
    return true;
  }
  return false;
}

std::vector<UnitValueGroup> UnitWindowState::groups() const {
  const Unit* unit = picked();
  if (!unit) return {};
  const std::span<const std::string_view> names = unitGroups();
  const std::span<const UnitKey> keys = unitKeys();
  const UnitKey* lastSlot = unitKey("Weapon3");
  struct Ranked {
    std::size_t group, rank;
    UnitValueRow row;
  };
  std::vector<Ranked> ranked;
  const UnitFile* saved = saved_[*picked_].get();
  std::size_t order = 0;
  for (const UnitEntry* e : unit->read.values()) {
    UnitValueRow row{std::string(e->key), {}, {}, std::string(e->value), e->line, false};
    if (saved) {
      const UnitEntry* before = saved->find(e->key);
      row.edited = !before || before->value != e->value;
    }
    const UnitKey* known = e->block == 0 ? unitKey(e->key) : nullptr;
    std::size_t rank = 0;
    if (known) {
      rank = static_cast<std::size_t>(known - keys.data()) * 64;
    } else if (const auto slot = e->block == 0 ? weaponSlotNumber(e->key) : std::nullopt) {
      // Weapon4 to Weapon32 follow Weapon3.
      known = lastSlot;
      rank = static_cast<std::size_t>(lastSlot - keys.data()) * 64 + static_cast<std::size_t>(*slot);
    }
    if (known) {
      if (known != lastSlot || unitKey(e->key)) row.caption = known->caption;
      row.description = known->description;
      const std::size_t group =
          static_cast<std::size_t>(std::find(names.begin(), names.end(), known->group) - names.begin());
      ranked.push_back({group, rank, std::move(row)});
      continue;
    }
    row.description = e->block != 0 ? kBlockKey : laterKey(toLower(e->key), true) ? kLaterOnlyKey : kUnknownKey;
    ranked.push_back({names.size(), order++, std::move(row)});
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
    return a.group != b.group ? a.group < b.group : a.rank < b.rank;
  });
  std::vector<UnitValueGroup> out;
  for (Ranked& r : ranked) {
    const std::string_view name = r.group < names.size() ? names[r.group] : kOtherKeysGroup;
    if (out.empty() || out.back().name != name) out.push_back({name, {}});
    if (r.row.caption.empty()) r.row.caption = r.row.key;
    out.back().rows.push_back(std::move(r.row));
  }
  return out;
}

std::vector<UnitWeaponLink> UnitWindowState::weapons() const {
  std::vector<UnitWeaponLink> out;
  const Unit* unit = picked();
  if (!unit) return out;
  for (const WeaponSlot& slot : weaponSlots(unit->read, engine_)) {
    UnitWeaponLink link{slot.key, std::string(slot.weapon), {}, dps_.has(slot.weapon), {}};
    if (const auto file = weaponFile_.find(toLower(slot.weapon)); file != weaponFile_.end()) link.file = file->second;
    if (!link.found)
      link.dps = "no weapon file holds it";
    else if (!slot.fires)
      link.dps = "not counted";
    else if (const auto dps = dps_.of(slot.weapon))
      link.dps = figure(*dps);
    else
      link.dps = "none";
    out.push_back(std::move(link));
  }
  return out;
}

const Unit* UnitWindowState::commanderOf(const Unit& unit) const {
  const std::string_view side = unit.read.value("side");
  for (const Unit& u : units_)
    if (compareFolded(u.read.value("side"), side) == 0 && positive(u.read.value("workertime")) &&
        (valueNumber(u.read.value("commander")) == 1.0 || compareFolded(u.read.value("tedclass"), "COMMANDER") == 0))
      return &u;
  return nullptr;
}

std::vector<std::string> UnitWindowState::builders() const {
  std::vector<std::string> out;
  for (const Unit& u : units_)
    if (positive(u.read.value("workertime"))) out.push_back(u.name);
  std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) { return compareFolded(a, b) < 0; });
  return out;
}

std::vector<UnitFigure> UnitWindowState::figures() const {
  const Unit* unit = picked();
  if (!unit) return {};
  const auto computed = [&](UnitColumn::Kind kind, std::string_view none) {
    const auto x = valueNumber(unitCell(*unit, {kind, {}}, engine_, dps_));
    return x ? figure(*x) : std::string(none);
  };
  std::vector<UnitFigure> out;
  out.push_back({"Damage per second", computed(UnitColumn::Kind::Dps, "none: no weapon slot has one")});
  out.push_back({"Hit points per metal", computed(UnitColumn::Kind::HpPerMetal, "needs MaxDamage and BuildCostMetal")});
  out.push_back({"Damage per second per metal",
                 computed(UnitColumn::Kind::DpsPerMetal, "needs damage per second and BuildCostMetal")});

  const Unit* builder = nullptr;
  if (builder_.empty()) {
    builder = commanderOf(*unit);
  } else {
    for (const Unit& u : units_)
      if (compareFolded(u.name, builder_) == 0) builder = &u;
  }
  std::string seconds;
  const auto buildTime = positive(unit->read.value("buildtime"));
  const auto work = builder ? positive(builder->read.value("workertime")) : std::nullopt;
  if (!buildTime)
    seconds = "needs BuildTime";
  else if (!builder)
    seconds = builder_.empty() ? "its side has no commander: choose a builder" : "no unit " + builder_;
  else if (!work)
    seconds = builder->name + " has no WorkerTime";
  else
    seconds = figure(*buildTime / *work) + " with " + builder->name;
  out.push_back({"Seconds to build", std::move(seconds)});
  return out;
}

std::string UnitWindowState::editText(const UnitValueRow& row) const {
  std::string out;
  for (std::size_t i = 0; i < row.value.size(); ++i)
    if (!(row.value[i] == '\r' && i + 1 < row.value.size() && row.value[i + 1] == '\n')) out += row.value[i];
  return out;
}

std::vector<edit::Change> UnitWindowState::valueChange(const std::string& key, const std::string& typed) const {
  const Unit* unit = picked();
  if (!unit) return {};
  const UnitEntry* e = unit->read.find(key);
  if (!e) return {};
  const std::string value = e->value.find("\r\n") != std::string_view::npos ? withCrLf(typed) : typed;
  if (trimValue(value) == e->value) return {};
  return {{edit::Change::Kind::Set, unit->name, key, value, unitRules(unit->file, unit->name)}};
}

}  // namespace qm
