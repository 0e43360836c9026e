// Reading a unit file and editing it. The input's first three bytes pick the
// key (among the unit's keys, or a key it lacks, or a key of a block inside
// it), what to do (set or remove) and which engine names it; the rest of its
// first line is the value, the rest is the file.
//
// Invariants:
// - reading never fails: every key's value lies within the file, between
//   its "=" and where the edit would end, and the keys come in file order;
// - a refused change leaves the file as it was;
// - undoing the change's splices gives the file back byte for byte;
// - the unit checks of a key line stand at that line;
// - setting a key to the value it has changes nothing;
// - setting a key the unit has changes only the bytes from its "=" to its
//   ";", and the file re-reads to the value set; a removed key is gone.

#include <cstdint>
#include <string>
#include <vector>

#include "checks/game_check.h"
#include "edit/change.h"
#include "fuzz_support.h"
#include "unit/unit_checks.h"
#include "unit/unit_edit.h"
#include "unit/unit_file.h"
#include "unit/unit_set.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::asText(data, size);
  const std::size_t eol = input.find('\n');
  if (size < 3 || eol == std::string_view::npos || eol < 3) return 0;
  const std::string file(input.substr(eol + 1));
  const UnitFile unit(file);
  const auto values = unit.values();
  const char* base = unit.bytes().data();
  for (std::size_t i = 0; i < values.size(); ++i) {
    const UnitEntry& e = *values[i];
    FUZZ_CHECK(e.keyAt < e.valueAt && e.valueAt <= e.valueEnd && e.valueEnd <= file.size());
    FUZZ_CHECK(e.value.data() >= base + e.valueAt || e.value.empty());
    FUZZ_CHECK(e.value.data() + e.value.size() <= base + e.valueEnd || e.value.empty());
    FUZZ_CHECK(i == 0 || values[i - 1]->keyAt < e.keyAt);
  }
  const Engine engine = data[2] & 0x80 ? Engine::Later : Engine::Original;
  (void)unitName(unit, "units/fuzz.fbi", engine);
  (void)weaponSlots(unit, engine);
  // The unit checks of each line stand at that line, within it.
  for (const UnitEntry* e : values)
    if (const auto f = unitLineFinding(*e, unit.bytes(), "units/fuzz.fbi", engine))
      FUZZ_CHECK(f->line == e->line && f->column >= 1 && static_cast<std::size_t>(f->column) <= e->keyAt + 1);

  edit::Change change;
  const std::size_t pick = data[0] % (values.size() + 2);
  const UnitEntry* had = pick < values.size() ? values[pick] : nullptr;
  change.key = had ? std::string(had->key) : pick == values.size() ? "fuzzkey" : "customparams.fuzzkey";
  change.kind = data[1] % 4 == 0 ? edit::Change::Kind::Remove : edit::Change::Kind::Set;
  change.value = std::string(input.substr(3, eol - 3));
  // The command line and the window refuse such values before they come here.
  if (edit::checkChange({change.kind, "U", std::string(splitUnitKey(change.key).key), change.value})) return 0;

  std::string edited = file;
  std::vector<edit::Splice> done;
  const auto refusal = applyUnitChange(edited, change, done);
  if (refusal) {
    FUZZ_CHECK(edited == file);
    return 0;
  }
  std::string undone = edited;
  for (auto it = done.rbegin(); it != done.rend(); ++it) edit::undoSplice(undone, *it);
  FUZZ_CHECK(undone == file);

  const UnitFile after(edited);
  if (change.kind == edit::Change::Kind::Remove) {
    FUZZ_CHECK(!after.find(change.key));
    return 0;
  }
  const std::string_view set = trimValue(change.value);
  FUZZ_CHECK(after.value(change.key) == set);
  if (!had) return 0;
  if (had->value == set) {
    FUZZ_CHECK(edited == file);
    return 0;
  }
  FUZZ_CHECK(edited.compare(0, had->valueAt, file, 0, had->valueAt) == 0);
  const std::size_t tail = file.size() - had->valueEnd;
  FUZZ_CHECK(edited.size() >= tail && edited.compare(edited.size() - tail, tail, file, had->valueEnd, tail) == 0);
  return 0;
}
