#include "weapon/recogniser.h"

#include <string>
#include <vector>

#include "text/text.h"

namespace qm {

std::string_view damageUnitOf(std::string_view entry) { return entry.substr(0, entry.find('=')); }

std::string_view damageAmountOf(std::string_view entry) {
  const std::size_t eq = entry.find('=');
  return eq == std::string_view::npos ? std::string_view() : entry.substr(eq + 1);
}

bool isDamageHeader(std::string_view line) {
  return matchesFoldedAt(line, 0, "[damage]") || matchesFoldedAt(line, 1, "[damage]");
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

}  // namespace qm
