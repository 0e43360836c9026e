#include "weapon/recogniser.h"

#include <string>
#include <vector>

#include "text/text.h"

namespace qm {

bool endsDamageBlock(std::string_view line) { return braceAmong(line, 3, '}'); }

bool startsDamageBlock(std::string_view line) {
  if (line.empty() || (line[0] != '[' && (line.size() < 2 || line[1] != '['))) return false;
  return matchesFoldedAt(line, 0, "[damage]") || matchesFoldedAt(line, 1, "[damage]");
}

bool damageEntryOf(std::string_view line, bool& damageCarry, std::string_view& entry) {
  // Closing brace.
  const bool closes = endsDamageBlock(line);
  if (closes) damageCarry = false;

  // Damage entry: at most two leading tabs skipped, last character dropped.
  bool found = false;
  if (damageCarry && line.size() >= 3 && !braceAmong(line, 3, '{') && !closes) {
    std::size_t from = 0;
    while (from < 3 && line[from] == '\t') ++from;
    if (from < 3) {
      entry = line.substr(from, line.size() - 1 - from);
      found = true;
    }
  }

  // Damage header.
  if (startsDamageBlock(line)) damageCarry = true;
  return found;
}

void recogniseDamageLine(std::string_view line, std::vector<std::string>& damage, bool& damageCarry) {
  std::string_view entry;
  if (damageEntryOf(line, damageCarry, entry)) damage.emplace_back(entry);
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
