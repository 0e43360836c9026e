// The "Units" window: the game's units as a list with a filter box, sorted by
// a click on the Unit or Side header; the picked unit's values in their
// groups, each with its caption and a "?" that says what the key does,
// edited in place (double-click, Enter, F2) on the main window's undo stack;
// its weapons as links to the main window with their damage per second; and
// the figures of a balance pass. The state is UnitWindowState.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "edit/change.h"
#include "presentation/main_window_state.h"
#include "presentation/unit_window_state.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;
class QTableWidget;
class QTreeWidget;

namespace qm::ui {

class UnitListModel;

class UnitsWindow : public QWidget {
  Q_OBJECT
 public:
  // Reads the units of `window`'s game, as its unsaved edits have them.
  explicit UnitsWindow(const MainWindowState& window, QWidget* parent = nullptr);
  ~UnitsWindow() override;

  // The main window's state changed (StateChange bits): a new list reads the
  // units again; edits, undos and saves show their values.
  void stateChanged(unsigned changes);
  // Shows the window on the unit read from `file` at the key of `line`.
  void showAt(const std::string& file, int line);
  // Shows the window on the unit of that name.
  void showUnit(const std::string& name);

  // Makes the changes of an edit as one undo step named by the text; false
  // when they were refused. Set by the main window.
  std::function<bool(const std::vector<edit::Change>&, const QString&)> pushChanges;

  UnitWindowState& state() { return state_; }
  QTableView* list() const { return list_; }
  QTreeWidget* values() const { return values_; }
  QTableWidget* weapons() const { return weapons_; }

 signals:
  // A weapon link was clicked: its bracket name (bytes) and its file.
  void weaponChosen(const std::string& name, const std::string& file);
  // "Pack changes..." was pressed.
  void packRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void reload();
  // The list after the filter, the sort or the units changed, the picked
  // unit selected.
  void showList();
  // The picked unit's values, weapons and figures.
  void showUnitValues();
  // The list and values made again for the unit the state picked.
  void showPicked();
  void comeForward();
  void fillValues();
  bool valueEditorOpen() const;
  void fillWeapons();
  void fillFigures();
  void commitValue(const std::string& key, const QString& typed);
  void showHelp(const UnitValueRow& row);

  const MainWindowState& window_;
  UnitWindowState state_;
  UnitListModel* model_ = nullptr;
  QLineEdit* filter_ = nullptr;
  QLabel* count_ = nullptr;
  QTableView* list_ = nullptr;
  QLabel* title_ = nullptr;
  QTreeWidget* values_ = nullptr;
  QLabel* help_ = nullptr;
  QTableWidget* weapons_ = nullptr;
  std::vector<QLabel*> figures_, figureCaptions_;
  QComboBox* builder_ = nullptr;
  std::vector<std::string> shownKeys_;  // the value rows' keys, in order, of the unit they show
  std::string shownFile_;               // the file of the unit the value rows show
};

}  // namespace qm::ui
