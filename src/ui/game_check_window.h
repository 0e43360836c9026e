// The "Game check" window: the weapon ID census as a table of the 256 IDs,
// the findings of the same checks as `lint` makes (the display checks too,
// hidden unless the user shows them) as a table, and the references between
// the game's files as a tree: each weapon with the units that use it, and the
// names nothing resolves. The checks run on a worker thread; the window shows
// a progress bar when they take longer than a blink, and every other window
// stays usable.
#pragma once

#include <QFutureWatcher>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "presentation/game_check_state.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QSortFilterProxyModel;
class QTabWidget;
class QStandardItemModel;
class QTableView;
class QToolButton;
class QTreeView;

namespace qm::ui {

class CensusModel;
class FindingsModel;
class FindingsProxy;

class GameCheckWindow : public QWidget {
  Q_OBJECT
 public:
  // Checks the game in `gameDir` and the imports `imports` lists, asked
  // afresh at every run. Files in `gameDir` are shown by their paths inside it.
  GameCheckWindow(std::filesystem::path gameDir, std::function<std::vector<std::string>()> imports,
                  QWidget* parent = nullptr);
  ~GameCheckWindow() override;

  // Shows the window and runs the checks again (unless a run is going on).
  void runAndShow();
  // True while a run is going on.
  bool running() const;
  // Moves the window beside `other` on its screen, as wide as the user left
  // it last, narrowed to the room there down to a least width: to its right,
  // else to its left, else as far right as the screen allows.
  void placeBeside(const QWidget& other);
  // Runs the checks and shows the References tab filtered to `weapon`
  // (bytes as written), saying which units use it.
  void showUsersOf(const std::string& weapon);

  // The last run's result; null before the first run has finished.
  const GameCheckResult* result() const { return state_.result(); }
  QTableView* censusTable() const { return censusView_; }
  QTableView* findingsTable() const { return findingsView_; }
  QTreeView* referencesTree() const { return refsView_; }

 signals:
  // A finding or an ID was double-clicked: the name of the weapon it points
  // at, as the file's bytes, and the name of that weapon's file.
  void weaponChosen(const std::string& name, const std::string& file);
  // A finding in a unit file, or a unit of the references (the units that
  // use a weapon), was double-clicked: the unit's file and the line.
  void unitChosen(const std::string& file, int line);
  // A run has finished and the tables show it.
  void checked();

 protected:
  // Remembers the width the window had, for its next opening.
  void hideEvent(QHideEvent* event) override;

 private:
  // Widens the references' first columns to the rows shown.
  void widenReferences();
  void finished();
  void choose(const CheckTarget& target);
  void chooseFinding(const QModelIndex& index);
  // The references: each weapon with the units that use it, then the names
  // nothing resolves.
  QWidget* buildReferencesPage();
  void buildChecksMenu();
  // Shows the findings the filter lets through and remembers the filter.
  void applyFilter();
  void fillReferences();
  // The note over the references: which units use the weapon asked for while
  // the filter shows it, else what was read.
  void showReferencesNote();

  std::filesystem::path gameDir_;
  std::function<std::vector<std::string>()> imports_;
  GameCheckState state_;
  std::vector<CheckTarget> refTargets_;  // what the references' rows show, by kTargetRole
  QFutureWatcher<std::shared_ptr<const GameCheckResult>> watcher_;

  QTabWidget* tabs_ = nullptr;
  QLabel* summary_ = nullptr;
  QToolButton* checksButton_ = nullptr;
  QLabel* freeIds_ = nullptr;
  QLabel* refsNote_ = nullptr;
  QLineEdit* refsFilter_ = nullptr;
  QStandardItemModel* refsModel_ = nullptr;
  QSortFilterProxyModel* refsProxy_ = nullptr;
  QTreeView* refsView_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLineEdit* censusFilter_ = nullptr;
  QLineEdit* findingsFilter_ = nullptr;
  CensusModel* censusModel_ = nullptr;
  FindingsModel* findingsModel_ = nullptr;
  QSortFilterProxyModel* censusProxy_ = nullptr;
  FindingsProxy* findingsProxy_ = nullptr;
  QTableView* censusView_ = nullptr;
  QTableView* findingsView_ = nullptr;
};

}  // namespace qm::ui
