#include "checks/known_keys.h"

#include <algorithm>
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

// The keys the later engine reads beyond the original's: those that mods
// written for it use in at least three of seven such mods (keys of one or
// two mods are too often misspellings or leftovers).
constexpr std::string_view kLaterKeys[] = {
    "alphadecay",
    "avoidfeature",
    "avoidfriendly",
    "beamdecay",
    "beamlaser",
    "beamtime",
    "beamttl",
    "bouncerebound",
    "bounceslip",
    "canattackground",
    "cegtag",
    "collidefriendly",
    "corethickness",
    "craterboost",
    "cratermult",
    "cylindertargeting",
    "cylindertargetting",
    "dance",
    "explosiongenerator",
    "explosionspeed",
    "exteriorshield",
    "firesubmersed",
    "fixedlauncher",
    "flamegfxtime",
    "hardstop",
    "heightboostfactor",
    "heightmod",
    "hightrajectory",
    "impactonly",
    "impulseboost",
    "impulsefactor",
    "intensity",
    "interceptedbyshieldtype",
    "isshield",
    "largebeamlaser",
    "laserflaresize",
    "manualbombsettings",
    "movingaccuracy",
    "mygravity",
    "nogap",
    "noselfdamage",
    "numbounce",
    "paralyzetime",
    "predictboost",
    "projectiles",
    "proximitypriority",
    "pulsespeed",
    "rgbcolor",
    "rgbcolor2",
    "separation",
    "shieldalpha",
    "shieldbadcolor",
    "shieldenergyuse",
    "shieldforce",
    "shieldgoodcolor",
    "shieldintercepttype",
    "shieldmaxspeed",
    "shieldpower",
    "shieldpowerregen",
    "shieldpowerregenenergy",
    "shieldradius",
    "shieldrepulser",
    "shieldstartingpower",
    "size",
    "sizedecay",
    "sizegrowth",
    "smartshield",
    "soundstartvolume",
    "stages",
    "stockpiletime",
    "sweepfire",
    "targetborder",
    "targetmoveerror",
    "texture1",
    "texture2",
    "texture3",
    "texture4",
    "thickness",
    "trajectoryheight",
    "useairlos",
    "visibleshield",
    "visibleshieldhitframes",
    "visibleshieldrepulse",
    "waterbounce",
    "weapontype",
    "wobble",
};

// Keys in an open-addressed table: every key of every block is looked up.
class KeyTable {
 public:
  KeyKind find(std::string_view key, std::uint64_t hash) const {
    for (std::size_t at = hash & kMask;; at = (at + 1) & kMask) {
      if (slots_[at].key.empty()) return KeyKind::Unknown;
      if (slots_[at].key == key) return slots_[at].kind;
    }
  }
  void add(std::string_view key, KeyKind kind) {
    std::size_t at = keyHash(key) & kMask;
    while (!slots_[at].key.empty()) at = (at + 1) & kMask;
    slots_[at] = {key, kind};
  }

 private:
  static constexpr std::size_t kMask = 255;  // at most half full
  ExtraKey slots_[kMask + 1] = {};
};

KeyKind kindOf(Kind k) {
  return k == Kind::Number ? KeyKind::Number : k == Kind::Flag ? KeyKind::Flag : KeyKind::Other;
}

const KeyTable& knownKeys() {
  static const KeyTable kEys = [] {
    KeyTable t;
    for (const FieldRow& row : kFields)
      if (row.isKeyLine()) t.add(row.key, kindOf(row.kind));
    for (const ExtraKey& extra : kExtraKeys) t.add(extra.key, extra.kind);
    return t;
  }();
  return kEys;
}

const KeyTable& laterKeys() {
  static const KeyTable kEys = [] {
    KeyTable t;
    for (std::string_view key : kLaterKeys) t.add(key, KeyKind::Other);
    return t;
  }();
  return kEys;
}

bool allDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Keys that differ only by a trailing number are siblings (weapontype,
// weapontype2), and keys that differ only by a "no" or "not" mean opposites
// (notairweapon, toairweapon): neither is a misspelling of the other.
bool siblingOrOpposite(std::string_view a, std::string_view b) {
  std::size_t p = 0;
  while (p < a.size() && p < b.size() && a[p] == b[p]) ++p;
  if (allDigits(a.substr(p)) && allDigits(b.substr(p))) return true;
  std::size_t s = 0;
  while (s < a.size() && s < b.size() && a[a.size() - 1 - s] == b[b.size() - 1 - s]) ++s;
  return a.substr(0, a.size() - s).starts_with("no") || b.substr(0, b.size() - s).starts_with("no");
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

bool isLaterEngineKey(std::string_view lowerKey) {
  return laterKeys().find(lowerKey, keyHash(lowerKey)) != KeyKind::Unknown;
}

KeyKind weaponKeyKind(std::string_view lowerKey) { return weaponKeyKind(lowerKey, keyHash(lowerKey)); }

std::string_view nearestWeaponKey(std::string_view lowerKey) {
  // One edit in four letters at most, and never more than two.
  const std::size_t allowed = std::min<std::size_t>(2, std::max<std::size_t>(1, lowerKey.size() / 4));
  std::string_view best;
  std::size_t bestDistance = allowed + 1;
  // Field order, so that ties go to the field shown first.
  auto consider = [&](std::string_view key) {
    if (siblingOrOpposite(lowerKey, key)) return;
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

namespace qm {

std::optional<ValueProblem> checkValue(std::string_view key, std::string_view value, bool damage) {
  const std::string lower = toLower(key);
  const auto shown = [&] { return " of " + quoted(key); };
  if (!damage && lower == "id") {
    const auto id = wholeNumber(value);
    if (id && *id >= 0 && *id < kIdCount) return std::nullopt;
    return ValueProblem{&check::kBadId, "the ID " + quoted(value) + " is not a whole number from 0 to 255"};
  }
  const KeyKind kind = damage ? KeyKind::Number : weaponKeyKind(lower);
  if (kind == KeyKind::Flag && value != "0" && value != "1")
    return ValueProblem{&check::kBadFlag, "the value " + quoted(value) + shown() + " is not 0 or 1"};
  if (kind != KeyKind::Number) return std::nullopt;
  if (value.empty()) return ValueProblem{&check::kEmptyValue, quoted(key) + " has no value"};
  if (!isNumberText(value))
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
