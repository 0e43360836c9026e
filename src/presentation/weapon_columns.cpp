#include "presentation/weapon_columns.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <unordered_map>

#include "presentation/values.h"
#include "text/numbers.h"
#include "text/text.h"
#include "weapon/recogniser.h"

namespace qm {

namespace {

constexpr std::string_view kDamagePrefix = "damage.";

std::string joinDamage(const std::vector<std::string_view>& damage) {
  std::string out;
  for (std::string_view entry : damage) {
    if (!out.empty()) out += ' ';
    out += entry;
  }
  return out;
}

// A number greater than zero.
std::optional<double> positive(std::string_view text) {
  const auto x = valueNumber(text);
  return x && *x > 0 ? x : std::nullopt;
}

}  // namespace

bool Column::numeric() const {
  switch (kind) {
    case Kind::Entry:
      return false;
    case Kind::Field: {
      const qm::Kind k = fieldByNumber(field).kind;
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

std::string columnCaption(const Column& column, bool viewing) {
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
  const FieldRow& f = fieldByNumber(column.field);
  if (f.slot == kNoSlot) return "Damage";
  std::string caption(captionTexts(true)[slotIndex(f.slot)]);
  if (!caption.empty() && caption.back() == ':') caption.pop_back();
  return caption;
}

namespace {

// A cell in quotes, its quotes doubled, when it holds any of `special`.
void appendQuotedIfAny(std::string& out, std::string_view text, std::string_view special) {
  if (text.find_first_of(special) == std::string_view::npos) {
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

}  // namespace

void appendCsvField(std::string& out, std::string_view text) { appendQuotedIfAny(out, text, ",\"\r\n"); }

void appendClipboardCell(std::string& out, std::string_view text) { appendQuotedIfAny(out, text, "\t\"\r\n"); }

Column fieldColumn(int field) { return {Column::Kind::Field, field, std::string(fieldByNumber(field).key)}; }

std::vector<Column> defaultColumns() {
  std::vector<Column> out{{Column::Kind::Entry, 0, "entry"}};
  for (const FieldRow& f : kFields) out.push_back(fieldColumn(f.no));
  return out;
}

std::optional<Column> columnNamed(std::string_view name) {
  const std::string lower = toLower(name);
  if (lower == "entry") return Column{Column::Kind::Entry, 0, "entry"};
  if (lower == "dps") return Column{Column::Kind::Dps, 0, "dps"};
  if (lower.size() > kDamagePrefix.size() && lower.compare(0, kDamagePrefix.size(), kDamagePrefix) == 0)
    return Column{Column::Kind::DamageUnit, 0, "damage." + std::string(name.substr(kDamagePrefix.size()))};
  for (const FieldRow& f : kFields)
    if (lower == toLower(f.key)) return fieldColumn(f.no);
  return std::nullopt;
}

namespace {

template <class Entries>
std::optional<std::string_view> lastAmount(const Entries& damage, std::string_view unit) {
  std::optional<std::string_view> out;
  for (std::string_view entry : damage)
    if (compareFolded(damageUnitOf(entry), unit) == 0) out = damageAmountOf(entry);
  return out;
}

}  // namespace

std::optional<std::string_view> damageAmount(const std::vector<std::string_view>& damage, std::string_view unit) {
  return lastAmount(damage, unit);
}

std::optional<std::string_view> damageAmount(const std::vector<std::string>& damage, std::string_view unit) {
  return lastAmount(damage, unit);
}

std::string damagePerSecond(const SlotValues& values, const std::vector<std::string_view>& damage) {
  const auto reload = positive(values[slotIndex(Slot::ReloadTime)]);
  const auto amount = damageAmount(damage, "default");
  const auto perShot = amount ? positive(*amount) : std::nullopt;
  if (!reload || !perShot) return {};
  const double burst = positive(values[slotIndex(Slot::Burst)]).value_or(1.0);
  return numberToText(*perShot * burst / *reload);
}

void TableRow::read(const WeaponTable& table, std::size_t row, bool withDamage) {
  entry = table.entry(row);
  found = table.found(row);
  if (withDamage)
    table.read(row, values, damage);
  else
    values = table.values(row), damage.clear();
}

std::string cellText(const TableRow& row, const Column& column, bool viewing) {
  if (column.kind == Column::Kind::Entry) return std::string(row.entry);
  if (!row.found) return {};
  switch (column.kind) {
    case Column::Kind::Entry:
      break;
    case Column::Kind::Dps:
      return damagePerSecond(row.values, row.damage);
    case Column::Kind::DamageUnit:
      return std::string(damageAmount(row.damage, column.name.substr(kDamagePrefix.size())).value_or(""));
    case Column::Kind::Field: {
      const FieldRow& f = fieldByNumber(column.field);
      if (f.slot == kNoSlot) return joinDamage(row.damage);
      return viewing ? viewingText(f.slot, row.values) : std::string(row.values[slotIndex(f.slot)]);
    }
  }
  return {};
}

std::string cellText(const WeaponTable& table, std::size_t row, const Column& column, bool viewing,
                     const std::vector<std::string>& damage) {
  // A stored value needs no more than itself.
  if (column.kind == Column::Kind::Field && !viewing && fieldByNumber(column.field).slot != kNoSlot)
    return std::string(table.value(row, fieldByNumber(column.field).slot));
  TableRow read;
  read.entry = table.entry(row);
  read.found = table.found(row);
  if (read.found && !(column.kind == Column::Kind::Entry)) read.values = table.values(row);
  read.damage.assign(damage.begin(), damage.end());
  return cellText(read, column, viewing);
}

std::optional<double> cellNumber(const WeaponTable& table, std::size_t row, const Column& column,
                                 const std::vector<std::string>& damage) {
  if (column.kind == Column::Kind::Field && fieldByNumber(column.field).slot != kNoSlot)
    return table.found(row) ? valueNumber(table.value(row, fieldByNumber(column.field).slot)) : std::nullopt;
  return valueNumber(cellText(table, row, column, false, damage));
}

namespace {

// The damage list a cell of the column needs: none for most columns.
std::vector<std::string> damageFor(const WeaponTable& table, std::size_t row, const Column& column) {
  return column.needsDamage() ? table.damage(row) : std::vector<std::string>();
}

// Each row's number in a number column, NaN where its cell holds none (no
// text reads as NaN). A stored value's distinct texts are read once each: a
// column holds few of them.
std::vector<double> rowNumbers(const WeaponTable& table, const Column& column) {
  constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> numbers(table.size(), kNone);
  const Slot slot = column.kind == Column::Kind::Field ? fieldByNumber(column.field).slot : kNoSlot;
  if (slot == kNoSlot) {
    for (std::size_t row = 0; row < table.size(); ++row)
      numbers[row] = cellNumber(table, row, column, damageFor(table, row, column)).value_or(kNone);
    return numbers;
  }
  std::unordered_map<std::string_view, double> read;
  for (std::size_t row = 0; row < table.size(); ++row) {
    if (!table.found(row)) continue;
    const auto [at, added] = read.try_emplace(table.value(row, slot), kNone);
    if (added) at->second = valueNumber(at->first).value_or(kNone);
    numbers[row] = at->second;
  }
  return numbers;
}

}  // namespace

std::vector<std::size_t> sortedRows(const WeaponTable& table, const Column& column, bool viewing, bool descending) {
  std::vector<std::size_t> rows(table.size());
  std::iota(rows.begin(), rows.end(), std::size_t{0});
  if (!column.numeric()) {
    // Each cell's text made once, not once per comparison; equal texts in list order.
    std::vector<std::string> texts(rows.size());
    for (std::size_t row : rows) texts[row] = cellText(table, row, column, viewing, damageFor(table, row, column));
    std::sort(rows.begin(), rows.end(), [&](std::size_t a, std::size_t b) {
      const int order = compareFolded(texts[a], texts[b]);
      return order != 0 ? order < 0 : a < b;
    });
    if (descending) std::reverse(rows.begin(), rows.end());
    return rows;
  }
  // The rows with a number first, by number, equal ones in list order; the
  // others after them in list order, or before them when descending.
  const std::vector<double> numbers = rowNumbers(table, column);
  const auto others =
      std::stable_partition(rows.begin(), rows.end(), [&](std::size_t row) { return !std::isnan(numbers[row]); });
  std::stable_sort(rows.begin(), others, [&](std::size_t a, std::size_t b) { return numbers[a] < numbers[b]; });
  if (descending) {
    std::reverse(rows.begin(), others);
    std::rotate(rows.begin(), others, rows.end());
  }
  return rows;
}

std::vector<FieldPair> compareWeapons(const CurrentWeapon& a, const CurrentWeapon& b, bool viewing) {
  const auto textsA = valueTexts(viewing, a), textsB = valueTexts(viewing, b);
  std::vector<FieldPair> out;
  for (const FieldRow& f : kFields) {
    if (f.slot == kNoSlot) continue;
    const int s = slotIndex(f.slot);
    // Whether they differ is decided on the stored texts, whatever the mode.
    out.push_back({std::string(f.key), textsA[s], textsB[s], a.v[s] != b.v[s]});
  }
  // The damage entries by unit: those of the first weapon, then those only
  // the second has.
  std::vector<std::string_view> units;
  for (const auto* list : {&a.damage, &b.damage})
    for (const std::string& entry : *list) {
      const std::string_view unit = damageUnitOf(entry);
      bool seen = false;
      for (std::string_view u : units) seen = seen || compareFolded(u, unit) == 0;
      if (!seen) units.push_back(unit);
    }
  for (std::string_view unit : units) {
    const auto x = damageAmount(a.damage, unit), y = damageAmount(b.damage, unit);
    out.push_back({std::string(kDamagePrefix) + std::string(unit), std::string(x.value_or("")),
                   std::string(y.value_or("")), x.value_or("") != y.value_or("")});
  }
  return out;
}

std::vector<Difference> differences(const CurrentWeapon& a, const CurrentWeapon& b) {
  std::vector<Difference> out;
  for (FieldPair& p : compareWeapons(a, b, false))
    if (p.differs) out.push_back({std::move(p.key), std::move(p.a), std::move(p.b)});
  return out;
}

}  // namespace qm
