// Editing a weapon in place. The input's first three bytes pick the weapon
// (among the file's header lines), the key (among the block's keys, or a key
// it lacks, or a damage line it lacks) and what to do with it (set or
// remove); the rest of its first line is the value, the rest is the file.
//
// Invariants:
// - a refused change leaves the file as it was;
// - undoing a change's splices gives the file back byte for byte;
// - setting a key to its own value changes nothing;
// - setting a key the block has changes only bytes within that key's line;
// - the edited file re-reads to the edited value (the value set, blanks
//   around it being no part of it, or no key after a removal);
// - a value written on the line the loader reads the key from is what the
//   loader then reads, up to its first ";";
// - nothing outside the weapon's block changes, except where the block grew.

#include <cstdint>
#include <string>
#include <vector>

#include "edit/change.h"
#include "fuzz_support.h"
#include "weapon/block_walk.h"

using namespace qm;

namespace {

// The bracket names of the lines that begin with "[" and hold a "]".
std::vector<std::string> headersOf(std::string_view file) {
  std::vector<std::string> out;
  for (std::size_t at = 0; at < file.size(); ++at) {
    if (file[at] != '[' || (at > 0 && file[at - 1] != '\n' && file[at - 1] != '\r')) continue;
    const std::size_t close = file.find_first_of("]\r\n", at);
    if (close != std::string_view::npos && file[close] == ']') out.emplace_back(file.substr(at + 1, close - at - 1));
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::asText(data, size);
  const std::size_t eol = input.find('\n');
  if (size < 3 || eol == std::string_view::npos || eol < 3) return 0;
  const std::string file(input.substr(eol + 1));
  const auto headers = headersOf(file);
  if (headers.empty()) return 0;

  edit::Change change;
  change.weapon = headers[data[0] % headers.size()];
  const auto keys = edit::keysOf(file, change.weapon);
  const std::size_t pick = data[1] % (keys.size() + 2);
  change.key = pick < keys.size() ? keys[pick] : pick == keys.size() ? "fuzzkey" : "damage.fuzzunit";
  change.kind = data[2] % 4 == 0 ? edit::Change::Kind::Remove : edit::Change::Kind::Set;
  change.value = std::string(input.substr(3, eol - 3));
  const edit::KeyReading before = edit::readKey(file, change.weapon, change.key);
  const auto& old = before.value;

  std::string edited = file;
  std::vector<edit::Splice> done;
  const auto refusal = edit::applyChange(edited, change, done);
  if (refusal) {
    FUZZ_CHECK(edited == file && done.empty());
    return 0;
  }
  std::string back = edited;
  for (auto it = done.rbegin(); it != done.rend(); ++it) edit::undoSplice(back, *it);
  FUZZ_CHECK(back == file);

  if (change.kind == edit::Change::Kind::Remove) {
    FUZZ_CHECK(!edit::valueOf(edited, change.weapon, change.key));
    return 0;
  }
  std::string_view set = change.value;
  while (!set.empty() && isPairBlank(set.front())) set.remove_prefix(1);
  while (!set.empty() && isPairBlank(set.back())) set.remove_suffix(1);
  FUZZ_CHECK(edit::valueOf(edited, change.weapon, change.key) == set);
  if (before.sameLine && !done.empty()) {
    const auto loaded = edit::readKey(edited, change.weapon, change.key).loaded;
    FUZZ_CHECK(loaded && loaded->substr(0, loaded->find(';')) == change.value);
  }
  if (!old) return 0;
  if (*old == change.value) FUZZ_CHECK(done.empty());
  // A key the block had: one splice, inside its line.
  FUZZ_CHECK(done.size() <= 1);
  for (const edit::Splice& s : done)
    FUZZ_CHECK(s.removed.find_first_of("\r\n") == std::string::npos &&
               s.inserted.find_first_of("\r\n") == std::string::npos);

  // Its own value again: nothing changes.
  std::string same = file;
  std::vector<edit::Splice> none;
  // (refused only when the value as written holds a byte a new value may not)
  if (!edit::applyChange(same, {edit::Change::Kind::Set, change.weapon, change.key, *old}, none))
    FUZZ_CHECK(same == file && none.empty());
  return 0;
}
