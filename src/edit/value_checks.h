// The game checks' rules applied to the values an edit sets: what lint would
// say of those lines, and whether a new ID is taken by another weapon.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "checks/finding.h"
#include "checks/game_check.h"

namespace qm::edit {

// The findings of the game checks on the lines of the weapon's block in
// `bytes` that start at the offsets `lines`: a number field that is not a
// number or is empty, an ID that is not 0..255, a key the game does not know.
// `others` are the weapons of the whole game (the ID census); an ID that
// one of them of another name carries is reported too. Findings name `file`.
std::vector<Finding> checkEditedLines(std::string_view bytes, const std::string& file, std::string_view weapon,
                                      const std::vector<std::size_t>& lines, const std::vector<WeaponRecord>& others);

}  // namespace qm::edit
