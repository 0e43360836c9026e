// The export dialog "Export as New Weapon": three boxes for the new names and
// ID and the Continue button, which hands them to Form2State.
#pragma once

#include <QWidget>
#include <array>

#include "presentation/form1_state.h"
#include "presentation/form2_state.h"

class QLineEdit;

namespace qm::ui {

class Form2 : public QWidget {
  Q_OBJECT
 public:
  // A top-level tool window without owner; it exports the weapon on display
  // in `main` and shows its messages and the save dialog through `host`.
  Form2(Form1State& main, Host& host);

  Form2State& state() { return state_; }

 protected:
  // The close box discards the typed texts; hiding keeps them.
  void closeEvent(QCloseEvent* event) override;

 private:
  void Command1_Click();
  void ShowTexts();

  Form1State& main_;
  Host& host_;
  Form2State state_;
  std::array<QLineEdit*, 3> texts_{};  // Text1 .. Text3
};

}  // namespace qm::ui
