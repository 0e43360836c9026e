#include "presentation/weapon_columns.h"

#include "presentation/values.h"
#include "text/numbers.h"
#include "text/text.h"

namespace qm {

namespace {

constexpr std::string_view kDamagePrefix = "damage.";

std::string JoinDamage(const std::vector<std::string>& damage) {
  std::string out;
  for (const std::string& entry : damage) {
    if (!out.empty()) out += ' ';
    out += entry;
  }
  return out;
}

// A number greater than zero, read as a whole.
std::optional<double> Positive(std::string_view text) {
  const auto x = TextToDouble(text);
  return x && *x > 0 ? x : std::nullopt;
}

}  // namespace

bool Column::numeric() const {
  switch (kind) {
    case Kind::Entry:
      return false;
    case Kind::Field: {
      const qm::Kind k = FieldByNumber(field).kind;
      return k == qm::Kind::Number || k == qm::Kind::Flag;
    }
    case Kind::Dps:
    case Kind::DamageUnit:
      return true;
  }
  return false;
}

bool Column::needsDamage() const {
  return kind == Kind::Dps || kind == Kind::DamageUnit || (kind == Kind::Field && field == kDamageField);
}

std::string ColumnCaption(const Column& column, bool viewing) {
  if (!viewing) return column.name;
  switch (column.kind) {
    case Column::Kind::Entry:
      return "Weapon";
    case Column::Kind::Dps:
      return "Damage per second";
    case Column::Kind::DamageUnit:
      return "Damage to " + column.name.substr(kDamagePrefix.size());
    case Column::Kind::Field:
      break;
  }
  const FieldRow& f = FieldByNumber(column.field);
  if (f.slot == kNoSlot) return "Damage";
  std::string caption(CaptionTexts(true)[SlotIndex(f.slot)]);
  if (!caption.empty() && caption.back() == ':') caption.pop_back();
  return caption;
}

void AppendCsvField(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out.append(text);
    return;
  }
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

Column FieldColumn(int field) { return {Column::Kind::Field, field, std::string(FieldByNumber(field).key)}; }

std::vector<Column> DefaultColumns() {
  std::vector<Column> out{{Column::Kind::Entry, 0, "entry"}};
  for (const FieldRow& f : kFields) out.push_back(FieldColumn(f.no));
  return out;
}

std::optional<Column> ColumnNamed(std::string_view name) {
  const std::string lower = ToLower(name);
  if (lower == "entry") return Column{Column::Kind::Entry, 0, "entry"};
  if (lower == "dps") return Column{Column::Kind::Dps, 0, "dps"};
  if (lower.size() > kDamagePrefix.size() && lower.compare(0, kDamagePrefix.size(), kDamagePrefix) == 0)
    return Column{Column::Kind::DamageUnit, 0, "damage." + std::string(name.substr(kDamagePrefix.size()))};
  for (const FieldRow& f : kFields)
    if (lower == ToLower(f.key)) return FieldColumn(f.no);
  return std::nullopt;
}

std::string_view DamageUnitOf(std::string_view entry) { return entry.substr(0, entry.find('=')); }

std::string_view DamageAmountOf(std::string_view entry) {
  const std::size_t eq = entry.find('=');
  return eq == std::string_view::npos ? std::string_view() : entry.substr(eq + 1);
}

std::optional<std::string_view> DamageAmount(const std::vector<std::string>& damage, std::string_view unit) {
  std::optional<std::string_view> out;
  for (const std::string& entry : damage)
    if (CompareFolded(DamageUnitOf(entry), unit) == 0) out = DamageAmountOf(entry);
  return out;
}

std::string DamagePerSecond(const SlotValues& values, const std::vector<std::string>& damage) {
  const auto reload = Positive(values[SlotIndex(Slot::ReloadTime)]);
  const auto amount = DamageAmount(damage, "default");
  const auto perShot = amount ? Positive(*amount) : std::nullopt;
  if (!reload || !perShot) return {};
  const double burst = Positive(values[SlotIndex(Slot::Burst)]).value_or(1.0);
  return NumberToText(*perShot * burst / *reload);
}

std::string CellText(const WeaponTable& table, std::size_t row, const Column& column, bool viewing,
                     const std::vector<std::string>& damage) {
  if (column.kind == Column::Kind::Entry) return std::string(table.entry(row));
  if (!table.found(row)) return {};
  switch (column.kind) {
    case Column::Kind::Entry:
      break;
    case Column::Kind::Dps:
      return DamagePerSecond(table.values(row), damage);
    case Column::Kind::DamageUnit:
      return std::string(DamageAmount(damage, column.name.substr(kDamagePrefix.size())).value_or(""));
    case Column::Kind::Field: {
      const FieldRow& f = FieldByNumber(column.field);
      if (f.slot == kNoSlot) return JoinDamage(damage);
      return viewing ? ViewingText(f.slot, table.values(row)) : std::string(table.value(row, f.slot));
    }
  }
  return {};
}

std::optional<double> CellNumber(const WeaponTable& table, std::size_t row, const Column& column,
                                 const std::vector<std::string>& damage) {
  if (column.kind == Column::Kind::Field && FieldByNumber(column.field).slot != kNoSlot)
    return table.found(row) ? TextToDouble(table.value(row, FieldByNumber(column.field).slot)) : std::nullopt;
  return TextToDouble(CellText(table, row, column, false, damage));
}

std::vector<FieldPair> CompareWeapons(const CurrentWeapon& a, const CurrentWeapon& b, bool viewing) {
  const auto textsA = ValueTexts(viewing, a), textsB = ValueTexts(viewing, b);
  std::vector<FieldPair> out;
  for (const FieldRow& f : kFields) {
    if (f.slot == kNoSlot) continue;
    const int s = SlotIndex(f.slot);
    // Whether they differ is decided on the stored texts, whatever the mode.
    out.push_back({std::string(f.key), textsA[s], textsB[s], a.v[s] != b.v[s]});
  }
  // The damage entries by unit: those of the first weapon, then those only
  // the second has.
  std::vector<std::string_view> units;
  for (const auto* list : {&a.damage, &b.damage})
    for (const std::string& entry : *list) {
      const std::string_view unit = DamageUnitOf(entry);
      bool seen = false;
      for (std::string_view u : units) seen = seen || CompareFolded(u, unit) == 0;
      if (!seen) units.push_back(unit);
    }
  for (std::string_view unit : units) {
    const auto x = DamageAmount(a.damage, unit), y = DamageAmount(b.damage, unit);
    out.push_back({std::string(kDamagePrefix) + std::string(unit), std::string(x.value_or("")),
                   std::string(y.value_or("")), x.value_or("") != y.value_or("")});
  }
  return out;
}

std::vector<Difference> Differences(const CurrentWeapon& a, const CurrentWeapon& b) {
  std::vector<Difference> out;
  for (FieldPair& p : CompareWeapons(a, b, false))
    if (p.differs) out.push_back({std::move(p.key), std::move(p.a), std::move(p.b)});
  return out;
}

}  // namespace qm
