#include "presentation/weapon_columns.h"

#include <algorithm>
#include <cmath>
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

std::vector<std::size_t> sortedRows(const WeaponTable& table, const Column& column, bool viewing, bool descending) {
  const std::size_t n = table.size();
  std::vector<std::size_t> out;
  out.reserve(n);
  if (!column.numeric()) {
    // Each cell's text made once, not once per comparison.
    std::vector<std::string> texts(n);
    for (std::size_t row = 0; row < n; ++row)
      texts[row] =
          cellText(table, row, column, viewing, column.needsDamage() ? table.damage(row) : std::vector<std::string>());
    for (std::size_t row = 0; row < n; ++row) out.push_back(row);
    std::sort(out.begin(), out.end(), [&](std::size_t a, std::size_t b) {
      const int order = compareFolded(texts[a], texts[b]);
      return order != 0 ? order < 0 : a < b;
    });
    if (descending) std::reverse(out.begin(), out.end());
    return out;
  }
  // Each cell read as a number once, and each distinct text of a stored
  // value once: a column holds few of them. The rows are then placed by the
  // rank of their number, in list order within a rank, with no comparisons
  // of rows at all. (No text reads as NaN; were one to, it would sort as a
  // text, and the ranks stay well ordered.)
  std::vector<double> numbers;       // by the distinct texts (or cells) read as numbers
  std::vector<int> numberOf(n, -1);  // by row: its place in `numbers`, -1 when not a number
  const Slot slot = column.kind == Column::Kind::Field ? fieldByNumber(column.field).slot : kNoSlot;
  std::unordered_map<std::string_view, int> read;
  for (std::size_t row = 0; row < n; ++row) {
    if (slot != kNoSlot) {
      if (!table.found(row)) continue;
      const auto [at, added] = read.try_emplace(table.value(row, slot), -1);
      const auto x = added ? valueNumber(at->first) : std::nullopt;
      if (x && !std::isnan(*x)) {
        at->second = static_cast<int>(numbers.size());
        numbers.push_back(*x);
      }
      numberOf[row] = at->second;
    } else if (const auto x = cellNumber(table, row, column,
                                         column.needsDamage() ? table.damage(row) : std::vector<std::string>());
               x && !std::isnan(*x)) {
      numberOf[row] = static_cast<int>(numbers.size());
      numbers.push_back(*x);
    }
  }
  std::vector<int> byValue(numbers.size());
  for (std::size_t i = 0; i < byValue.size(); ++i) byValue[i] = static_cast<int>(i);
  std::sort(byValue.begin(), byValue.end(), [&](int a, int b) { return numbers[a] < numbers[b]; });
  std::vector<int> rank(numbers.size());
  int ranks = 0;
  for (std::size_t i = 0; i < byValue.size(); ++i) {
    if (i > 0 && numbers[byValue[i]] != numbers[byValue[i - 1]]) ++ranks;
    rank[byValue[i]] = ranks;
  }
  std::vector<std::size_t> firstOfRank(static_cast<std::size_t>(ranks) + 2, 0);
  for (std::size_t row = 0; row < n; ++row)
    if (numberOf[row] >= 0) ++firstOfRank[rank[numberOf[row]] + 1];
  for (std::size_t r = 1; r < firstOfRank.size(); ++r) firstOfRank[r] += firstOfRank[r - 1];
  const std::size_t counted = firstOfRank.back();
  out.resize(n);
  std::size_t other = counted;  // the rows that are not numbers follow, in list order
  for (std::size_t row = 0; row < n; ++row)
    out[numberOf[row] >= 0 ? firstOfRank[rank[numberOf[row]]]++ : other++] = row;
  if (descending) {
    std::reverse(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(counted));
    std::rotate(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(counted), out.end());
  }
  return out;
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
