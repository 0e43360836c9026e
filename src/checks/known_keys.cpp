#include "checks/known_keys.h"

#include <algorithm>
#include <string>
#include <cstdint>
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


// The known keys in an open-addressed table: every key of every block is
// looked up here.
class KnownKeys {
 public:
  KnownKeys() {
    for (const FieldRow& row : kFields)
      if (row.isKeyLine()) add(row.key, row.kind == Kind::Number ? KeyKind::Number : KeyKind::Other);
    for (const ExtraKey& extra : kExtraKeys) add(extra.key, extra.kind);
  }
  KeyKind find(std::string_view key, std::uint64_t hash) const {
    for (std::size_t at = hash & kMask;; at = (at + 1) & kMask) {
      if (slots_[at].key.empty()) return KeyKind::Unknown;
      if (slots_[at].key == key) return slots_[at].kind;
    }
  }

 private:
  static constexpr std::size_t kMask = 255;
  void add(std::string_view key, KeyKind kind) {
    std::size_t at = keyHash(key) & kMask;
    while (!slots_[at].key.empty()) at = (at + 1) & kMask;
    slots_[at] = {key, kind};
  }
  ExtraKey slots_[kMask + 1] = {};
};
const KnownKeys& knownKeys() {
  static const KnownKeys keys;
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

std::uint64_t keyHash(std::string_view key) {
  std::uint64_t h = 14695981039346656037ull;
  for (char c : key) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return h ^ (h >> 29);
}

KeyKind weaponKeyKind(std::string_view lowerKey, std::uint64_t hash) { return knownKeys().find(lowerKey, hash); }

KeyKind weaponKeyKind(std::string_view lowerKey) { return weaponKeyKind(lowerKey, keyHash(lowerKey)); }

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
  for (const FieldRow& row : kFields)
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
