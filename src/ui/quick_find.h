// The quick find of the main window (Ctrl+F): a small popup with a text box
// over a list of the weapon list's entries that match what is typed; Enter
// or a click picks one.
#pragma once

#include <QFrame>

#include "catalogue/weapon_list.h"

class QLineEdit;
class QListWidget;

namespace qm::ui {

class QuickFind : public QFrame {
  Q_OBJECT
 public:
  QuickFind(const WeaponList& list, QWidget* parent);
  // Shows the popup under `anchor`, empty, with every entry.
  void popUp(QWidget* anchor);

 signals:
  // The entry picked: its index in the weapon list.
  void picked(int entry);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fill();
  void pick();

  const WeaponList& list_;
  QLineEdit* text_;
  QListWidget* matches_;
};

}  // namespace qm::ui
