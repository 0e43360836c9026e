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
// The same for readers that keep the entries elsewhere: true with the entry,
// a part of the line, when the line is one.
bool damageEntryOf(std::string_view line, bool& damageCarry, std::string_view& entry);
// Whether the line ends a damage sub-block ("}" among its first three
// characters) and whether it starts one ("[damage]" at column 1 or 2); when
// both, it starts one.
bool endsDamageBlock(std::string_view line);
bool startsDamageBlock(std::string_view line);
// Whether `brace` is among the first `count` characters of the line: how the
// block grammar and the line grammar see an opening or closing brace.
bool braceAmong(std::string_view line, std::size_t count, char brace);

}  // namespace qm
