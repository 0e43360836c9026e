#include "checks/known_keys.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "checks/game_check.h"
#include "text/numbers.h"
#include "text/text.h"
#include "weapon/field_table.h"

namespace qm {

namespace {

// Keys the game reads that the weapon window does not show.
struct ExtraKey {
  std::string_view key;
  KeyKind kind;
};
constexpr ExtraKey kExtraKeys[] = {
    {"metalpershot", KeyKind::Number},   {"duration", KeyKind::Number},  {"holdtime", KeyKind::Number},
    {"pitchtolerance", KeyKind::Number}, {"vlaunch", KeyKind::Other},    {"toairweapon", KeyKind::Other},
    {"stockpile", KeyKind::Other},       {"targetable", KeyKind::Other}, {"interceptor", KeyKind::Other},
    {"cruise", KeyKind::Other},          {"meteor", KeyKind::Other},     {"startfire", KeyKind::Other},
    {"noradar", KeyKind::Other},
};

// Keys in an open-addressed table: every key of every block is looked up.
class KeyTable {
 public:
  struct Entry {
    std::string_view key;
    KeyKind kind = KeyKind::Unknown;
    const LaterKey* later = nullptr;
  };
  explicit KeyTable(std::size_t keys) {
    std::size_t size = 16;
    while (size < 2 * keys) size *= 2;  // at most half full
    slots_.resize(size);
  }
  const Entry* find(std::string_view key, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
      if (slots_[at].key.empty()) return nullptr;
      if (slots_[at].key == key) return &slots_[at];
    }
  }
  void add(Entry entry) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = keyHash(entry.key) & mask;
    while (!slots_[at].key.empty()) {
      if (slots_[at].key == entry.key) return;  // the first entry of a name counts
      at = (at + 1) & mask;
    }
    slots_[at] = entry;
  }

 private:
  std::vector<Entry> slots_;
};

KeyKind kindOf(Kind k) {
  return k == Kind::Number ? KeyKind::Number : k == Kind::Flag ? KeyKind::Flag : KeyKind::Other;
}

const KeyTable& knownKeys() {
  static const KeyTable kEys = [] {
    KeyTable t(std::size(kFields) + std::size(kExtraKeys));
    for (const FieldRow& row : kFields)
      if (row.isKeyLine()) t.add({row.key, kindOf(row.kind)});
    for (const ExtraKey& extra : kExtraKeys) t.add({extra.key, extra.kind});
    return t;
  }();
  return kEys;
}

KeyKind kindOf(KeyType type) {
  return type == KeyType::Flag                               ? KeyKind::Flag
         : type == KeyType::Whole || type == KeyType::Number ? KeyKind::Number
                                                             : KeyKind::Other;
}

bool onWeaponLevel(KeyPlace p) {
  return p == KeyPlace::Weapon || p == KeyPlace::WeaponAlias || p == KeyPlace::WeaponLegacy;
}
bool inUnit(KeyPlace p) { return p == KeyPlace::Unit || p == KeyPlace::UnitAlias || p == KeyPlace::UnitLua; }

// The later engine's keys of a weapon's own level, or of a unit.
const KeyTable& laterKeys(bool unit) {
  static const auto kMake = [](bool units) {
    KeyTable t(std::size(kLaterKeys));
    for (const LaterKey& k : kLaterKeys)
      if (units ? inUnit(k.place) : onWeaponLevel(k.place)) t.add({k.name, kindOf(k.type), &k});
    return t;
  };
  static const KeyTable kWeapon = kMake(false), kUnit = kMake(true);
  return unit ? kUnit : kWeapon;
}

