// The line grammar of a weapon block: RecogniseLine stores what it recognises in
// one line of the block.
#pragma once

#include <string_view>

#include "weapon/current_weapon.h"

namespace qm {

// Reads one line of a weapon block (without its terminator). Key values go to
// their slots, lines of a [DAMAGE] sub-block to the damage list. `damageCarry` says
// that the lines now coming belong to a damage sub-block; it is carried from
// one call to the next, and from one weapon to the next.
void RecogniseLine(std::string_view line, CurrentWeapon& weapon, bool& damageCarry);

// Whether `brace` is among the first `count` characters of the line: how the
// block grammar and the line grammar see an opening or closing brace.
bool BraceAmong(std::string_view line, std::size_t count, char brace);

}  // namespace qm
