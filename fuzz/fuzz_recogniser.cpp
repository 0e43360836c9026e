// The line recogniser over a sequence of lines, with the damage flag carried
// from line to line as the loader carries it. The first byte gives the flag's
// value on entry (a damage sub-block left open by the weapon before).
//
// Invariants: the bracket name is never written, the damage list only grows,
// by at most one entry per line, and every value stored is cut from the line
// that was given.

#include <array>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "text/lines.h"
#include "weapon/current_weapon.h"
#include "weapon/recogniser.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input = fuzz::asText(data, size);
  bool damageCarry = false;
  if (!input.empty()) {
    damageCarry = (input[0] & 1) != 0;
    input.remove_prefix(1);
  }

  CurrentWeapon weapon;
  weapon[Slot::BracketName] = "[KEEP]";
  BufferLines lines(input);
  std::string_view line;
  while (lines.next(line)) {
    const CurrentWeapon before = weapon;
    recogniseLine(line, weapon, damageCarry);

    FUZZ_CHECK(weapon[Slot::BracketName] == "[KEEP]");
    const std::size_t n = before.damage.size();
    FUZZ_CHECK(weapon.damage.size() == n || weapon.damage.size() == n + 1);
    for (std::size_t i = 0; i < n; ++i) FUZZ_CHECK(weapon.damage[i] == before.damage[i]);
    if (weapon.damage.size() == n + 1) {
      const std::string& entry = weapon.damage.back();
      FUZZ_CHECK(entry.size() < line.size() && line.find(entry) != std::string_view::npos);
    }

    // A key can match at the first and at the second character: at most two
    // slots change.
    int changed = 0;
    for (int s = 0; s < kSlotCount; ++s) {
      if (weapon.v[s] == before.v[s]) continue;
      ++changed;
      FUZZ_CHECK(weapon.v[s].size() < line.size() && line.find(weapon.v[s]) != std::string_view::npos);
    }
    FUZZ_CHECK(changed <= 2);
  }
  return 0;
}
