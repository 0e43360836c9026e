// The tables: the "Weapons table" (every weapon of the list) and the "Units
// table" (every unit of the game), one window for both. Rows and columns with
// the captions of the main window's mode, sorted by a click on a column
// header (numbers as numbers), filtered by the filter box, with a column
// chooser, the name column kept in view while scrolling sideways, Save as
// CSV, Ctrl+C, a side-by-side comparison of two rows, and one field of the
// selected rows changed at once. What it shows comes from a TableState;
// the window is its layout and wiring.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "edit/change.h"
#include "presentation/main_window_state.h"
#include "presentation/table_state.h"

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
class ChartWindow;
class TableModel;

enum class TableKind { Weapons, Units };

// Two rows side by side: every field, the differing ones marked, and a
// switch to show only those.
class CompareDialog : public QDialog {
  Q_OBJECT
 public:
  CompareDialog(QWidget* parent = nullptr);
  void compare(const Compared& rows);
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
  // Reads the rows of `kind` from `state`'s files; they are read again when
  // stateChanged() reports a changed list or edits. Save as CSV asks
  // `host` where.
  TableWindow(const MainWindowState& state, Host& host, TableKind kind, QWidget* parent = nullptr);
  ~TableWindow() override;

  // The main window's state changed (StateChange bits): a new list is read
  // again, a new mode changes the captions and texts.
  void stateChanged(unsigned changes);
  // Selects row `row` (a list entry in the weapons table) and waits for a
  // click on the row to compare it with.
  void compareWith(int row);

  // Makes the changes of "Change field" as one undo step named by the text;
  // false when they were refused. Change field is offered once it is set.
  std::function<bool(const std::vector<edit::Change>&, const QString&)> pushChanges;

  TableKind kind() const { return kind_; }
  const TableState& table() const { return *table_; }
  QTableView* view() const { return view_; }
  QTableView* frozenView() const { return frozen_; }
  CompareDialog* compareDialog() const { return compare_; }
  // The open Change field dialog; null when none is open.
  ChangeFieldDialog* changeFieldDialog() const;
  // Opens Change field on the selected rows.
  void changeField();
  // The chart of the rows shown; null until opened and after it is closed.
  ChartWindow* chartWindow() const;
  // Opens the chart over the rows shown; a point picked selects its row.
  void openChart();

 signals:
  // A row of the weapons table was double-clicked: the index of its list entry.
  void entryChosen(int entry);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // The parts of the window, made in this order.
  void buildControls();
  void buildViews();
  void buildFrozenColumn();
  void buildLayout();
  void buildActions();
  void restoreColumns();

  // A setting of this kind of table ("weaponsTable/NAME", "unitsTable/NAME").
  QString settingsKey(const char* name) const;
  std::shared_ptr<const TableSource> readRows(const TableSource* previous) const;
  void reload();
  // New rows are in the model: the frozen column and the status follow.
  void rowsRead();
  // The files' unsaved edits changed: the same rows, their values read again.
  void refreshValues();
  // The selected rows (of the source), in the order shown.
  std::vector<std::size_t> selectedRows() const;
  void selectionChanged();
  // The column chooser's dialog; what it leaves is remembered.
  void chooseColumns();
  void compareRows(std::size_t a, std::size_t b);
  void compareSelected();
  void saveCsv();
  // Copies the selected rows' shown cells, with the columns' captions first
  // when asked, for a spreadsheet to paste.
  void copyRows(bool withCaptions);
  // The selected rows' menu: what the buttons do to them.
  void showMenu(QTableView* view, const QPoint& at);
  // The shown columns, in the order shown.
  std::vector<std::size_t> shownColumns() const;
  void placeFrozen();
  void fitColumns();
  void updateStatus();
  void updateTitle();

  const MainWindowState& state_;
  Host& host_;
  TableKind kind_;
  TableModel* model_ = nullptr;
  TableState* table_ = nullptr;  // the model's
  QLineEdit* filter_ = nullptr;
  QToolButton* columns_ = nullptr;
  QPushButton* compareButton_ = nullptr;
  QPushButton* changeButton_ = nullptr;
  QAction* changeAction_ = nullptr;
  QAction* copyAction_ = nullptr;
  QAction* copyWithCaptionsAction_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QPushButton* chartButton_ = nullptr;
  QLabel* status_ = nullptr;
  QTableView* view_ = nullptr;
  QTableView* frozen_ = nullptr;  // the name column, laid over the view's first column
  CompareDialog* compare_ = nullptr;
  QPointer<ChangeFieldDialog> changeField_;
  QPointer<ChartWindow> chart_;
  std::vector<std::size_t> chartRows_;  // the rows the chart shows, by its row numbers
  int compareFrom_ = -1;                // a row waiting for the row to compare it with
};

}  // namespace qm::ui
