// The "Game check" window without the window: one run of the checks (the
// weapon ID census, the findings of the same checks as `lint`, the
// references between the game's files), the cells of its census and
// findings tables, the rows of its references tree, the texts over them,
// what a double-click shows, and where the window goes beside the main one.
// Texts are UTF-8; names the files write travel as bytes.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/game_files.h"
#include "checks/game_check.h"
#include "checks/references.h"
#include "presentation/check_filter.h"

namespace qm {

// What one run of the checks found.
struct GameCheckResult {
  explicit GameCheckResult(const GameFiles& set) : references(set) {}
  GameCheck check;
  References references;
};

// Runs the same checks as `lint` of the whole game in `gameDir` and the
// imports, the engine decided by the files; every check, the display ones
// too (the filter hides them). `started` hears how many files there are,
// `progress` how many are done, and stops the run by returning false: null
// then.
std::shared_ptr<const GameCheckResult> checkWholeGame(const std::filesystem::path& gameDir,
                                                      const std::vector<std::string>& imports,
                                                      const std::function<void(std::size_t files)>& started,
                                                      const std::function<bool(std::size_t done)>& progress);

// A table cell: its text, the number it sorts by when it is one, and the
// whole text as a tooltip when the cell may cut it.
struct CheckCell {
  std::string text;
  std::optional<int> number;
  std::string tip;
};

// What a double-click asks to show: a weapon (its name as the file's bytes,
// and its file), a unit's file at a line, or nothing.
struct CheckTarget {
  enum class Kind { None, Weapon, Unit } kind = Kind::None;
  std::string name;  // the weapon's
  std::string file;
  int line = 0;  // in the unit's file
};

// A row of the references tree: a weapon with its units as children, a unit
// that names it, or a name nothing resolves; the two groups are rows too.
struct ReferenceRow {
  std::string name, what, where;  // UTF-8
  std::string whereTip;           // the whole path
  CheckTarget target;
  std::vector<ReferenceRow> children;
};

class GameCheckState {
 public:
  GameCheckState(std::filesystem::path gameDir, CheckFilter filter);

  // A run has started; it ends with its result, or with none when it was
  // stopped.
  void startRun() { running_ = true; }
  void setResult(std::shared_ptr<const GameCheckResult> result);
  // The last run's; null before the first run has finished.
  const GameCheckResult* result() const { return result_.get(); }
  std::shared_ptr<const GameCheckResult> resultPtr() const { return result_; }
  CheckFilter& filter() { return filter_; }
  const CheckFilter& filter() const { return filter_; }

  // --- The census: the 256 IDs, who uses each and whether it is free, used
  // or in conflict ------------------------------------------------------------
  static const std::vector<std::string>& censusCaptions();
  std::size_t censusRows() const;
  CheckCell censusCell(std::size_t id, std::size_t column) const;
  // The first weapon on an ID.
  CheckTarget censusTarget(std::size_t id) const;
  std::string freeIds() const;

  // --- The findings, in file and line order --------------------------------
  static const std::vector<std::string>& findingCaptions();
  std::size_t findingRows() const;
  CheckCell findingCell(std::size_t row, std::size_t column) const;
  // Whether the check filter shows the finding.
  bool findingShown(std::size_t row) const;
  // The weapon whose block holds the finding's line, else a unit file's line.
  CheckTarget findingTarget(std::size_t row) const;

  // The line over the tabs: the census, the findings the filter shows, and
  // which files were counted; while a run goes on, that it does.
  std::string summary() const;

  // --- The references ------------------------------------------------------
  // Each weapon with the units that use it, then the names nothing resolves.
  std::vector<ReferenceRow> references() const;
  // "Used by..." asked for the weapon (bytes as written): the filter text
  // that shows it (UTF-8), and the note saying which units use it while the
  // filter box holds that text, else what the tree holds.
  std::string showUsersOf(const std::string& weapon);
  std::string referencesNote(const std::string& filterText) const;

 private:
  // A file, or the files a message names, by their paths in the game folder.
  std::string shortName(const std::string& file) const;
  std::string shortNames(std::string message) const;
  std::string placeOf(const std::string& file, int line) const;

  std::filesystem::path gameDir_;
  CheckFilter filter_;
  std::string usersOf_;  // the weapon "Used by..." asked for
  std::shared_ptr<const GameCheckResult> result_;
  bool running_ = false;
};

// The weapon whose block holds a line of a file: the last weapon of that
// file whose header is at or above the line. Empty when there is none.
std::string weaponAt(const std::vector<WeaponRecord>& weapons, const std::string& file, int line);

// A box on the screen, in pixels.
struct ScreenBox {
  int x = 0, y = 0, width = 0, height = 0;
  int right() const { return x + width - 1; }
  int bottom() const { return y + height - 1; }
  bool operator==(const ScreenBox&) const = default;
};

// Where a window goes beside another on the screen's `room`: `other` is the
// other's frame, `frame` how much wider and higher a frame is than what it
// holds (this window's taken to be as thick as the other's). As wide as
// `wanted`, narrowed to the room beside the other down to `least`, as high
// as the other's inside `height`: to its right, else to its left, else as
// far right as the screen allows, the other's left part (with the weapon
// list) staying in view. The result's x and y place the frame; its width
// and height are the inside's.
ScreenBox placeBeside(const ScreenBox& room, const ScreenBox& other, const ScreenBox& frame, int height, int wanted,
                      int least);

}  // namespace qm
