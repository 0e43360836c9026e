#include "weapon/recogniser.h"

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

// The key tests, grouped by their first letter so that a line is compared
// only with the keys it can match. Every match text ends with "=", so at most
// one key can match at each column and the order of the tests cannot change
// their outcome.
struct KeyTests {
  std::array<std::vector<KeyTest>, 256> byFirst;
  KeyTests() {
    for (const FieldRow& field : kFields) {
      if (!field.isKeyLine()) continue;
      const std::string match = std::string(field.key) + "=";
      byFirst[static_cast<unsigned char>(match[0])].push_back({match, field.slot});
    }
  }
};

const KeyTests& tests() {
  static const KeyTests kT;
  return kT;
}

// The key test at one column (0 or 1): the value is what follows the "="
// less the line's last character.
bool testColumn(std::string_view line, std::size_t col, KeyValue& out) {
  if (line.size() <= col) return false;
  for (const KeyTest& t : tests().byFirst[static_cast<unsigned char>(foldLower(line[col]))]) {
    if (!matchesFoldedAt(line, col, t.match)) continue;
    const std::size_t start = col + t.match.size();
    // A line that ends right at its "=" has nothing to drop: its value is empty.
    out = {t.slot, start < line.size() ? line.substr(start, line.size() - start - 1) : std::string_view()};
    return true;
  }
  return false;
}

}  // namespace

int keyValuesOf(std::string_view line, KeyValue (&out)[2]) {
  // Every match text ends with "=", so at most one key matches at a column.
  int n = 0;
  if (testColumn(line, 0, out[n])) ++n;
  if (testColumn(line, 1, out[n])) ++n;
  return n;
}

bool endsDamageBlock(std::string_view line) { return braceAmong(line, 3, '}'); }

bool startsDamageBlock(std::string_view line) {
  return matchesFoldedAt(line, 0, "[damage]") || matchesFoldedAt(line, 1, "[damage]");
}

void recogniseDamageLine(std::string_view line, std::vector<std::string>& damage, bool& damageCarry) {
  // Closing brace.
  if (endsDamageBlock(line)) damageCarry = false;

  // Damage entry: at most two leading tabs skipped, last character dropped.
  if (damageCarry && line.size() >= 3 && !braceAmong(line, 3, '{') && !braceAmong(line, 3, '}')) {
    std::size_t from = 0;
    while (from < 3 && line[from] == '\t') ++from;
    if (from < 3) damage.emplace_back(line.substr(from, line.size() - 1 - from));
  }

  // Damage header.
  if (startsDamageBlock(line)) damageCarry = true;
}

void recogniseLine(std::string_view line, CurrentWeapon& weapon, bool& damageCarry) {
  // Key tests at column 1 and column 2, then the damage list.
  KeyValue keys[2];
  const int n = keyValuesOf(line, keys);
  for (int i = 0; i < n; ++i) weapon[keys[i].slot] = std::string(keys[i].value);
  recogniseDamageLine(line, weapon.damage, damageCarry);
}

bool braceAmong(std::string_view line, std::size_t count, char brace) {
  for (std::size_t i = 0; i < count && i < line.size(); ++i)
    if (line[i] == brace) return true;
  return false;
}

}  // namespace qm
