#include "presentation/field_change.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <set>

#include "checks/finding.h"
#include "checks/known_keys.h"
#include "presentation/main_window_state.h"
#include "text/numbers.h"
#include "text/text.h"
#include "unit/unit_edit.h"
#include "unit/unit_fields.h"

namespace qm {

namespace {

// Fields that count or name something by number: a fraction means nothing
// there, so a computed value is rounded.
bool holdsWholeNumbers(std::string_view lowerKey) {
  for (std::string_view k : {"id", "burst", "rendertype", "color", "color2"})
    if (k == lowerKey) return true;
  return false;
}

}  // namespace

std::string numberText(double x, bool whole) {
  if (whole) x = std::round(x);
  // 15 significant digits drop the binary noise of the arithmetic (0.1 * 3
  // is 0.30000000000000004), then the shortest plain text of that number.
  char buffer[400];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 15).ptr;
  double rounded = 0;
  std::from_chars(buffer, end, rounded);
  if (rounded == 0) rounded = 0;  // no "-0"
  end = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed).ptr;
  return std::string(buffer, end);
}

std::vector<FieldTarget> fieldTargets(const WeaponTable& table, const std::vector<std::size_t>& rows,
                                      std::string_view key, const std::filesystem::path& gameDir) {
  std::vector<FieldTarget> out;
  std::set<std::string> seen;
  for (std::size_t row : rows) {
    if (row >= table.size() || !seen.insert(toLower(table.name(row))).second) continue;
    FieldTarget t{std::string(table.name(row)), {}, {}, {}, table.found(row)};
    if (t.found) {
      t.file = gameRelativeName(gameDir, table.fileName(row));
      const std::string_view bytes = table.fileBytes(row);
      if (const auto place = edit::findBlock(bytes, t.weapon))
        t.block = bytes.substr(place->begin, place->end - place->begin);
      t.old = edit::readKey(t.block, t.weapon, key).loaded;
    }
    out.push_back(std::move(t));
  }
  return out;
}

std::string FieldChangePlan::summary(std::string_view singular, std::string_view plural) const {
  if (!refusal.empty()) return refusal;
  std::size_t unchanged = 0, skipped = 0;
  for (const FieldChangeRow& row : rows) {
    unchanged += row.outcome == FieldChangeRow::Outcome::Unchanged ? 1 : 0;
    skipped += row.outcome == FieldChangeRow::Outcome::Skipped ? 1 : 0;
  }
  const std::size_t n = changing();
  std::string text =
      n == 1 ? "1 " + std::string(singular) + " changes" : std::to_string(n) + " " + std::string(plural) + " change";
  if (unchanged) text += ", " + std::to_string(unchanged) + " unchanged";
  if (skipped) text += ", " + std::to_string(skipped) + " skipped";
  return text + ".";
}

std::size_t FieldChangePlan::changing() const {
  std::size_t n = 0;
  for (const FieldChangeRow& r : rows) n += r.outcome == FieldChangeRow::Outcome::Changes ? 1 : 0;
  return n;
}

std::vector<edit::Change> FieldChangePlan::changes() const {
  std::vector<edit::Change> out;
  for (const FieldChangeRow& r : rows)
    if (r.outcome == FieldChangeRow::Outcome::Changes)
      out.push_back({edit::Change::Kind::Set, r.target.weapon, key, r.value, r.target.rules});
  return out;
}

