// "Change field": one field of the weapons selected in the Weapons table set
// to a value, multiplied by a number or added to, with every weapon's old and
// new value in a preview that follows the typing, before anything changes.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "presentation/field_change.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace qm::ui {

class ChangeFieldDialog : public QDialog {
  Q_OBJECT
 public:
  // The selected weapons with their text of a key.
  using Targets = std::function<std::vector<FieldTarget>(const std::string& key)>;
  // The keys are offered with the captions of the mode the table shows
  // (`viewing`); `key` is picked first when it is one of them.
  ChangeFieldDialog(Targets targets, bool viewing, const std::string& key, QWidget* parent = nullptr);

  // What Apply makes, as the controls stand now.
  const FieldChangePlan& plan() const { return plan_; }

 private:
  void keyChosen();
  void showPlan();

  Targets targets_;
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
