// The "Weapons table" window: every weapon of the list as a row, the fields
// as columns with the captions of the main window's mode, sorted by a click
// on a column header (numbers as numbers), filtered by the filter box, with a
// column chooser, the name column kept in view while scrolling sideways, Save
// as CSV, a side-by-side comparison of two weapons, and one field of the
// selected weapons changed at once.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "catalogue/weapon_table.h"
#include "edit/change.h"
#include "presentation/main_window_state.h"
#include "presentation/weapon_columns.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class QToolButton;

namespace qm::ui {

class ChangeFieldDialog;
class WeaponTableModel;

// Two weapons side by side: every field, the differing ones marked, and a
// switch to show only those.
class CompareDialog : public QDialog {
  Q_OBJECT
 public:
  CompareDialog(QWidget* parent = nullptr);
  // Shows weapons `a` and `b` (list entries `titleA`, `titleB`).
  void compare(const CurrentWeapon& a, const CurrentWeapon& b, const QString& titleA, const QString& titleB,
               bool viewing);
  QTableWidget* table() const { return table_; }
  QCheckBox* onlyDifferences() const { return onlyDifferences_; }

 private:
  void showRows();
  QTableWidget* table_;
  QCheckBox* onlyDifferences_;
  QLabel* summary_;
};

class TableWindow : public QWidget {
  Q_OBJECT
 public:
  // Reads the weapons of `state`'s list and files; they are read again when
  // stateChanged() reports a changed list.
  explicit TableWindow(const MainWindowState& state, QWidget* parent = nullptr);
  ~TableWindow() override;

  // The main window's state changed (Change bits): a new list is read
  // again, a new mode changes the captions and texts.
  void stateChanged(unsigned changes);
  // Selects the row of list entry `entry` and waits for a click on the row
  // to compare it with.
  void compareWith(int entry);

  // Where Save as CSV writes; asks with a file dialog unless replaced.
  std::function<std::optional<QString>()> askCsvPath;
  // Makes the changes of "Change field" as one undo step named by the text;
  // false when they were refused. Change field is offered once it is set.
  std::function<bool(const std::vector<edit::Change>&, const QString&)> pushChanges;

  const WeaponTable& table() const { return *table_; }
  QTableView* view() const { return view_; }
  QTableView* frozenView() const { return frozen_; }
  CompareDialog* compareDialog() const { return compare_; }
  // The open Change field dialog; null when none is open.
  ChangeFieldDialog* changeFieldDialog() const;
  // Opens Change field on the selected rows.
  void changeField();

 signals:
  // A row was double-clicked: the index of its list entry.
  void entryChosen(int entry);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void reload();
  // The files' unsaved edits changed: the same rows, their values read again.
  void refreshValues();
  // The selected rows' list entries, in the order shown.
  std::vector<std::size_t> selectedEntries() const;
  void selectionChanged();
  // The column chooser's dialog; what it leaves is remembered.
  void chooseColumns();
  void compareRows(int a, int b);
  void compareSelected();
  void saveCsv();
  // Copies the selected rows' shown cells, with the columns' captions first
  // when asked, for a spreadsheet to paste.
  void copyRows(bool withCaptions);
  // The shown columns, in the order shown.
  std::vector<int> shownColumns() const;
  // Rows of the shown columns as text (UTF-8), each cell written by `cell`,
  // the captions first when asked.
  std::string rowsText(const std::vector<std::size_t>& entries, bool withCaptions, char separator,
                       std::string_view lineEnd, void (*cell)(std::string&, std::string_view)) const;
  void placeFrozen();
  void fitColumns();
  void updateStatus();
  void updateTitle();

  const MainWindowState& state_;
  std::shared_ptr<const WeaponTable> table_;
  WeaponTableModel* model_;
  QLineEdit* filter_;
  QToolButton* columns_;
  QPushButton* compareButton_;
  QPushButton* changeButton_;
  QAction* changeAction_;
  QAction* copyAction_;
  QAction* copyWithCaptionsAction_;
  QPushButton* saveButton_;
  QLabel* status_;
  QTableView* view_;
  QTableView* frozen_;  // the name column, laid over the view's first column
  CompareDialog* compare_;
  QPointer<ChangeFieldDialog> changeField_;
  int compareFrom_ = -1;  // a list entry waiting for the row to compare it with
};

}  // namespace qm::ui
