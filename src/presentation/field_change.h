// Changing one field of many weapons at once, without the window: what each
// weapon's value becomes when set to a text, multiplied by a number or added
// to, shown to the user before anything changes, and the changes that make
// it as one step.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/weapon_table.h"
#include "edit/change.h"

namespace qm {

enum class FieldOperation { SetTo, MultiplyBy, Add };

// A weapon to change: its bracket name, the file it is read from (as the
// windows name it), and the key's text in its block as an edit sees it,
// nothing when the block lacks the key. `found` is false for a list entry
// whose weapon no file holds.
struct FieldTarget {
  std::string weapon, file;
  std::optional<std::string> old;
  bool found = true;
};

// The targets of rows of the weapons table, each weapon once (rows naming
// the same weapon, letter case ignored, give it once), in the order given.
std::vector<FieldTarget> fieldTargets(const WeaponTable& table, const std::vector<std::size_t>& rows,
                                      std::string_view key, const std::filesystem::path& gameDir);

struct FieldChangeRow {
  enum class Outcome { Changes, Unchanged, Skipped };
  FieldTarget target;
  std::string value;  // bytes: the new text; the old one when unchanged, empty when skipped
  Outcome outcome = Outcome::Skipped;
  std::string note;     // UTF-8: why it is skipped, "unchanged", or "a new line" for a key the weapon lacks
  std::string warning;  // UTF-8: what the game checks say of the new value
};

struct FieldChangePlan {
  std::string key;
  // UTF-8: why nothing can be changed (a text field multiplied, a value that
  // is not a number or would break the file); empty when the rows hold.
  std::string refusal;
  std::vector<FieldChangeRow> rows;
  // The undo step's name: "Multiply reloadtime by 0.9 (3 weapons)" (bytes).
  std::string description;

  std::size_t changing() const;
  // One Set change per weapon whose value changes.
  std::vector<edit::Change> changes() const;
};

// What setting `key` of every target to `operand`, multiplying it by
// `operand` or adding `operand` to it would do. Multiplying and adding need a
// number field (or a damage amount) and a number; a weapon without a value
// of the key, or whose value is not a number, is then skipped. Setting adds
// the key to a weapon that lacks it.
FieldChangePlan planFieldChange(const std::vector<FieldTarget>& targets, std::string_view key, FieldOperation op,
                                std::string_view operand);

// A computed number as a modder writes it: at most 15 significant digits,
// the shortest text that reads back as that, never an exponent; rounded to a
// whole number when `whole`.
std::string numberText(double x, bool whole);

}  // namespace qm
