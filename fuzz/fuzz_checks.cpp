// The game checks' reader and linter over any bytes.
//
// Invariants:
// - every finding lies inside the file: a line that exists, a column within it;
// - the weapons come in file order, their names hold no "]" and no line end;
// - the findings are sorted by line and column;
// - read as a unit file, every weapon use has a value and a slot the later
//   engine has (0 for the explosion keys).

#include <algorithm>
#include <cstdint>
#include <string>

#include "checks/game_check.h"
#include "checks/references.h"
#include "fuzz_support.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file = fuzz::asText(data, size);
  GameCheck check;
  check.addFile("f", file);
  check.finish();

  // Line lengths, counting CR LF, a lone CR and a lone LF as one line end.
  std::vector<std::size_t> lengths{0};
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '\r' || file[i] == '\n') {
      if (file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n') ++i;
      lengths.push_back(0);
    } else {
      ++lengths.back();
    }
  }
  for (const Finding& f : check.findings()) {
    FUZZ_CHECK(f.line >= 1 && static_cast<std::size_t>(f.line) <= lengths.size());
    FUZZ_CHECK(f.column >= 1 &&
               static_cast<std::size_t>(f.column) <= lengths[static_cast<std::size_t>(f.line) - 1] + 1);
    FUZZ_CHECK(!f.message.empty() && !f.check.empty());
  }
  FUZZ_CHECK(std::is_sorted(check.findings().begin(), check.findings().end(), findingBefore));
  std::vector<UnitUse> uses;
  readUnitUses("u.fbi", file, uses);
  for (const UnitUse& u : uses) FUZZ_CHECK(!u.weapon.empty() && u.slot >= 0 && u.slot <= kLaterWeaponSlots);
  int last = 0;
  for (const WeaponRecord& w : check.weapons()) {
    FUZZ_CHECK(w.line >= last);
    last = w.line;
    FUZZ_CHECK(w.name.find_first_of("]\r\n") == std::string::npos);
    FUZZ_CHECK(!w.id || w.hasId);
  }
  return 0;
}
