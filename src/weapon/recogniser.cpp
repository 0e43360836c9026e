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

const KeyTests& Tests() {
  static const KeyTests t;
  return t;
}

// The key test at one column (0 or 1): the value is what follows the "="
// less the line's last character.
void TestColumn(std::string_view line, std::size_t col, CurrentWeapon& weapon) {
  if (line.size() <= col) return;
  for (const KeyTest& t : Tests().byFirst[static_cast<unsigned char>(FoldLower(line[col]))]) {
    if (!MatchesFoldedAt(line, col, t.match)) continue;
    const std::size_t start = col + t.match.size();
    // A line that ends right at its "=" has nothing to drop: its value is empty.
    weapon[t.slot] = start < line.size() ? std::string(line.substr(start, line.size() - start - 1)) : std::string();
  }
}

}  // namespace

void RecogniseLine(std::string_view line, CurrentWeapon& weapon, bool& damageCarry) {
  // 1. Key tests at column 1 and column 2.
  TestColumn(line, 0, weapon);
  TestColumn(line, 1, weapon);

  // 2. Closing brace.
  if (BraceAmong(line, 3, '}')) damageCarry = false;

  // 3. Damage entry: at most two leading tabs skipped, last character dropped.
  if (damageCarry && line.size() >= 3 && !BraceAmong(line, 3, '{') && !BraceAmong(line, 3, '}')) {
    std::size_t from = 0;
    while (from < 3 && line[from] == '\t') ++from;
    if (from < 3) weapon.damage.emplace_back(line.substr(from, line.size() - 1 - from));
  }

  // 4. Damage header.
  if (MatchesFoldedAt(line, 0, "[damage]") || MatchesFoldedAt(line, 1, "[damage]")) damageCarry = true;
}

bool BraceAmong(std::string_view line, std::size_t count, char brace) {
  for (std::size_t i = 0; i < count && i < line.size(); ++i)
    if (line[i] == brace) return true;
  return false;
}

}  // namespace qm
