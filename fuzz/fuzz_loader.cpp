// The loader's block search over a whole file held in memory. The first line
// of the input is the weapon's bracket name, the rest is the file.
//
// Invariants:
// - the search finds and reads exactly what reading the file line by line
//   does: every line that begins with the header is one, and each block's
//   lines reach the recogniser;
// - a search that finds nothing leaves the weapon and the damage flag as they
//   were;
// - a block found gives a bracket name that begins, letter case ignored, with
//   the name searched for;
// - the weapon found, exported and searched again comes back with the same
//   values and damage list.

#include <cstdint>
#include <string>

#include "export/writer.h"
#include "fuzz_support.h"
#include "text/lines.h"
#include "text/text.h"
#include "weapon/current_weapon.h"
#include "weapon/loader.h"
#include "weapon/recogniser.h"

using namespace qm;

namespace {

bool sameWeapon(const CurrentWeapon& a, const CurrentWeapon& b) { return a.v == b.v && a.damage == b.damage; }

CurrentWeapon marked() {
  CurrentWeapon w;
  w[Slot::BracketName] = "BEFORE";
  w[Slot::ReloadTime] = "3";
  w.damage = {"default=1"};
  return w;
}

bool braceAmong(std::string_view line, char brace, std::size_t count) {
  return line.substr(0, count).find(brace) != std::string_view::npos;
}

// The search, one line at a time.
bool searchLineByLine(std::string_view file, std::string_view name, CurrentWeapon& weapon, bool& damageCarry) {
  std::string match = "[" + std::string(name) + "]";
  for (auto& c : match) c = foldLower(c);
  bool found = false;
  BufferLines lines(file);
  std::string_view line;
  while (lines.next(line)) {
    if (!matchesFoldedAt(line, 0, match)) continue;
    weapon.clear();
    weapon[Slot::BracketName] = std::string(line.size() < 2 ? std::string_view() : line.substr(1, line.size() - 2));
    found = true;
    bool opened = braceAmong(line, '{', 2);
    while (!opened && lines.next(line)) opened = braceAmong(line, '{', 2);
    if (!opened) break;
    for (long depth = 1; depth != 0 && lines.next(line);) {
      recogniseLine(line, weapon, damageCarry);
      if (braceAmong(line, '{', 3)) ++depth;
      if (braceAmong(line, '}', 3)) --depth;
    }
  }
  return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::asText(data, size);
  const std::size_t eol = input.find('\n');
  if (eol == std::string_view::npos) return 0;
  const std::string_view name = input.substr(0, eol);
  const std::string_view file = input.substr(eol + 1);

  for (const bool carryIn : {false, true}) {
    CurrentWeapon weapon = marked();
    bool damageCarry = carryIn;
    const bool found = searchFile(file, name, weapon, damageCarry);
    CurrentWeapon reference = marked();
    bool referenceCarry = carryIn;
    FUZZ_CHECK(searchLineByLine(file, name, reference, referenceCarry) == found);
    FUZZ_CHECK(sameWeapon(weapon, reference) && damageCarry == referenceCarry);

    if (!found) {
      FUZZ_CHECK(sameWeapon(weapon, marked()) && damageCarry == carryIn);
      continue;
    }
    const std::string& got = weapon[Slot::BracketName];
    FUZZ_CHECK(got.size() >= name.size() && compareFolded(std::string_view(got).substr(0, name.size()), name) == 0);

    // Export and read back.
    const std::string exported = formatExport("fuzz", "Fuzz Gun", 7, weapon);
    CurrentWeapon back;
    bool backCarry = false;
    FUZZ_CHECK(searchFile(exported, "FUZZ", back, backCarry));
    FUZZ_CHECK(!backCarry);
    FUZZ_CHECK(back[Slot::BracketName] == "FUZZ" && back[Slot::Name] == "Fuzz Gun" && back[Slot::Id] == "7");
    for (int s = 0; s < kSlotCount; ++s) {
      const auto slot = static_cast<Slot>(s);
      if (slot == Slot::BracketName || slot == Slot::Name || slot == Slot::Id) continue;
      FUZZ_CHECK(back[slot] == weapon[slot]);
    }
    FUZZ_CHECK(back.damage == weapon.damage);
  }
  return 0;
}
