#include "presentation/unit_columns.h"

#include "catalogue/scan.h"
#include "checks/check_set.h"
#include "text/numbers.h"
#include "text/text.h"

namespace qm {

namespace {

std::optional<double> positive(std::string_view text) {
  const auto x = valueNumber(text);
  return x && *x > 0 ? x : std::nullopt;
}

bool isKeyName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (c == ',' || c == '=' || c == ';' || c == '[' || c == ']' || c == '{' || c == '}' ||
        static_cast<unsigned char>(c) <= ' ')
      return false;
  return true;
}

}  // namespace

bool UnitColumn::numeric() const {
  if (kind == Kind::Unit) return false;
  if (kind != Kind::Key) return true;
  const UnitKey* known = unitKey(name);
  return known && isNumberKind(known->kind);
}

std::vector<UnitColumn> defaultUnitColumns() {
  std::vector<UnitColumn> out{{UnitColumn::Kind::Unit, "unit"}};
  for (const UnitKey& k : unitKeys()) out.push_back({UnitColumn::Kind::Key, std::string(k.key)});
  return out;
}

std::optional<UnitColumn> unitColumnNamed(std::string_view name) {
  const std::string lower = toLower(name);
  if (lower == "unit") return UnitColumn{UnitColumn::Kind::Unit, "unit"};
  if (lower == "dps") return UnitColumn{UnitColumn::Kind::Dps, "dps"};
  if (lower == "hp.per.metal") return UnitColumn{UnitColumn::Kind::HpPerMetal, "hp.per.metal"};
  if (lower == "dps.per.metal") return UnitColumn{UnitColumn::Kind::DpsPerMetal, "dps.per.metal"};
  if (const UnitKey* known = unitKey(name)) return UnitColumn{UnitColumn::Kind::Key, std::string(known->key)};
  if (!isKeyName(name)) return std::nullopt;
  return UnitColumn{UnitColumn::Kind::Key, std::string(name)};
}

WeaponDps::WeaponDps(const WeaponTable& table) {
  SlotValues values;
  std::vector<std::string_view> damage;
  for (std::size_t row = 0; row < table.size(); ++row) {
    const auto [at, added] = dps_.try_emplace(toLower(table.name(row)));
    if (!added || !table.found(row)) continue;
    table.read(row, values, damage);
    at->second = valueNumber(damagePerSecond(values, damage));
  }
}

WeaponDps WeaponDps::ofGame(const GameFiles& set, const std::vector<WeaponFilePtr>& imports,
                            std::vector<UnreadableFile>* unreadable) {
  std::vector<WeaponFilePtr> files = gameWeaponFiles(set);
  files.insert(files.end(), imports.begin(), imports.end());
  return ofFiles(files, unreadable);
}

WeaponDps WeaponDps::ofFiles(const std::vector<WeaponFilePtr>& files, std::vector<UnreadableFile>* unreadable) {
  const ScanOutcome scan = scanFiles(files);
  const WeaponTable table(scan.entries.entries(), files, nullptr, WeaponTable::Values::OnRequest);
  if (unreadable) *unreadable = table.unreadable();
  return WeaponDps(table);
}

bool WeaponDps::has(std::string_view weapon) const { return dps_.count(toLower(weapon)) > 0; }

std::optional<double> WeaponDps::of(std::string_view weapon) const {
  const auto it = dps_.find(toLower(weapon));
  return it == dps_.end() ? std::nullopt : it->second;
}

std::optional<double> unitDps(const UnitFile& unit, Engine engine, const WeaponDps& weapons) {
  std::optional<double> sum;
  for (const WeaponSlot& slot : weaponSlots(unit, engine))
    if (const auto dps = slot.fires ? weapons.of(slot.weapon) : std::nullopt) sum = sum.value_or(0) + *dps;
  return sum;
}

std::string unitCell(const Unit& unit, const UnitColumn& column, Engine engine, const WeaponDps& weapons) {
  const auto text = [](std::optional<double> x) { return x ? numberToText(*x) : std::string(); };
  const auto perMetal = [&](std::optional<double> x) -> std::optional<double> {
    const auto metal = positive(unit.read.value("buildcostmetal"));
    if (!x || *x <= 0 || !metal) return std::nullopt;
    return *x / *metal;
  };
  switch (column.kind) {
    case UnitColumn::Kind::Unit:
      return unit.name;
    case UnitColumn::Kind::Key:
      return std::string(unit.read.value(column.name));
    case UnitColumn::Kind::Dps:
      return text(unitDps(unit.read, engine, weapons));
    case UnitColumn::Kind::HpPerMetal:
      return text(perMetal(valueNumber(unit.read.value("maxdamage"))));
    case UnitColumn::Kind::DpsPerMetal:
      return text(perMetal(unitDps(unit.read, engine, weapons)));
  }
  return {};
}

std::vector<FieldPair> compareUnits(const UnitFile& a, const UnitFile& b) {
  std::vector<FieldPair> out;
  const auto add = [&](std::string key) {
    const UnitEntry *x = a.find(key), *y = b.find(key);
    const std::string_view va = x ? x->value : std::string_view(), vb = y ? y->value : std::string_view();
    out.push_back({std::move(key), std::string(va), std::string(vb), va != vb});
  };
  for (const UnitKey& k : unitKeys())
    if (a.find(k.key) || b.find(k.key)) add(std::string(k.key));
  for (const UnitFile* file : {&a, &b})
    for (const UnitEntry* e : file->values()) {
      if (e->block == 0 && unitKey(e->key)) continue;
      bool seen = false;
      for (const FieldPair& p : out) seen = seen || compareFolded(p.key, e->key) == 0;
      if (!seen) add(std::string(e->key));
    }
  return out;
}

std::vector<Difference> unitDifferences(const UnitFile& a, const UnitFile& b) {
  std::vector<Difference> out;
  for (FieldPair& p : compareUnits(a, b))
    if (p.differs) out.push_back({std::move(p.key), std::move(p.a), std::move(p.b)});
  return out;
}

}  // namespace qm
