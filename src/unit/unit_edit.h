// Changing a unit's values in its file, by the same rules as a weapon's:
// only the bytes between a key's "=" and its ";" are replaced (a YardMap
// running over several lines is replaced whole), a key the block lacks gets
// a line of its own after the block's last key line, shaped like it, and
// --remove deletes a key's lines. Every other byte stays as it was. The
// edit session holds the changes, their undo and the save.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checks/finding.h"
#include "checks/known_keys.h"
#include "edit/change.h"
#include "edit/session.h"
#include "unit/unit_file.h"

namespace qm {

// A key as a change names it: "KEY" for a key of [UNITINFO], "BLOCK.KEY" for
// a key of a block inside it (the block's path, the key after the last ".").
struct UnitKeyName {
  std::string_view block, key;
};
UnitKeyName splitUnitKey(std::string_view key);

// Makes the change (its `key` as above; its `weapon` is not looked at) in
// the unit file's `bytes`, appending the splices made. Returns the refusal
// when it cannot be made; `bytes` is then as it was.
std::optional<std::string> applyUnitChange(std::string& bytes, const edit::Change& change,
                                           std::vector<edit::Splice>& done);

// What the unit checks of `engine` say of the key line a change set, checked
// on its own: a value that is not a number for a key of kind number, whole or
// flag, a key the engine does not read.
std::vector<Finding> checkUnitValue(std::string_view bytes, const std::string& file, std::string_view key,
                                    Engine engine = Engine::Original);

// The rules that make a change a change to the unit in `file`, named `name`
// in messages, its values checked for `engine`.
std::shared_ptr<const edit::BlockRules> unitRules(WeaponFilePtr file, std::string name,
                                                  Engine engine = Engine::Original);

}  // namespace qm
