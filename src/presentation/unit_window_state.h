// The Units window without the window: the list of the game's units with its
// filter and sort order, the picked unit's values in the groups of the unit
// keys (each with its caption and what it does), its weapons with their
// damage per second, the figures a balance pass compares, and the changes an
// edit of a value makes on the main window's edit session. Unit text stays
// bytes here; the window decodes it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/game_files.h"
#include "edit/change.h"
#include "presentation/edited_files.h"
#include "presentation/unit_columns.h"
#include "unit/unit_set.h"

namespace qm {

inline constexpr std::string_view kOtherKeysGroup = "Other keys";
inline constexpr std::string_view kMsgUnitNotFound = "Unit not found!";

// The list's columns; the list sorts by Unit or Side (then the unit's name).
enum class UnitListColumn { Unit, Side, Name, Description };
inline constexpr int kUnitListColumns = 4;

// One value of the picked unit as the window shows it.
struct UnitValueRow {
  std::string key;               // as written; BLOCK.KEY for a key of a block inside
  std::string caption;           // the known key's; else the key itself
  std::string_view description;  // what "?" says
  std::string value;             // bytes as written; a YardMap's whole, over its lines
  int line = 0;
  bool edited = false;  // differs from the file as saved
};

struct UnitValueGroup {
  std::string_view name;
  std::vector<UnitValueRow> rows;
};

// A weapon slot of the picked unit.
struct UnitWeaponLink {
  std::string slot;    // the key, as written
  std::string weapon;  // the bracket name, as written
  std::string dps;     // the weapon's damage per second; empty for ExplodeAs and SelfDestructAs
  bool found = false;  // a weapon file of the game holds it
  std::string file;    // the file that holds it, as messages name files
};

struct UnitFigure {
  std::string_view caption;
  std::string text;  // bytes (it may name a unit)
};

class UnitWindowState {
 public:
  // Reads the units of `set` (named for the engine the weapon files and
  // `imports` decide) and the damage per second of every weapon, as the
  // files stand with the unsaved edits `edited`. The picked unit and the
  // filter stay where they can.
  void load(const GameFiles& set, const std::vector<WeaponFilePtr>& imports, const EditedFiles& edited);
  // Takes the files as they stand now (after an edit, an undo or a save):
  // the units and the weapons whose files stand otherwise are read again.
  void takeEdits(const EditedFiles& edited);

  Engine engine() const { return engine_; }
  std::size_t unitCount() const { return units_.size(); }
  const std::vector<UnreadableFile>& leftOut() const { return leftOut_; }

  // --- The list --------------------------------------------------------------
  // Shows the units whose name, side, Name or description holds `text`
  // (bytes, letter case ignored).
  void setFilter(std::string_view text);
  const std::string& filter() const { return filter_; }
  void sortBy(UnitListColumn column, bool descending = false);
  std::size_t rowCount() const { return shown_.size(); }
  // The list's headers.
  static std::string_view caption(UnitListColumn column);
  // Under the list: "12 units", or "3 of 12 units" while the filter hides
  // some; the window's title: "Units - 12 units".
  std::string countText() const;
  std::string windowTitle() const;
  // A cell's text: bytes as the unit's file writes them.
  std::string_view cell(std::size_t row, UnitListColumn column) const;
  // The row of the picked unit; nothing when none is picked or no row is
  // shown. The list and the values shown agree: when the filter hides the
  // unit picked, the first unit it shows is picked.
  std::optional<std::size_t> pickedRow() const;

  // --- The picked unit -------------------------------------------------------
  void pickRow(std::size_t row);
  // Picks the unit of that name (letter case ignored); false when none has it.
  bool pickUnit(std::string_view name);
  // Picks the unit read from the file named `file` (as messages name files)
  // at the key of line `line`, clearing a filter that hides it. False when
  // no unit was read from that file.
  bool pickAt(const std::string& file, int line);
  const Unit* picked() const { return picked_ ? &units_[*picked_] : nullptr; }
  // The key pickAt found; empty when it found none.
  const std::string& keyAt() const { return keyAt_; }
  // Over the values (UTF-8): the picked unit's name and its file by its path
  // in `gameDir`, or what to do when none is picked.
  std::string pickedTitle(const std::filesystem::path& gameDir) const;
  // What "?" of a value row says (UTF-8).
  static std::string helpText(const UnitValueRow& row);

  std::vector<UnitValueGroup> groups() const;
  std::vector<UnitWeaponLink> weapons() const;
  // Damage per second, hit points per metal, damage per second per metal and
  // seconds to build with the builder.
  std::vector<UnitFigure> figures() const;

  // The units that can build (WorkerTime a positive number), by name.
  std::vector<std::string> builders() const;
  // The builder seconds to build are counted with: a unit's name, or empty
  // for the picked unit's side's commander.
  void setBuilder(std::string name) { builder_ = std::move(name); }
  const std::string& builder() const { return builder_; }

  // --- Editing ---------------------------------------------------------------
  // The value of `key` as its editor starts: its line ends as "\n".
  std::string editText(const UnitValueRow& row) const;
  // The change that gives the picked unit's `key` the value `typed` (bytes,
  // line ends as "\n"); none when it has it already. A value whose lines end
  // in CR LF keeps them.
  std::vector<edit::Change> valueChange(const std::string& key, const std::string& typed) const;
  // The undo step's name for that change (UTF-8): "Set KEY of UNIT".
  static std::string changeName(const std::vector<edit::Change>& changes);

 private:
  void reshow();
  void readAgain(std::size_t unit, const WeaponFilePtr& from, const EditedFiles& edited);
  void takeTexts(std::size_t unit);
  void takeWeapons(std::vector<WeaponFilePtr> files);
  const Unit* commanderOf(const Unit& unit) const;

  Engine engine_ = Engine::Original;
  std::vector<Unit> units_;  // sorted by name at load; read again in place
  // By unit: the values the list shows and filters, parts of its read.
  struct ListTexts {
    std::string_view side, name, description;
  };
  std::vector<ListTexts> texts_;
  // The text of `column` for the unit at `unit` of units_.
  std::string_view unitText(std::size_t unit, UnitListColumn column) const;
  std::vector<UnreadableFile> leftOut_;
  std::vector<WeaponFilePtr> weaponFiles_;  // the game's weapon files, then the imports
  WeaponDps dps_;
  std::unordered_map<std::string, std::string> weaponFile_;  // by the weapon's lower-case name
  std::vector<WeaponFilePtr> weaponsRead_;                   // weaponFiles_ as they stood when dps_ was read
  // By unit: the file its values were read from (its edited copy while it
  // has unsaved edits), and the file as saved while it has them.
  std::vector<WeaponFilePtr> readFrom_;
  std::vector<std::shared_ptr<const UnitFile>> saved_;
  std::string filter_;
  UnitListColumn sortColumn_ = UnitListColumn::Unit;
  bool descending_ = false;
  std::vector<std::size_t> shown_;  // indexes into units_, in list order
  std::optional<std::size_t> picked_;
  std::string keyAt_;
  std::string builder_;
};

}  // namespace qm