namespace {

// Why nothing can be changed as asked; empty when the rows may be planned.
std::string refusalOf(std::string_view key, bool numeric, FieldOperation op, std::string_view typed,
                      std::optional<double> number, std::string_view operand) {
  if (typed.empty()) return "Type a value.";
  if (op != FieldOperation::SetTo && !numeric)
    return cp1252ToUtf8(key) + " does not hold a number: it can only be set to a value.";
  if (op != FieldOperation::SetTo && (!number || !std::isfinite(*number))) return quoted(typed) + " is not a number.";
  if (op == FieldOperation::SetTo)
    if (auto refusal = edit::checkChange({edit::Change::Kind::Set, {}, std::string(key), std::string(operand)}))
      return *refusal;
  return {};
}

// The text the row's value (`old`, the line the game reads) becomes; nothing
// when the row is passed over or stays as it is (`r` then says so).
std::optional<std::string> newValue(FieldChangeRow& r, const std::optional<std::string>& old, FieldOperation op,
                                    std::string_view operand, double number, bool whole) {
  using Outcome = FieldChangeRow::Outcome;
  if (op == FieldOperation::SetTo) return std::string(operand);
  const std::string_view text = old ? std::string_view(*old) : std::string_view();
  if (trimBlanks(text).empty()) {
    r.note = "no value";
    return std::nullopt;
  }
  const std::optional<double> x = valueNumber(text);
  if (!x) {
    r.note = "not a number";
    return std::nullopt;
  }
  const std::string computed = numberText(op == FieldOperation::MultiplyBy ? *x * number : *x + number, whole);
  if (valueNumber(computed) == x) {
    r.value = std::string(text);
    r.outcome = Outcome::Unchanged;
    r.note = "unchanged";
    return std::nullopt;
  }
  // The blanks the edited text had around its number stay where they were.
  const std::size_t begin = text.find_first_not_of(" \t");
  return std::string(text.substr(0, begin)) + computed + std::string(text.substr(text.find_last_not_of(" \t") + 1));
}

// How one kind of row takes a change: tries it on a copy of the target's
// block, and says what the table shows then and what the checks say; and
// whether the key holds a number, and a whole one.
struct RowRules {
  std::function<std::optional<std::string>(const FieldTarget&)> read;  // the value the game reads
  std::function<std::optional<std::string>(std::string& block, const FieldTarget&, const std::string& value)> apply;
  std::function<std::string(const std::string& block, const FieldTarget&)> shown;
  std::function<std::string(const std::string& block, const FieldTarget&)> note;  // when the table shows another line
  std::function<std::string(const std::string& block, const FieldTarget&, const std::string& value)> warning;
  std::string_view singular, plural;
  bool numeric = false, whole = false;
};

// Plans one row: what its value becomes, tried on a copy of its block.
void planRow(FieldChangeRow& r, FieldOperation op, std::string_view operand, double number, const RowRules& rules) {
  using Outcome = FieldChangeRow::Outcome;
  const FieldTarget& t = r.target;
  if (!t.found) {
    r.note = "not found";
    return;
  }
  const std::optional<std::string> old = rules.read(t);
  std::optional<std::string> value = newValue(r, old, op, operand, number, rules.whole);
  if (!value) return;
  std::string copy = t.block;
  if (auto refusal = rules.apply(copy, t, *value)) {
    r.note = *refusal;
    return;
  }
  r.value = std::move(*value);
  if (copy == t.block) {
    r.outcome = Outcome::Unchanged;
    r.note = "unchanged";
    return;
  }
  r.shown = rules.shown(copy, t);
  r.outcome = Outcome::Changes;
  r.note = rules.note(copy, t);
  if (r.note.empty() && !old) r.note = "a new line";
  r.warning = rules.warning(copy, t, r.value);
}

// The undo step's name: "Multiply reloadtime by 0.9 (3 weapons)".
std::string describe(FieldOperation op, const std::string& key, std::string_view typed, std::size_t changing,
                     const RowRules& rules) {
  const std::string count =
      "(" + std::to_string(changing) + " " + std::string(changing == 1 ? rules.singular : rules.plural) + ")";
  const std::string shown(typed);
  switch (op) {
    case FieldOperation::SetTo:
      return "Set " + key + " to " + shown + " " + count;
    case FieldOperation::MultiplyBy:
      return "Multiply " + key + " by " + shown + " " + count;
    case FieldOperation::Add:
      return "Add " + shown + " to " + key + " " + count;
  }
  return {};
}

FieldChangePlan plan(const std::vector<FieldTarget>& targets, std::string_view key, FieldOperation op,
                     std::string_view operand, const RowRules& rules) {
  FieldChangePlan plan;
  plan.key = std::string(key);
  for (const FieldTarget& t : targets) plan.rows.push_back({t, {}, {}, FieldChangeRow::Outcome::Skipped, {}, {}});
  const std::string_view typed = trimBlanks(operand);
  const std::optional<double> number = textToDouble(typed);
  plan.refusal = refusalOf(key, rules.numeric, op, typed, number, operand);
  if (!plan.refusal.empty()) return plan;
  for (FieldChangeRow& r : plan.rows) planRow(r, op, operand, number.value_or(0), rules);
  plan.description = describe(op, plan.key, typed, plan.changing(), rules);
  return plan;
}

// A weapon's key, "damage.UNIT" for a line of its [DAMAGE] block: the edit
// changes the line the game reads, and computes from its value.
RowRules weaponRowRules(std::string_view key) {
  RowRules rules;
  rules.read = [key = std::string(key)](const FieldTarget& t) { return edit::readKey(t.block, t.weapon, key).value; };
  rules.apply = [key = std::string(key)](std::string& block, const FieldTarget& t, const std::string& value) {
    std::vector<edit::Splice> done;
    return edit::applyChange(block, {edit::Change::Kind::Set, t.weapon, key, value}, done);
  };
  rules.shown = [key = std::string(key)](const std::string& block, const FieldTarget& t) {
    return edit::readKey(block, t.weapon, key).loaded.value_or("");
  };
  rules.note = [key = std::string(key)](const std::string& block, const FieldTarget& t) {
    return edit::readingNote(edit::readKey(block, t.weapon, key), key).value_or("");
  };
  // The checks read a value without the blanks around it.
  rules.warning = [key = std::string(key)](const std::string&, const FieldTarget&, const std::string& value) {
    const edit::KeyName name = edit::splitKey(key);
    const auto problem = checkValue(name.key, trimBlanks(value), name.damage);
    return problem ? problem->message : std::string();
  };
  rules.singular = "weapon";
  rules.plural = "weapons";
  const edit::KeyName name = edit::splitKey(key);
  const std::string lowerKey = toLower(name.key);
  rules.numeric = name.damage || weaponKeyKind(lowerKey) == KeyKind::Number;
  rules.whole = !name.damage && holdsWholeNumbers(lowerKey);
  return rules;
}

// A unit's key, KEY or BLOCK.KEY: its kind says whether it holds a number.
RowRules unitRowRules(std::string_view key) {
  const auto valueIn = [key = std::string(key)](const std::string& bytes) -> std::optional<std::string> {
    const UnitFile unit(bytes);
    if (const UnitEntry* e = unit.find(key)) return std::string(e->value);
    return std::nullopt;
  };
  RowRules rules;
  rules.read = [valueIn](const FieldTarget& t) { return valueIn(t.block); };
  rules.apply = [key = std::string(key)](std::string& block, const FieldTarget& t, const std::string& value) {
    std::vector<edit::Splice> done;
    return applyUnitChange(block, {edit::Change::Kind::Set, t.weapon, key, value, t.rules}, done);
  };
  rules.shown = [valueIn](const std::string& block, const FieldTarget&) { return valueIn(block).value_or(""); };
  rules.note = [](const std::string&, const FieldTarget&) { return std::string(); };
  rules.warning = [key = std::string(key)](const std::string& block, const FieldTarget& t, const std::string&) {
    const std::vector<Finding> found = checkUnitValue(block, t.file, key);
    return found.empty() ? std::string() : found.front().message;
  };
  rules.singular = "unit";
  rules.plural = "units";
  const UnitKey* known = splitUnitKey(key).block.empty() ? unitKey(key) : nullptr;
  rules.numeric = known && isNumberKind(known->kind);
  rules.whole = known && (known->kind == UnitKeyKind::Whole || known->kind == UnitKeyKind::Flag);
  return rules;
}

}  // namespace

FieldChangePlan planFieldChange(const std::vector<FieldTarget>& targets, std::string_view key, FieldOperation op,
                                std::string_view operand) {
  return plan(targets, key, op, operand, weaponRowRules(key));
}

std::vector<FieldTarget> unitFieldTargets(const std::vector<const Unit*>& units, std::string_view key,
                                          const std::filesystem::path& gameDir) {
  std::vector<FieldTarget> out;
  std::set<const Unit*> seen;
  for (const Unit* u : units) {
    if (!u || !seen.insert(u).second) continue;
    FieldTarget t{
        u->name, gameRelativeName(gameDir, u->file->name()), u->read.bytes(), {}, true, unitRules(u->file, u->name)};
    if (const UnitEntry* e = u->read.find(key)) t.old = std::string(e->value);
    out.push_back(std::move(t));
  }
  return out;
}

FieldChangePlan planUnitFieldChange(const std::vector<FieldTarget>& targets, std::string_view key, FieldOperation op,
                                    std::string_view operand) {
  return plan(targets, key, op, operand, unitRowRules(key));
}

}  // namespace qm
