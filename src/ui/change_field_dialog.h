// "Change field": one field of the rows selected in a table (weapons or
// units) set to a value, multiplied by a number or added to, with every
// row's old and new value in a preview that follows the typing, before
// anything changes.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "presentation/field_change.h"
#include "presentation/table_state.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace qm::ui {

class ChangeFieldDialog : public QDialog {
  Q_OBJECT
 public:
  // What the dialog works on: the keys offered (with the captions of the
  // mode the table shows), the selected rows with their text of a key, what
  // a change would do to them, and what a row is called.
  struct Rows {
    std::vector<TableSource::Key> keys;
    std::function<std::vector<FieldTarget>(const std::string& key)> targets;
    std::function<FieldChangePlan(const std::vector<FieldTarget>&, const std::string& key, FieldOperation,
                                  std::string_view operand)>
        plan;
    std::string singular, plural;  // "weapon", "weapons"
  };
  // `key` is picked first when it is one of the keys.
  ChangeFieldDialog(Rows rows, const std::string& key, QWidget* parent = nullptr);

  // What Apply makes, as the controls stand now.
  const FieldChangePlan& plan() const { return plan_; }

 private:
  void keyChosen();
  void showPlan();

  Rows rows_;
  std::vector<FieldTarget> current_;  // of the chosen key
  FieldChangePlan plan_;
  QComboBox* key_;
  QComboBox* operation_;
  QLineEdit* value_;
  QLabel* summary_;
  QTableWidget* preview_;
  QPushButton* apply_;
};

}  // namespace qm::ui
