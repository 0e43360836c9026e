#include "weapon/recogniser.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "text/text.h"

namespace qm {

namespace {

struct KeyTest {
  std::string match;  // the lower-case key followed by "="
  Slot slot;
};

// The key tests, found by the length of the key and its first letter. Every
// match text ends with "=" and no key holds one, so a key can match at a
// column only when the line's first "=" from there follows it: that "=" gives
// the length, and at most one key is compared.
struct KeyTests {
  static constexpr std::size_t kLongest = 32;
  std::array<std::array<std::vector<KeyTest>, 26>, kLongest + 1> byLengthFirst;
  KeyTests() {
    for (const FieldRow& field : kFields) {
      if (!field.isKeyLine()) continue;
      const std::string match = std::string(field.key) + "=";
      byLengthFirst[field.key.size()][Bucket(match[0])].push_back({match, field.slot});
    }
  }
  // The first letter, a to z, as 0 to 25; 26 or more for any other byte.
  static std::size_t Bucket(char c) { return static_cast<unsigned char>(FoldLower(c) - 'a'); }
};

constexpr bool KeysFitTests() {
  for (const FieldRow& field : kFields)
    if (field.isKeyLine() && (field.key.empty() || field.key.size() > KeyTests::kLongest || field.key[0] < 'a' ||
                              field.key[0] > 'z' || field.key.find('=') != std::string_view::npos))
      return false;
  return true;
}
static_assert(KeysFitTests(), "every key is found by its length and first letter: none may hold a '='");

const KeyTests& Tests() {
  static const KeyTests t;
  return t;
}

// The key test at one column (0 or 1), whose first "=" is at `eq`: the value
// is what follows the "=" less the line's last character.
bool TestColumn(std::string_view line, std::size_t col, std::size_t eq, KeyValue& out) {
  const std::size_t first = KeyTests::Bucket(line[col]);
  if (eq == col || eq - col > KeyTests::kLongest || first >= 26) return false;
  for (const KeyTest& t : Tests().byLengthFirst[eq - col][first]) {
    std::size_t i = 0;
    while (i < eq - col && FoldLower(line[col + i]) == t.match[i]) ++i;
    if (i < eq - col) continue;
    const std::size_t start = eq + 1;
    // A line that ends right at its "=" has nothing to drop: its value is empty.
    out = {t.slot, start < line.size() ? line.substr(start, line.size() - start - 1) : std::string_view()};
    return true;
  }
  return false;
}

}  // namespace

int KeyValuesOf(std::string_view line, KeyValue (&out)[2]) {
  // The first "=" from column 1 is the first from column 0 too, unless the
  // line starts with one: then no key starts at column 0, as none starts
  // with anything but a letter.
  if (line.size() < 2) return 0;
  const std::size_t end = std::min(line.size(), KeyTests::kLongest + 2);
  std::size_t eq = 1;
  while (eq < end && line[eq] != '=') ++eq;
  if (eq == end) return 0;
  int n = 0;
  if (TestColumn(line, 0, eq, out[n])) ++n;
  if (TestColumn(line, 1, eq, out[n])) ++n;
  return n;
}

bool EndsDamageBlock(std::string_view line) { return BraceAmong(line, 3, '}'); }

bool StartsDamageBlock(std::string_view line) {
  if (line.empty() || (line[0] != '[' && (line.size() < 2 || line[1] != '['))) return false;
  return MatchesFoldedAt(line, 0, "[damage]") || MatchesFoldedAt(line, 1, "[damage]");
}

bool DamageEntryOf(std::string_view line, bool& damageCarry, std::string_view& entry) {
  // Closing brace.
  const bool closes = EndsDamageBlock(line);
  if (closes) damageCarry = false;

  // Damage entry: at most two leading tabs skipped, last character dropped.
  bool found = false;
  if (damageCarry && line.size() >= 3 && !BraceAmong(line, 3, '{') && !closes) {
    std::size_t from = 0;
    while (from < 3 && line[from] == '\t') ++from;
    if (from < 3) {
      entry = line.substr(from, line.size() - 1 - from);
      found = true;
    }
  }

  // Damage header.
  if (StartsDamageBlock(line)) damageCarry = true;
  return found;
}

void RecogniseDamageLine(std::string_view line, std::vector<std::string>& damage, bool& damageCarry) {
  std::string_view entry;
  if (DamageEntryOf(line, damageCarry, entry)) damage.emplace_back(entry);
}

void RecogniseLine(std::string_view line, CurrentWeapon& weapon, bool& damageCarry) {
  // Key tests at column 1 and column 2, then the damage list.
  KeyValue keys[2];
  const int n = KeyValuesOf(line, keys);
  for (int i = 0; i < n; ++i) weapon[keys[i].slot] = std::string(keys[i].value);
  RecogniseDamageLine(line, weapon.damage, damageCarry);
}

bool BraceAmong(std::string_view line, std::size_t count, char brace) {
  for (std::size_t i = 0; i < count && i < line.size(); ++i)
    if (line[i] == brace) return true;
  return false;
}

}  // namespace qm
