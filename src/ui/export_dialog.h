// The export dialog "Export as New Weapon": three boxes for the new names and
// ID and the Continue button, which hands them to ExportDialogState.
#pragma once

#include <QWidget>
#include <array>

#include "presentation/export_dialog_state.h"
#include "presentation/main_window_state.h"

class QLineEdit;

namespace qm::ui {

class ExportDialog : public QWidget {
  Q_OBJECT
 public:
  // A top-level tool window without owner; it exports the weapon on display
  // in `main` and shows its messages and the save dialog through `host`.
  ExportDialog(MainWindowState& main, Host& host);

  ExportDialogState& state() { return state_; }
  // Shows the dialog in front with the keyboard; opened afresh, it starts in
  // its first box.
  void present();

 protected:
  // The close box discards the typed texts; hiding keeps them.
  void closeEvent(QCloseEvent* event) override;

 private:
  // The state's text behind box `k` (actual name, name, weapon ID).
  std::string& boxText(std::size_t k);
  void exportWeapon();
  // Hides the dialog, keeping its texts; ends the program when no other
  // window is left on the screen.
  void leave();
  void showTexts();

  MainWindowState& main_;
  Host& host_;
  ExportDialogState state_;
  std::array<QLineEdit*, 3> boxes_{};  // actual name, name, weapon ID
};

}  // namespace qm::ui
