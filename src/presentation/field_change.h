// Changing one field of many weapons (or units) at once, without the window:
// what each one's value becomes when set to a text, multiplied by a number or
// added to, shown to the user before anything changes, and the changes that
// make it as one step.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/weapon_table.h"
#include "edit/change.h"
#include "unit/unit_set.h"

namespace qm {

enum class FieldOperation { SetTo, MultiplyBy, Add };

// A weapon to change: its bracket name, the file it is read from (as the
// windows name it), its block in that file (from its header line to the
// line that closes it, as read: each change is tried on a copy of it first),
// and the key's text as the loader reads it (the Weapons table's cell),
// nothing when no line of the block gives it. `found` is false for a list
// entry whose weapon no file holds.
// A unit's target is the same with its name, its whole file as the block,
// and the rules that make a change a change to it.
struct FieldTarget {
  std::string weapon, file, block;
  std::optional<std::string> old;
  bool found = true;
  std::shared_ptr<const edit::BlockRules> rules = nullptr;
};

// The targets of rows of the weapons table, each weapon once (rows naming
// the same weapon, letter case ignored, give it once), in the order given.
std::vector<FieldTarget> fieldTargets(const WeaponTable& table, const std::vector<std::size_t>& rows,
                                      std::string_view key, const std::filesystem::path& gameDir);

struct FieldChangeRow {
  enum class Outcome { Changes, Unchanged, Skipped };
  FieldTarget target;
  std::string value;  // bytes: the text written after the key's "="; the old one when unchanged, empty when skipped
  std::string shown;  // bytes: what the loader reads once changed, the table's cell then; empty unless it changes
  Outcome outcome = Outcome::Skipped;
  // UTF-8: why it is skipped, "unchanged", "a new line" for a key the weapon
  // lacks, or that the table shows another line than the one changed.
  std::string note;
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
  // What the preview says of the plan (UTF-8): its refusal, or "3 weapons
  // change, 1 unchanged, 2 skipped." with the nouns given; and whether it
  // can be applied.
  std::string summary(std::string_view singular, std::string_view plural) const;
  bool canApply() const { return refusal.empty() && changing() > 0; }
  // One Set change per weapon whose value changes.
  std::vector<edit::Change> changes() const;
};

// What setting `key` of every target to `operand`, multiplying it by
// `operand` or adding `operand` to it would do. The line changed is the one
// the game reads (the key's last line at its level). Multiplying and adding
// need a number field (or a damage amount) and a number, and compute from
// that line's value (valueNumber); a weapon without such a value, or whose
// value is not a number, is then skipped. Setting adds the key to a weapon
// that lacks it. Where Actual Mode and the table show another line than the
// one changed, the note says so (edit::readingNote).
FieldChangePlan planFieldChange(const std::vector<FieldTarget>& targets, std::string_view key, FieldOperation op,
                                std::string_view operand);

// The targets of units, each once, in the order given; `key` is KEY or
// BLOCK.KEY.
std::vector<FieldTarget> unitFieldTargets(const std::vector<const Unit*>& units, std::string_view key,
                                          const std::filesystem::path& gameDir);
// The same as planFieldChange for units: the key's kind (unit-fields)
// says whether it holds a number; the line changed is the one the game
// reads, and a key a unit lacks gets a line of its own.
FieldChangePlan planUnitFieldChange(const std::vector<FieldTarget>& targets, std::string_view key, FieldOperation op,
                                    std::string_view operand);

// A computed number as a modder writes it: at most 15 significant digits,
// the shortest text that reads back as that, never an exponent; rounded to a
// whole number when `whole`.
std::string numberText(double x, bool whole);

}  // namespace qm
