#include "checks/known_keys.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "weapon/field_table.h"

namespace qm {

namespace {

// Keys the game reads that the weapon window does not show.
struct ExtraKey {
  std::string_view key;
  KeyKind kind;
};
constexpr ExtraKey kExtraKeys[] = {
    {"metalpershot", KeyKind::Number}, {"duration", KeyKind::Number},   {"holdtime", KeyKind::Number},
    {"pitchtolerance", KeyKind::Number}, {"vlaunch", KeyKind::Other},   {"toairweapon", KeyKind::Other},
    {"stockpile", KeyKind::Other},     {"targetable", KeyKind::Other},  {"interceptor", KeyKind::Other},
    {"cruise", KeyKind::Other},        {"meteor", KeyKind::Other},      {"startfire", KeyKind::Other},
    {"noradar", KeyKind::Other},
};

const std::unordered_map<std::string_view, KeyKind>& knownKeys() {
  static const std::unordered_map<std::string_view, KeyKind> keys = [] {
    std::unordered_map<std::string_view, KeyKind> m;
    for (const FieldRow& row : WeaponFieldTable)
      if (row.isKeyLine()) m.emplace(row.key, row.kind == Kind::Number ? KeyKind::Number : KeyKind::Other);
    for (const ExtraKey& extra : kExtraKeys) m.emplace(extra.key, extra.kind);
    return m;
  }();
  return keys;
}

std::size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::size_t digitsFrom(std::string_view s, std::size_t& p) {
  const std::size_t start = p;
  while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p;
  return p - start;
}

}  // namespace

KeyKind weaponKeyKind(std::string_view lowerKey) {
  const auto& keys = knownKeys();
  const auto it = keys.find(lowerKey);
  return it == keys.end() ? KeyKind::Unknown : it->second;
}

std::string_view nearestWeaponKey(std::string_view lowerKey) {
  // One edit in four letters at most, and never more than two.
  const std::size_t allowed = std::min<std::size_t>(2, std::max<std::size_t>(1, lowerKey.size() / 4));
  std::string_view best;
  std::size_t bestDistance = allowed + 1;
  // Field order, so that ties go to the field shown first.
  auto consider = [&](std::string_view key) {
    const std::size_t d = editDistance(lowerKey, key);
    if (d < bestDistance) bestDistance = d, best = key;
  };
  for (const FieldRow& row : WeaponFieldTable)
    if (row.isKeyLine()) consider(row.key);
  for (const ExtraKey& extra : kExtraKeys) consider(extra.key);
  return best;
}

bool isNumberText(std::string_view s) {
  std::size_t p = 0;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) ++p;
  std::size_t digits = digitsFrom(s, p);
  if (p < s.size() && s[p] == '.') digits += digitsFrom(s, ++p);
  if (digits == 0) return false;
  if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
    ++p;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) ++p;
    if (digitsFrom(s, p) == 0) return false;
  }
  return p == s.size();
}

}  // namespace qm
