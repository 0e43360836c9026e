// The Weapons table's column chooser: every column by its caption and key
// with a box to tick, a filter over them, All / None / Reset, and named sets
// of columns to keep and to show again.
#pragma once

#include <QDialog>

#include "presentation/column_choice.h"

class QComboBox;
class QLineEdit;
class QListWidget;

namespace qm::ui {

class ColumnDialog : public QDialog {
  Q_OBJECT
 public:
  ColumnDialog(ColumnChoice choice, QWidget* parent = nullptr);
  // The columns chosen and the sets, as the dialog leaves them.
  const ColumnChoice& choice() const { return choice_; }

 private:
  // Lists the columns the filter passes, ticked as chosen.
  void fill();
  void fillSets(const QString& current);

  ColumnChoice choice_;
  QLineEdit* filter_;
  QListWidget* list_;
  QComboBox* sets_;
};

}  // namespace qm::ui
