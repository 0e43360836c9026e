// The line grammar of a weapon block: RecogniseLine stores what it recognises in
// one line of the block.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "weapon/current_weapon.h"
#include "weapon/key_values.h"

namespace qm {

// Reads one line of a weapon block (without its terminator). Key values go to
// their slots, lines of a [DAMAGE] sub-block to the damage list. `damageCarry` says
// that the lines now coming belong to a damage sub-block; it is carried from
// one call to the next, and from one weapon to the next.
void recogniseLine(std::string_view line, CurrentWeapon& weapon, bool& damageCarry);

// RecogniseLine in its parts, for readers that keep values elsewhere. The key
// values of a line are keyValuesOf (weapon/key_values.h). The damage list's
// part: ends or starts a damage sub-block, and adds the
// line to `damage` when it is an entry of one.
void recogniseDamageLine(std::string_view line, std::vector<std::string>& damage, bool& damageCarry);
// A damage entry "UNIT=AMOUNT" in its two parts; an entry without "=" is all unit.
std::string_view damageUnitOf(std::string_view entry);
std::string_view damageAmountOf(std::string_view entry);

// Whether `brace` is among the first `count` characters of the line: how the
// block grammar and the line grammar see an opening or closing brace. The
// brace is a type of its own, so that a call with the two swapped does not
// compile.
enum class Brace : char { Open = '{', Close = '}' };
inline bool braceAmong(std::string_view line, std::size_t count, Brace brace) {
  const char c = static_cast<char>(brace);
  for (std::size_t i = 0; i < count && i < line.size(); ++i)
    if (line[i] == c) return true;
  return false;
}

// Whether the line ends a damage sub-block ("}" among its first three
// characters) and whether it starts one ("[damage]" at column 1 or 2); when
// both, it starts one.
inline bool endsDamageBlock(std::string_view line) { return braceAmong(line, 3, Brace::Close); }
bool isDamageHeader(std::string_view line);  // "[damage]" at column 1 or 2
inline bool startsDamageBlock(std::string_view line) {
  if (line.empty() || (line[0] != '[' && (line.size() < 2 || line[1] != '['))) return false;
  return isDamageHeader(line);
}

// The damage list's part of RecogniseLine for readers that keep the entries
// elsewhere: true with the entry, a part of the line, when the line is one.
// It is read for every line of every block, so it is inline.
inline bool damageEntryOf(std::string_view line, bool& damageCarry, std::string_view& entry) {
  // Closing brace.
  const bool closes = endsDamageBlock(line);
  if (closes) damageCarry = false;

  // Damage entry: at most two leading tabs skipped, last character dropped.
  bool found = false;
  if (damageCarry && line.size() >= 3 && !braceAmong(line, 3, Brace::Open) && !closes) {
    std::size_t from = 0;
    while (from < 3 && line[from] == '\t') ++from;
    if (from < 3) {
      entry = line.substr(from, line.size() - 1 - from);
      found = true;
    }
  }

  // Damage header.
  if (startsDamageBlock(line)) damageCarry = true;
  return found;
}

}  // namespace qm