bool allDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Keys that differ only by a trailing number are siblings (weapontype,
// weapontype2), and keys that differ only by a "no" or "not", or by "can"
// and "cant", mean opposites (notairweapon, toairweapon): neither is a
// misspelling of the other.
bool siblingOrOpposite(std::string_view a, std::string_view b) {
  std::size_t p = 0;
  while (p < a.size() && p < b.size() && a[p] == b[p]) ++p;
  if (allDigits(a.substr(p)) && allDigits(b.substr(p))) return true;
  std::size_t s = 0;
  while (s < a.size() && s < b.size() && a[a.size() - 1 - s] == b[b.size() - 1 - s]) ++s;
  const std::string_view ra = a.substr(0, a.size() - s), rb = b.substr(0, b.size() - s);
  // "can" and "cant" (cantbetransported) are opposites too.
  const bool cant = (ra.ends_with("cant") && rb.ends_with("can")) || (rb.ends_with("cant") && ra.ends_with("can"));
  return cant || ra.starts_with("no") || rb.starts_with("no");
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

const LaterKey* laterKey(std::string_view lowerKey, bool unit) {
  const KeyTable& table = laterKeys(unit);
  if (const KeyTable::Entry* e = table.find(lowerKey, keyHash(lowerKey))) return e->later;
  // A numbered key: NAME1 to NAME32 as NAME#.
  std::size_t digits = lowerKey.size();
  while (digits > 0 && lowerKey[digits - 1] >= '0' && lowerKey[digits - 1] <= '9') --digits;
  if (digits == lowerKey.size() || digits == 0 || lowerKey[digits] == '0') return nullptr;
  const int n = std::atoi(std::string(lowerKey.substr(digits)).c_str());
  if (lowerKey.size() - digits > 2 || n < 1 || n > kLaterWeaponSlots) return nullptr;
  const std::string numbered = std::string(lowerKey.substr(0, digits)) + '#';
  const KeyTable::Entry* e = table.find(numbered, keyHash(numbered));
  return e ? e->later : nullptr;
}

KeyKind weaponKeyKind(std::string_view lowerKey, std::uint64_t hash, Engine engine) {
  const KeyTable::Entry* e = (engine == Engine::Later ? laterKeys(false) : knownKeys()).find(lowerKey, hash);
  return e ? e->kind : KeyKind::Unknown;
}

KeyKind weaponKeyKind(std::string_view lowerKey, Engine engine) {
  return weaponKeyKind(lowerKey, keyHash(lowerKey), engine);
}

NearestKey::NearestKey(std::string_view lowerKey)
    : lowerKey_(lowerKey), bestDistance_(std::min<std::size_t>(2, std::max<std::size_t>(1, lowerKey.size() / 4)) + 1) {}

void NearestKey::consider(std::string_view key) {
  folded_.assign(key);
  for (char& c : folded_) c = foldLower(c);
  if (siblingOrOpposite(lowerKey_, folded_)) return;
  const std::size_t d = editDistance(lowerKey_, folded_);
  if (d < bestDistance_) bestDistance_ = d, best_ = key;
}

std::string_view nearestWeaponKey(std::string_view lowerKey, Engine engine) {
  NearestKey nearest(lowerKey);
  if (engine == Engine::Later) {
    // The engine's own names before the older ones it also takes.
    for (KeyPlace place : {KeyPlace::Weapon, KeyPlace::WeaponAlias, KeyPlace::WeaponLegacy})
      for (const LaterKey& k : kLaterKeys)
        if (k.place == place && k.type != KeyType::Block) nearest.consider(k.name);
    return nearest.best();
  }
  // Field order, so that ties go to the field shown first.
  for (const FieldRow& row : kFields)
    if (row.isKeyLine()) nearest.consider(row.key);
  for (const ExtraKey& extra : kExtraKeys) nearest.consider(extra.key);
  return nearest.best();
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

bool isLaterNumberText(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) s.remove_prefix(1);
  auto format = std::chars_format::general;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2), format = std::chars_format::hex;
  if (s.empty() || s.front() == '+' || s.front() == '-') return false;
  double number = 0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), number, format);
  return end == s.data() + s.size() && (error == std::errc() || error == std::errc::result_out_of_range);
}

}  // namespace qm

namespace qm {

std::optional<ValueProblem> checkValue(std::string_view key, std::string_view value, bool damage, Engine engine) {
  const bool later = engine == Engine::Later;
  const std::string lower = toLower(key);
  const auto shown = [&] { return " of " + quoted(key); };
  if (!damage && lower == "id") {
    const auto id = wholeNumber(value);
    if (later || (id && *id >= 0 && *id < kIdCount)) return std::nullopt;
    return ValueProblem{&check::kBadId, "the ID " + quoted(value) + " is not a whole number from 0 to 255"};
  }
  const KeyKind kind = damage ? KeyKind::Number : weaponKeyKind(lower, engine);
  if (kind == KeyKind::Flag && later) {
    // Any number is a flag (not 0 is yes), and so are "true" and "false";
    // anything else leaves the key as if it were not there.
    const std::string word = toLower(value);
    if (isLaterNumberText(value) || word == "true" || word == "false") return std::nullopt;
    return ValueProblem{&check::kIgnoredValue, "the later engine does not read the value " + quoted(value) + shown() +
                                                   " as yes or no: it ignores it and keeps the default"};
  }
  if (kind == KeyKind::Flag && value != "0" && value != "1")
    return ValueProblem{&check::kBadFlag, "the value " + quoted(value) + shown() + " is not 0 or 1"};
  if (kind != KeyKind::Number) return std::nullopt;
  if (value.empty()) return ValueProblem{&check::kEmptyValue, quoted(key) + " has no value"};
  if (!(later ? isLaterNumberText(value) : isNumberText(value)))
    return ValueProblem{&check::kNotANumber, "the value " + quoted(value) + shown() + " is not a number"};
  if (!damage && (lower == "reloadtime" || lower == "range") && std::strtod(std::string(value).c_str(), nullptr) < 0)
    return ValueProblem{&check::kNegativeValue, "the value " + quoted(value) + shown() + " is negative"};
  return std::nullopt;
}

const FileKey* fileKey(std::string_view lowerKey) {
  for (const FileKey& k : kFileKeys)
    if (k.key == lowerKey) return &k;
  return nullptr;
}

}  // namespace qm
