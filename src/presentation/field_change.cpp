#include "presentation/field_change.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>

#include "checks/finding.h"
#include "checks/known_keys.h"
#include "presentation/main_window_state.h"
#include "text/numbers.h"
#include "text/text.h"

namespace qm {

namespace {

// Fields that count or name something by number: a fraction means nothing
// there, so a computed value is rounded.
bool holdsWholeNumbers(std::string_view lowerKey) {
  for (std::string_view k : {"id", "burst", "rendertype", "color", "color2"})
    if (k == lowerKey) return true;
  return false;
}

std::string weaponCount(std::size_t n) { return "(" + std::to_string(n) + (n == 1 ? " weapon)" : " weapons)"); }

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

std::size_t FieldChangePlan::changing() const {
  std::size_t n = 0;
  for (const FieldChangeRow& r : rows) n += r.outcome == FieldChangeRow::Outcome::Changes ? 1 : 0;
  return n;
}

std::vector<edit::Change> FieldChangePlan::changes() const {
  std::vector<edit::Change> out;
  for (const FieldChangeRow& r : rows)
    if (r.outcome == FieldChangeRow::Outcome::Changes)
      out.push_back({edit::Change::Kind::Set, r.target.weapon, key, r.value});
  return out;
}

FieldChangePlan planFieldChange(const std::vector<FieldTarget>& targets, std::string_view key, FieldOperation op,
                                std::string_view operand) {
  using Outcome = FieldChangeRow::Outcome;
  FieldChangePlan plan;
  plan.key = std::string(key);
  for (const FieldTarget& t : targets) plan.rows.push_back({t, {}, {}, Outcome::Skipped, {}, {}});

  const edit::KeyName name = edit::splitKey(key);
  const std::string lower = toLower(name.key);
  const bool numeric = name.damage || weaponKeyKind(lower) == KeyKind::Number;
  const bool whole = !name.damage && holdsWholeNumbers(lower);
  const std::string_view typed = trimBlanks(operand);
  const std::optional<double> number = textToDouble(typed);
  if (typed.empty()) {
    plan.refusal = "Type a value.";
  } else if (op != FieldOperation::SetTo && !numeric) {
    plan.refusal = cp1252ToUtf8(key) + " does not hold a number: it can only be set to a value.";
  } else if (op != FieldOperation::SetTo && (!number || !std::isfinite(*number))) {
    plan.refusal = quoted(typed) + " is not a number.";
  } else if (op == FieldOperation::SetTo) {
    if (auto refusal = edit::checkChange({edit::Change::Kind::Set, {}, std::string(key), std::string(operand)}))
      plan.refusal = *refusal;
  }
  if (!plan.refusal.empty()) return plan;

  for (FieldChangeRow& r : plan.rows) {
    const FieldTarget& t = r.target;
    if (!t.found) {
      r.note = "not found";
      continue;
    }
    // The edit changes the line the game reads, and computes from its value.
    const edit::KeyReading read = edit::readKey(t.block, t.weapon, key);
    std::string value;
    if (op == FieldOperation::SetTo) {
      value = std::string(operand);
    } else {
      const std::string_view old = read.value ? std::string_view(*read.value) : std::string_view();
      if (trimBlanks(old).empty()) {
        r.note = "no value";
        continue;
      }
      const std::optional<double> x = valueNumber(old);
      if (!x) {
        r.note = "not a number";
        continue;
      }
      const std::string text = numberText(op == FieldOperation::MultiplyBy ? *x * *number : *x + *number, whole);
      if (valueNumber(text) == x) {
        r.value = std::string(old);
        r.outcome = Outcome::Unchanged;
        r.note = "unchanged";
        continue;
      }
      // The blanks the edited text had around its number stay where they were.
      const std::size_t begin = old.find_first_not_of(" \t");
      value = std::string(old.substr(0, begin)) + text + std::string(old.substr(old.find_last_not_of(" \t") + 1));
    }
    // Tried on a copy of the block: the change must be made.
    std::string copy = t.block;
    std::vector<edit::Splice> done;
    if (auto refusal = edit::applyChange(copy, {edit::Change::Kind::Set, t.weapon, std::string(key), value}, done)) {
      r.note = *refusal;
      continue;
    }
    if (done.empty()) {
      r.value = std::move(value);
      r.outcome = Outcome::Unchanged;
      r.note = "unchanged";
      continue;
    }
    const edit::KeyReading after = edit::readKey(copy, t.weapon, key);
    r.value = std::move(value);
    r.shown = after.loaded.value_or("");
    r.outcome = Outcome::Changes;
    if (auto note = edit::readingNote(after, key))
      r.note = *note;
    else if (!read.value)
      r.note = "a new line";
    // The checks read a value without the blanks around it.
    if (auto problem = checkValue(name.key, trimBlanks(r.value), name.damage)) r.warning = problem->message;
  }

  const std::string shown(typed);
  const std::string count = weaponCount(plan.changing());
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

}  // namespace qm
