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
// block, and says what the table shows then and what the checks say.
struct RowRules {
  std::function<std::optional<std::string>(const FieldTarget&)> read;  // the value the game reads
  std::function<std::optional<std::string>(std::string& block, const FieldTarget&, const std::string& value)> apply;
  std::function<std::string(const std::string& block, const FieldTarget&)> shown;
  std::function<std::string(const std::string& block, const FieldTarget&)> note;  // when the table shows another line
  std::function<std::string(const std::string& block, const FieldTarget&, const std::string& value)> warning;
  std::string_view singular, plural;
};

FieldChangePlan plan(const std::vector<FieldTarget>& targets, std::string_view key, FieldOperation op,
                     std::string_view operand, bool numeric, bool whole, const RowRules& rules) {
  using Outcome = FieldChangeRow::Outcome;
  FieldChangePlan plan;
  plan.key = std::string(key);
  for (const FieldTarget& t : targets) plan.rows.push_back({t, {}, {}, Outcome::Skipped, {}, {}});
  const std::string_view typed = trimBlanks(operand);
  const std::optional<double> number = textToDouble(typed);
  plan.refusal = refusalOf(key, numeric, op, typed, number, operand);
  if (!plan.refusal.empty()) return plan;

  for (FieldChangeRow& r : plan.rows) {
    const FieldTarget& t = r.target;
    if (!t.found) {
      r.note = "not found";
      continue;
    }
    const std::optional<std::string> old = rules.read(t);
    std::optional<std::string> value = newValue(r, old, op, operand, number.value_or(0), whole);
    if (!value) continue;
    // Tried on a copy of the block: the change must be made.
    std::string copy = t.block;
    if (auto refusal = rules.apply(copy, t, *value)) {
      r.note = *refusal;
      continue;
    }
    r.value = std::move(*value);
    if (copy == t.block) {
      r.outcome = Outcome::Unchanged;
      r.note = "unchanged";
      continue;
    }
    r.shown = rules.shown(copy, t);
    r.outcome = Outcome::Changes;
    r.note = rules.note(copy, t);
    if (r.note.empty() && !old) r.note = "a new line";
    r.warning = rules.warning(copy, t, r.value);
  }

  const std::size_t n = plan.changing();
  const std::string count = "(" + std::to_string(n) + " " + std::string(n == 1 ? rules.singular : rules.plural) + ")";
  const std::string shown(typed);
  switch (op) {
    case FieldOperation::SetTo:
      plan.description = "Set " + plan.key + " to " + shown + " " + count;
      break;
    case FieldOperation::MultiplyBy:
      plan.description = "Multiply " + plan.key + " by " + shown + " " + count;
      break;
    case FieldOperation::Add:
      plan.description = "Add " + shown + " to " + plan.key + " " + count;
      break;
  }
  return plan;
}

}  // namespace

FieldChangePlan planFieldChange(const std::vector<FieldTarget>& targets, std::string_view key, FieldOperation op,
                                std::string_view operand) {
  const edit::KeyName name = edit::splitKey(key);
  const std::string lower = toLower(name.key);
  const std::string k(key);
  RowRules rules;
  // The edit changes the line the game reads, and computes from its value.
  rules.read = [&](const FieldTarget& t) { return edit::readKey(t.block, t.weapon, k).value; };
  rules.apply = [&](std::string& block, const FieldTarget& t, const std::string& value) {
    std::vector<edit::Splice> done;
    return edit::applyChange(block, {edit::Change::Kind::Set, t.weapon, k, value}, done);
  };
  rules.shown = [&](const std::string& block, const FieldTarget& t) {
    return edit::readKey(block, t.weapon, k).loaded.value_or("");
  };
  rules.note = [&](const std::string& block, const FieldTarget& t) {
    return edit::readingNote(edit::readKey(block, t.weapon, k), k).value_or("");
  };
  // The checks read a value without the blanks around it.
  rules.warning = [&](const std::string&, const FieldTarget&, const std::string& value) {
    const auto problem = checkValue(name.key, trimBlanks(value), name.damage);
    return problem ? problem->message : std::string();
  };
  rules.singular = "weapon";
  rules.plural = "weapons";
  const bool numeric = name.damage || weaponKeyKind(lower) == KeyKind::Number;
  return plan(targets, key, op, operand, numeric, !name.damage && holdsWholeNumbers(lower), rules);
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
  const std::string k(key);
  const UnitKey* known = splitUnitKey(key).block.empty() ? unitKey(key) : nullptr;
  const auto value = [&](const std::string& bytes) -> std::optional<std::string> {
    const UnitFile unit(bytes);
    if (const UnitEntry* e = unit.find(k)) return std::string(e->value);
    return std::nullopt;
  };
  RowRules rules;
  rules.read = [&](const FieldTarget& t) { return value(t.block); };
  rules.apply = [&](std::string& block, const FieldTarget& t, const std::string& v) {
    std::vector<edit::Splice> done;
    return applyUnitChange(block, {edit::Change::Kind::Set, t.weapon, k, v, t.rules}, done);
  };
  rules.shown = [&](const std::string& block, const FieldTarget&) { return value(block).value_or(""); };
  rules.note = [](const std::string&, const FieldTarget&) { return std::string(); };
  rules.warning = [&](const std::string& block, const FieldTarget& t, const std::string&) {
    const std::vector<Finding> found = checkUnitValue(block, t.file, k);
    return found.empty() ? std::string() : found.front().message;
  };
  rules.singular = "unit";
  rules.plural = "units";
  const bool numeric = known && isNumberKind(known->kind);
  const bool whole = known && (known->kind == UnitKeyKind::Whole || known->kind == UnitKeyKind::Flag);
  return plan(targets, key, op, operand, numeric, whole, rules);
}

}  // namespace qm
